// The interposed C library calls of LibcFaults.h and the plan they follow.
#include "faults/LibcFaults.h"

#include "faults/ArmedCalls.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <mutex>

namespace faults {

namespace {

struct Plan {
  std::mutex mutex;
  ArmedCalls armed;
  Fault fault = Fault::kIoError;
  unsigned firedCall = 0;
  bool diskFull = false;  // after kNoSpace or kShortThenFull: writes keep failing
};

std::atomic<bool> g_armed{false};

Plan& ThePlan() {
  static Plan* plan = new Plan;  // used by calls made during static destruction too
  return *plan;
}

bool DescriptorInside(const Plan& plan, int fd) {
  char link[64];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  char target[4096];
  const ssize_t n = ::readlink(link, target, sizeof target - 1);
  if (n <= 0) return false;
  target[n] = 0;
  return plan.armed.Inside(target);
}

// What an interposed call is to do: fail with an errno (error != 0), store part of the data
// (a write), or run as asked.
struct Verdict {
  int error = 0;
  bool shorten = false;
};

// Decides for one call of a kind on a path or a descriptor (fd >= 0).
Verdict Decide(Call call, const char* path, int fd) {
  if (!g_armed.load(std::memory_order_acquire)) return {};
  const int saved = errno;
  Plan& plan = ThePlan();
  std::lock_guard<std::mutex> lock(plan.mutex);
  const bool inside = fd >= 0 ? DescriptorInside(plan, fd) : path != nullptr && plan.armed.Inside(path);
  errno = saved;
  if (!inside) return {};
  if (plan.diskFull && call == kWrite) return {ENOSPC};
  if (!plan.armed.Hit(call)) return {};
  plan.firedCall = call;
  switch (plan.fault) {
    case Fault::kNoSpace:
      plan.diskFull = true;
      return {ENOSPC};
    case Fault::kIoError:
      return {EIO};
    case Fault::kInterrupted:
      return {EINTR};
    case Fault::kShortThenFull:
      plan.diskFull = true;
      return {0, true};
    case Fault::kShortWrite:
      return {0, true};
  }
  return {};
}

// True, with errno set, when the call is to fail.
bool Fails(const Verdict& v) {
  if (v.error == 0) return false;
  errno = v.error;
  return true;
}

// The next definition of a C library function after this executable's.
template <class F>
F Next(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

}  // namespace

const char* Name(Fault fault) {
  constexpr const char* kNames[] = {"ENOSPC", "EIO", "EINTR", "short write", "short write, then ENOSPC"};
  return kNames[static_cast<int>(fault)];
}

unsigned CallsFor(Fault fault, unsigned calls) {
  return fault == Fault::kShortWrite || fault == Fault::kShortThenFull ? calls & kWrite : calls;
}

LibcFaultScope::LibcFaultScope(const std::filesystem::path& directory, unsigned calls, int nth, Fault fault) {
  Plan& plan = ThePlan();
  std::lock_guard<std::mutex> lock(plan.mutex);
  plan.armed.Arm(directory, calls, nth);
  plan.fault = fault;
  plan.firedCall = 0;
  plan.diskFull = false;
  g_armed.store(true, std::memory_order_release);
}

LibcFaultScope::~LibcFaultScope() { g_armed.store(false, std::memory_order_release); }

bool LibcFaultScope::Fired() const {
  Plan& plan = ThePlan();
  std::lock_guard<std::mutex> lock(plan.mutex);
  return plan.armed.fired;
}

unsigned LibcFaultScope::FiredCall() const {
  Plan& plan = ThePlan();
  std::lock_guard<std::mutex> lock(plan.mutex);
  return plan.firedCall;
}

}  // namespace faults

using faults::Decide;
using faults::Fails;
using faults::Next;

// The project builds with hidden visibility; these must be seen by the dynamic linker.
#define INTERPOSED extern "C" __attribute__((visibility("default")))

INTERPOSED ssize_t write(int fd, const void* buffer, size_t count) {
  static const auto real = Next<ssize_t (*)(int, const void*, size_t)>("write");
  const faults::Verdict v = Decide(faults::kWrite, nullptr, fd);
  if (Fails(v)) return -1;
  return real(fd, buffer, v.shorten && count > 1 ? count / 2 : count);
}

INTERPOSED int fsync(int fd) {
  static const auto real = Next<int (*)(int)>("fsync");
  return Fails(Decide(faults::kSync, nullptr, fd)) ? -1 : real(fd);
}

INTERPOSED int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags) noexcept {
  static const auto real = Next<int (*)(int, const char*, int, const char*, unsigned)>("renameat2");
  return Fails(Decide(faults::kRename, from, -1)) ? -1 : real(fromDir, from, toDir, to, flags);
}

INTERPOSED int link(const char* from, const char* to) noexcept {
  static const auto real = Next<int (*)(const char*, const char*)>("link");
  return Fails(Decide(faults::kLink, to, -1)) ? -1 : real(from, to);
}

INTERPOSED int mkdir(const char* path, mode_t mode) noexcept {
  static const auto real = Next<int (*)(const char*, mode_t)>("mkdir");
  return Fails(Decide(faults::kMkdir, path, -1)) ? -1 : real(path, mode);
}
