// Hive files on disk: the atomic creation of a new hive (built under a temporary name, then
// linked to its final one) and the replacement of one, with the syncs that make them durable.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include <Utility/Platform/Error.h>

#include "RegistrySystem.h"
#include "posix/Errno.h"

namespace utility::platform::registry {

namespace {

using utility::platform::RegistryErrorFromErrno;
using utility::platform::RetryInterrupted;

// The store's code for an errno (registry calls answer LONG).
LONG RegistryCode(int error) noexcept { return static_cast<LONG>(RegistryErrorFromErrno(error)); }

std::string Directory(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Makes the directory's entries durable; the errno of a failed sync, else 0.
int SyncDirectory(const std::string& dir) noexcept {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return 0;  // a directory that cannot be opened cannot be synced either
  const int error = RetryInterrupted([fd] { return ::fsync(fd); }) == 0 ? 0 : errno;
  ::close(fd);
  return error;
}

}  // namespace

LONG EnsureParentDirectory(const std::string& path) {
  const std::string dir = Directory(path);
  struct stat st {};
  if (::stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? ERROR_SUCCESS : ERROR_PATH_NOT_FOUND;
  if (dir != "/" && dir != ".") {
    const LONG parent = EnsureParentDirectory(dir);
    if (parent != ERROR_SUCCESS) return parent;
  }
  if (RetryInterrupted([&] { return ::mkdir(dir.c_str(), 0700); }) != 0 && errno != EEXIST) {
    return RegistryCode(errno);
  }
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
    const LONG e = RegistryCode(errno);
    RemoveTemporary(temp);
    return e;
  }
  const bool synced = RetryInterrupted([fd] { return ::fsync(fd); }) == 0;
  const int syncError = errno;
  ::close(fd);
  if (!synced) {
    RemoveTemporary(temp);
    return RegistryCode(syncError);
  }
  LONG result = ERROR_SUCCESS;
  if (RetryInterrupted([&] { return ::link(temp.c_str(), path.c_str()); }) != 0 && errno != EEXIST) {
    // File systems without hard links: rename, unless another process got there first.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 && RetryInterrupted([&] { return ::rename(temp.c_str(), path.c_str()); }) != 0) {
      result = RegistryCode(errno);
    }
  }
  RemoveTemporary(temp);
  // The new name is durable only once its directory is: until then a crash may lose the hive
  // that the call reported made. The file in place is a whole hive either way.
  if (result == ERROR_SUCCESS) {
    const int error = SyncDirectory(Directory(path));
    if (error != 0) result = RegistryCode(error);
  }
  return result;
}

LONG ReplaceHiveFile(const std::string& temp, const std::string& path) {
  const int fd = ::open(temp.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0 || ::fsync(fd) != 0) {
    const LONG e = RegistryCode(errno);
    if (fd >= 0) ::close(fd);
    RemoveTemporary(temp);
    return e;
  }
  ::close(fd);
  for (const char* suffix : {"-wal", "-shm", "-keys", "-damaged"}) ::unlink((path + suffix).c_str());
  LONG result = ERROR_SUCCESS;
  if (::rename(temp.c_str(), path.c_str()) != 0) result = RegistryCode(errno);
  RemoveTemporary(temp);
  SyncDirectory(Directory(path));
  return result;
}

}  // namespace utility::platform::registry
