#include "BusyWait.h"

#include <algorithm>
#include <thread>

namespace utility::platform {

namespace {

constexpr std::chrono::microseconds kFirst(1000);
constexpr std::chrono::microseconds kLongest(8000);

// xorshift64*: enough to spread the waiters' phases, and private to each connection.
std::uint64_t Next(std::uint64_t& state) noexcept {
  state ^= state >> 12;
  state ^= state << 25;
  state ^= state >> 27;
  return state * 0x2545F4914F6CDD1DULL;
}

}  // namespace

BusyWait::BusyWait(std::chrono::milliseconds limit) noexcept
    : m_limit(limit),
      m_random(static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
               reinterpret_cast<std::uintptr_t>(this) ^ 0x9E3779B97F4A7C15ULL) {}

std::chrono::microseconds BusyWait::Delay(int attempt, std::uint64_t random) noexcept {
  const int doublings = std::clamp(attempt, 0, 7);
  const std::chrono::microseconds full = std::min<std::chrono::microseconds>(kFirst * (1LL << doublings), kLongest);
  const auto half = full.count() / 2;
  return std::chrono::microseconds(half + static_cast<long long>(random % static_cast<std::uint64_t>(half + 1)));
}

int BusyWait::Handler(void* self, int attempt) noexcept {
  auto& wait = *static_cast<BusyWait*>(self);
  const auto now = std::chrono::steady_clock::now();
  if (attempt == 0) wait.m_spell = now;
  if (now - wait.m_spell >= wait.m_limit) return 0;
  std::this_thread::sleep_for(Delay(attempt, Next(wait.m_random)));
  return 1;
}

}  // namespace utility::platform
