// The fault injection of LibcFaults.h: each call below forwards to the next definition (a
// sanitizer's interceptor, else the C library) unless the plan fails it.
#include "faults/LibcFaults.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "support/Files.h"

namespace faults {

namespace {

// A change made to a file after its last sync: it may or may not survive a power cut.
struct Unsynced {
  enum Kind { kWrite, kTruncate, kDelete } kind = kWrite;
  off_t offset = 0;  // of a write; the new size of a truncation
  std::string data;
};

// A file inside the directory, while a power-cut scope lasts.
struct Tracked {
  bool exists = false;  // whether the file survives at all
  std::string synced;   // its content as of the last sync (or when first seen)
  std::vector<Unsynced> since;
};

struct Plan {
  std::mutex mutex;
  std::string directory, canonical;  // with a trailing '/'; the second with links resolved
  unsigned calls = 0;                // the armed kinds
  int nth = 0, seen = 0;             // the call to fail; the armed calls counted so far
  unsigned fired = 0;                // the kind of the call that got the fault
  Fault fault = Fault::kIoError;
  bool diskFull = false;                 // after kNoSpace: writes keep failing
  bool dead = false;                     // after kPowerCut: every call inside fails
  std::map<std::string, Tracked> files;  // during a power-cut scope

  bool Inside(std::string_view path) const {
    return (!directory.empty() && path.starts_with(directory)) || (!canonical.empty() && path.starts_with(canonical));
  }
};

std::atomic<bool> g_armed{false};

Plan& ThePlan() {
  static Plan* plan = new Plan;  // used by calls made during static destruction too
  return *plan;
}

// The path a descriptor is open on ("" when it has none).
std::string PathOf(int fd) {
  std::error_code ec;
  return std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd), ec).string();
}

// Starts tracking a regular file as it is on disk now, unless it is tracked already. The shared
// memory index is memory, not disk: Restore removes it.
void Track(Plan& plan, const std::string& path) {
  if (plan.fault != Fault::kPowerCut || path.empty() || path.ends_with("-shm") || plan.files.count(path) != 0 ||
      std::filesystem::is_directory(path)) {
    return;
  }
  Tracked& t = plan.files[path];
  t.exists = std::filesystem::exists(path);
  t.synced = utility::testsupport::ReadBytes(path);
}

// What an interposed call is to do: fail with an errno (error != 0), store half of the data (a
// write), or run as asked; path is the file inside the directory the call is on, else "".
struct Verdict {
  int error = 0;
  bool shorten = false;
  std::string path;
};

// Decides for one call of a kind (0: one never armed) on a path or a descriptor (fd >= 0).
Verdict Decide(unsigned call, const char* path, int fd) {
  if (!g_armed.load(std::memory_order_acquire)) return {};
  const int saved = errno;
  Verdict v{0, false, fd >= 0 ? PathOf(fd) : path != nullptr ? std::string(path) : std::string()};
  errno = saved;
  Plan& plan = ThePlan();
  std::lock_guard<std::mutex> lock(plan.mutex);
  // The shared memory index fails only with the power; SQLite ignores how a directory's sync ends.
  if (!plan.Inside(v.path) || (v.path.ends_with("-shm") && !plan.dead)) return {};
  if (call == kStoreSync && std::filesystem::is_directory(v.path)) return {};
  if (plan.dead) {
    v.error = EIO;
  } else if (plan.diskFull && (call & (kWrite | kStoreWrite)) != 0) {
    v.error = ENOSPC;
  } else if ((plan.calls & call) != 0 && ++plan.seen == plan.nth) {
    constexpr int kErrno[] = {ENOSPC, EIO, EINTR, 0, EIO};
    plan.fired = call;
    v.error = kErrno[static_cast<int>(plan.fault)];
    v.shorten = v.error == 0;
    plan.diskFull = plan.fault == Fault::kNoSpace;
    plan.dead = plan.fault == Fault::kPowerCut;
  }
  return v;
}

bool Fails(const Verdict& v) {
  if (v.error == 0) return false;
  errno = v.error;
  return true;
}

