// How a hive connection waits while another connection holds the write lock: sleeps that
// grow from about 1 ms to at most 8 ms, each with random jitter, until a time limit. SQLite's own
// timeout handler sleeps up to 100 ms between tries, so a waiter almost never sees the short gap
// between a busy writer's transactions and starves for seconds (the soak run saw writers with no
// write at all in 8 s). Much shorter sleeps are worse: with waiters polling every few hundred
// microseconds, the soak run's throughput fell from about a thousand writes/s to a few dozen.
//
//   utility::platform::BusyWait wait(std::chrono::milliseconds(15000));
//   sqlite3_busy_handler(db, &utility::platform::BusyWait::Handler, &wait);  // wait outlives db
#pragma once

#include <chrono>
#include <cstdint>

namespace utility::platform {

class BusyWait {
 public:
  explicit BusyWait(std::chrono::milliseconds limit) noexcept;

  // The delay before try number attempt (0 for the first wait of a busy spell), given a random
  // word: between half and all of min(1 ms * 2^attempt, 8 ms).
  static std::chrono::microseconds Delay(int attempt, std::uint64_t random) noexcept;

  // A busy handler: sleeps and returns 1 to try again, or 0 once the limit has passed since the
  // spell's first wait.
  static int Handler(void* self, int attempt) noexcept;

 private:
  std::chrono::milliseconds m_limit;
  std::chrono::steady_clock::time_point m_spell{};
  std::uint64_t m_random;
};

}  // namespace utility::platform
