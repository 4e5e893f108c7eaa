// Hive files on disk: the default places of the predefined hives and the atomic creation of
// a new hive (built under a temporary name, then linked to its final one).
#include "posix/RegistryFiles.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>

#include <Utility/Platform/Error.h>

#include "RegistryStore.h"
#include "posix/Errno.h"

namespace registry {

namespace {

constexpr const char* kCurrentUserFile = "current-user.db";
constexpr const char* kLocalMachineFile = "local-machine.db";
constexpr const char* kLocalMachineDir = "/var/lib/utility/registry";

std::string HomeDirectory() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != 0) return home;
  struct passwd pw {};
  struct passwd* found = nullptr;
  char buffer[4096];
  if (getpwuid_r(getuid(), &pw, buffer, sizeof buffer, &found) == 0 && found != nullptr && found->pw_dir != nullptr) {
    return found->pw_dir;
  }
  return "/";
}

std::string Directory(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

using platform::RetryInterrupted;

// Makes the directory's entries durable; the errno of a failed sync, else 0.
int SyncDirectory(const std::string& dir) noexcept {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return 0;  // a directory that cannot be opened cannot be synced either
  const int error = RetryInterrupted([fd] { return ::fsync(fd); }) == 0 ? 0 : errno;
  ::close(fd);
  return error;
}

}  // namespace

LONG ErrorFromErrno(int error) noexcept {
  switch (error) {
    case 0:
      return ERROR_SUCCESS;
    case EACCES:
    case EPERM:
    case EROFS:
      return ERROR_ACCESS_DENIED;
    case ENOENT:
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case ENOSPC:
    case EDQUOT:
      return ERROR_DISK_FULL;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case ENAMETOOLONG:
      return ERROR_FILENAME_EXCED_RANGE;
    default:
      return ERROR_REGISTRY_IO_FAILED;
  }
}

std::string DefaultHiveFile(HKEY root) {
  const bool user = root == HKEY_CURRENT_USER;
  if (!user && root != HKEY_LOCAL_MACHINE) return {};
  const char* file = user ? kCurrentUserFile : kLocalMachineFile;
  const char* override = std::getenv("UTILITY_REGISTRY_DIR");
  if (override != nullptr && *override != 0) return std::string(override) + "/" + file;
  if (!user) return std::string(kLocalMachineDir) + "/" + file;
  const char* config = std::getenv("XDG_CONFIG_HOME");
  // The XDG rules ignore a relative XDG_CONFIG_HOME.
  const std::string base = config != nullptr && config[0] == '/' ? std::string(config) : HomeDirectory() + "/.config";
  return base + "/utility/registry/" + file;
}

LONG EnsureParentDirectory(const std::string& path) {
  const std::string dir = Directory(path);
  struct stat st {};
  if (::stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? ERROR_SUCCESS : ERROR_PATH_NOT_FOUND;
  if (dir != "/" && dir != ".") {
    const LONG parent = EnsureParentDirectory(dir);
    if (parent != ERROR_SUCCESS) return parent;
  }
  if (RetryInterrupted([&] { return ::mkdir(dir.c_str(), 0700); }) != 0 && errno != EEXIST) return ErrorFromErrno(errno);
  return ERROR_SUCCESS;
}

std::string TemporarySibling(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  return path + ".new-" + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1));
}

void RemoveTemporary(const std::string& temp) noexcept {
  ::unlink(temp.c_str());
  ::unlink((temp + "-wal").c_str());
  ::unlink((temp + "-shm").c_str());
  ::unlink((temp + "-journal").c_str());
}

LONG PublishHiveFile(const std::string& temp, const std::string& path) {
  // The new file's contents reach the disk before its name does.
  const int fd = ::open(temp.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) {
    const LONG e = ErrorFromErrno(errno);
    RemoveTemporary(temp);
    return e;
  }
  const bool synced = RetryInterrupted([fd] { return ::fsync(fd); }) == 0;
  const int syncError = errno;
  ::close(fd);
  if (!synced) {
    RemoveTemporary(temp);
    return ErrorFromErrno(syncError);
  }
  LONG result = ERROR_SUCCESS;
  if (RetryInterrupted([&] { return ::link(temp.c_str(), path.c_str()); }) != 0 && errno != EEXIST) {
    // File systems without hard links: rename, unless another process got there first.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 && RetryInterrupted([&] { return ::rename(temp.c_str(), path.c_str()); }) != 0) {
      result = ErrorFromErrno(errno);
    }
  }
  RemoveTemporary(temp);
  // The new name is durable only once its directory is: until then a crash may lose the hive
  // that the call reported made. The file in place is a whole hive either way.
  if (result == ERROR_SUCCESS) {
    const int error = SyncDirectory(Directory(path));
    if (error != 0) result = ErrorFromErrno(error);
  }
  return result;
}

LONG ReplaceHiveFile(const std::string& temp, const std::string& path) {
  const int fd = ::open(temp.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0 || ::fsync(fd) != 0) {
    const LONG e = ErrorFromErrno(errno);
    if (fd >= 0) ::close(fd);
    RemoveTemporary(temp);
    return e;
  }
  ::close(fd);
  for (const char* suffix : {"-wal", "-shm", "-keys", "-damaged"}) ::unlink((path + suffix).c_str());
  LONG result = ERROR_SUCCESS;
  if (::rename(temp.c_str(), path.c_str()) != 0) result = ErrorFromErrno(errno);
  RemoveTemporary(temp);
  SyncDirectory(Directory(path));
  return result;
}

std::int64_t FileTimeNow() noexcept {
  struct timespec ts {};
  ::clock_gettime(CLOCK_REALTIME, &ts);
  constexpr std::int64_t kUnixEpochTicks = 116444736000000000LL;  // 1970-01-01 in FILETIME ticks
  return kUnixEpochTicks + static_cast<std::int64_t>(ts.tv_sec) * 10000000LL + ts.tv_nsec / 100;
}

}  // namespace registry