// Notes a change to a file inside the directory; with a sync (no change), takes the file as it
// is now as what survives a power cut. True for a file inside: its real sync is skipped, since
// these tests judge what the callers report and what they leave in their files, not the disk.
bool Note(const std::string& path, std::optional<Unsynced> change) {
  if (path.empty()) return false;
  Plan& plan = ThePlan();
  std::lock_guard<std::mutex> lock(plan.mutex);
  Track(plan, path);
  const auto it = plan.files.find(path);
  if (it == plan.files.end()) return true;
  if (change) {
    it->second.since.push_back(std::move(*change));
  } else {
    plan.files.erase(it);
    Track(plan, path);
  }
  return true;
}

template <class F>
F Next(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

void Apply(std::string& content, off_t offset, const std::string& data) {
  const auto at = static_cast<std::size_t>(offset);
  if (content.size() < at + data.size()) content.resize(at + data.size(), '\0');
  content.replace(at, data.size(), data);
}

}  // namespace

FaultScope::FaultScope(const std::filesystem::path& directory, unsigned calls, int nth, Fault fault) {
  Plan& plan = ThePlan();
  std::lock_guard<std::mutex> lock(plan.mutex);
  std::error_code ec;
  plan.directory = directory.string() + "/";
  plan.canonical = std::filesystem::canonical(directory, ec).string() + "/";
  plan.calls = calls;
  plan.nth = nth;
  plan.seen = 0;
  plan.fired = 0;
  plan.fault = fault;
  plan.diskFull = plan.dead = false;
  plan.files.clear();
  g_armed.store(true, std::memory_order_release);
}

FaultScope::~FaultScope() {
  g_armed.store(false, std::memory_order_release);
  Plan& plan = ThePlan();
  std::lock_guard<std::mutex> lock(plan.mutex);
  plan.files.clear();
}

unsigned FaultScope::Fired() const {
  Plan& plan = ThePlan();
  std::lock_guard<std::mutex> lock(plan.mutex);
  return plan.fired;
}

bool FaultScope::Restore(AfterCut mode, std::uint32_t seed) {
  Plan& plan = ThePlan();
  std::lock_guard<std::mutex> lock(plan.mutex);
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    if (plan.Inside(PathOf(std::stoi(entry.path().filename().string())))) return false;
  }
  g_armed.store(false, std::memory_order_release);  // the files are written below through the calls
  std::mt19937 rng(seed);
  auto pick = [&rng](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
  for (auto& [path, t] : plan.files) {
    bool exists = t.exists;
    std::string content = t.synced;
    for (const Unsynced& change : mode == AfterCut::kRandomMix ? t.since : std::vector<Unsynced>{}) {
      const int fate = pick(3);  // 0 lost, 1 kept, 2 torn
      if (fate == 0) continue;
      switch (change.kind) {
        case Unsynced::kWrite: {
          exists = true;
          if (fate == 1) {
            Apply(content, change.offset, change.data);
            break;
          }
          constexpr std::size_t kSector = 512;
          for (std::size_t at = 0; at < change.data.size(); at += kSector) {
            std::string piece = change.data.substr(at, kSector);
            const int sector = pick(3);  // 0 old, 1 new, 2 garbage
            if (sector == 0) continue;
            if (sector == 2) {
              for (char& c : piece) c = static_cast<char>(pick(256));
            }
            Apply(content, change.offset + static_cast<off_t>(at), piece);
          }
          break;
        }
        case Unsynced::kTruncate:
          if (exists) content.resize(static_cast<std::size_t>(change.offset), '\0');
          break;
        case Unsynced::kDelete:
          exists = false;
          content.clear();
          break;
      }
    }
    if (exists) {
      utility::testsupport::WriteBytes(path, content);
    } else {
      std::filesystem::remove(path);
    }
  }
  std::vector<std::filesystem::path> memory;
  for (const auto& entry : std::filesystem::directory_iterator(plan.directory)) {
    if (entry.path().string().ends_with("-shm")) memory.push_back(entry.path());
  }
  for (const auto& file : memory) std::filesystem::remove(file);
  plan.files.clear();  // powered on again, nothing armed
  plan.dead = false;
  plan.calls = 0;
  return true;
}

}  // namespace faults

