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
#include <cstring>
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

bool Inside(const Plan& plan, const char* path) { return path != nullptr && plan.armed.Inside(path); }

bool DescriptorInside(const Plan& plan, int fd) {
  char link[64];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  char target[4096];
  const ssize_t n = ::readlink(link, target, sizeof target - 1);
  if (n <= 0) return false;
  target[n] = 0;
  return Inside(plan, target);
}

// What an interposed call is to do.
struct Verdict {
  bool fail = false;  // return -1 with error
  int error = 0;
  bool shorten = false;  // a write: store part of the data only
};

// Decides for one call of a kind on a path or a descriptor (fd >= 0).
Verdict Decide(Call call, const char* path, int fd) {
  Verdict v;
  if (!g_armed.load(std::memory_order_acquire)) return v;
  const int saved = errno;
  Plan& plan = ThePlan();
  std::lock_guard<std::mutex> lock(plan.mutex);
  const bool inside = fd >= 0 ? DescriptorInside(plan, fd) : Inside(plan, path);
  errno = saved;
  if (!inside) return v;
  if (plan.diskFull && call == kWrite) {
    v.fail = true;
    v.error = ENOSPC;
    return v;
  }
  if (!plan.armed.Hit(call)) return v;
  plan.firedCall = call;
  switch (plan.fault) {
    case Fault::kNoSpace:
      v.fail = true;
      v.error = ENOSPC;
      plan.diskFull = true;
      break;
    case Fault::kIoError:
      v.fail = true;
      v.error = EIO;
      break;
    case Fault::kInterrupted:
      v.fail = true;
      v.error = EINTR;
      break;
    case Fault::kShortWrite:
      v.shorten = true;
      break;
    case Fault::kShortThenFull:
      v.shorten = true;
      plan.diskFull = true;
      break;
  }
  return v;
}

// The next definition of a C library function after this executable's.
template <class F>
F Next(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

}  // namespace

const char* Name(Fault fault) {
  switch (fault) {
    case Fault::kNoSpace:
      return "ENOSPC";
    case Fault::kIoError:
      return "EIO";
    case Fault::kInterrupted:
      return "EINTR";
    case Fault::kShortWrite:
      return "short write";
    case Fault::kShortThenFull:
      return "short write, then ENOSPC";
  }
  return "?";
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

int LibcFaultScope::Seen() const {
  Plan& plan = ThePlan();
  std::lock_guard<std::mutex> lock(plan.mutex);
  return plan.armed.seen;
}

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

using faults::Call;
using faults::Decide;
using faults::Verdict;

// The project builds with hidden visibility; these must be seen by the dynamic linker.
#define INTERPOSED extern "C" __attribute__((visibility("default")))

INTERPOSED ssize_t write(int fd, const void* buffer, size_t count) {
  static const auto real = faults::Next<ssize_t (*)(int, const void*, size_t)>("write");
  const Verdict v = Decide(faults::kWrite, nullptr, fd);
  if (v.fail) {
    errno = v.error;
    return -1;
  }
  if (v.shorten && count > 1) return real(fd, buffer, count / 2);
  return real(fd, buffer, count);
}

INTERPOSED int fsync(int fd) {
  static const auto real = faults::Next<int (*)(int)>("fsync");
  const Verdict v = Decide(faults::kSync, nullptr, fd);
  if (v.fail) {
    errno = v.error;
    return -1;
  }
  return real(fd);
}

INTERPOSED int rename(const char* from, const char* to) noexcept {
  static const auto real = faults::Next<int (*)(const char*, const char*)>("rename");
  const Verdict v = Decide(faults::kRename, from, -1);
  if (v.fail) {
    errno = v.error;
    return -1;
  }
  return real(from, to);
}

INTERPOSED int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags) noexcept {
  static const auto real = faults::Next<int (*)(int, const char*, int, const char*, unsigned)>("renameat2");
  const Verdict v = Decide(faults::kRename, from, -1);
  if (v.fail) {
    errno = v.error;
    return -1;
  }
  return real(fromDir, from, toDir, to, flags);
}

INTERPOSED int link(const char* from, const char* to) noexcept {
  static const auto real = faults::Next<int (*)(const char*, const char*)>("link");
  const Verdict v = Decide(faults::kLink, to, -1);
  if (v.fail) {
    errno = v.error;
    return -1;
  }
  return real(from, to);
}

INTERPOSED int mkdir(const char* path, mode_t mode) noexcept {
  static const auto real = faults::Next<int (*)(const char*, mode_t)>("mkdir");
  const Verdict v = Decide(faults::kMkdir, path, -1);
  if (v.fail) {
    errno = v.error;
    return -1;
  }
  return real(path, mode);
}