using faults::Decide;
using faults::Fails;
using faults::Next;
using faults::Note;
using faults::Unsynced;
using faults::Verdict;

// The project builds with hidden visibility; these must be seen by the dynamic linker.
#define INTERPOSED extern "C" __attribute__((visibility("default")))

namespace {

// The bytes a write passes on: half of them when the verdict shortens it.
std::size_t Passed(const Verdict& v, std::size_t count) { return v.shorten && count > 1 ? count / 2 : count; }

// fsync and fdatasync: failed when armed, noted (not passed on) while a power cut is simulated.
int Sync(unsigned call, int fd, int (*real)(int)) {
  const Verdict v = Decide(call, nullptr, fd);
  return Fails(v) ? -1 : Note(v.path, std::nullopt) ? 0 : real(fd);
}

}  // namespace

INTERPOSED ssize_t write(int fd, const void* buffer, size_t count) {
  static const auto real = Next<ssize_t (*)(int, const void*, size_t)>("write");
  const Verdict v = Decide(faults::kWrite, nullptr, fd);
  return Fails(v) ? -1 : real(fd, buffer, Passed(v, count));
}

INTERPOSED ssize_t pwrite64(int fd, const void* buffer, size_t count, off_t offset) {
  static const auto real = Next<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite64");
  const Verdict v = Decide(faults::kStoreWrite, nullptr, fd);
  if (Fails(v)) return -1;
  const ssize_t n = real(fd, buffer, Passed(v, count), offset);
  if (n > 0) {
    Note(v.path, Unsynced{Unsynced::kWrite, offset, std::string(static_cast<const char*>(buffer), std::size_t(n))});
  }
  return n;
}

INTERPOSED int ftruncate64(int fd, off_t length) noexcept {
  static const auto real = Next<int (*)(int, off_t)>("ftruncate64");
  const Verdict v = Decide(faults::kTruncate, nullptr, fd);
  if (Fails(v)) return -1;
  const int rc = real(fd, length);
  if (rc == 0) Note(v.path, Unsynced{Unsynced::kTruncate, length, {}});
  return rc;
}

INTERPOSED int fsync(int fd) {
  static const auto real = Next<int (*)(int)>("fsync");
  return Sync(faults::kSync, fd, real);
}

INTERPOSED int fdatasync(int fd) {
  static const auto real = Next<int (*)(int)>("fdatasync");
  return Sync(faults::kStoreSync, fd, real);
}

INTERPOSED ssize_t pread64(int fd, void* buffer, size_t count, off_t offset) {
  static const auto real = Next<ssize_t (*)(int, void*, size_t, off_t)>("pread64");
  return Fails(Decide(0, nullptr, fd)) ? -1 : real(fd, buffer, count, offset);
}

INTERPOSED int open64(const char* path, int flags, ...) {
  static const auto real = Next<int (*)(const char*, int, ...)>("open64");
  mode_t mode = 0;
  if ((flags & (O_CREAT | O_TMPFILE)) != 0) {
    va_list args;
    va_start(args, flags);
    mode = static_cast<mode_t>(va_arg(args, int));
    va_end(args);
  }
  const Verdict v = Decide(0, path, -1);
  if (Fails(v)) return -1;
  if (!v.path.empty()) {
    faults::Plan& plan = faults::ThePlan();
    std::lock_guard<std::mutex> lock(plan.mutex);
    faults::Track(plan, v.path);  // as it was before the open could create it
  }
  return real(path, flags, mode);
}

INTERPOSED int unlink(const char* path) noexcept {
  static const auto real = Next<int (*)(const char*)>("unlink");
  const Verdict v = Decide(0, path, -1);
  if (Fails(v)) return -1;
  const int rc = real(path);
  if (rc == 0) Note(v.path, Unsynced{Unsynced::kDelete, 0, {}});
  return rc;
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
