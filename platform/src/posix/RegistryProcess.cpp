// The identity of hive files (stat) and of the running process (a page the kernel wipes in a
// child after fork), and the reading of system error numbers as registry codes.
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

#include <Utility/Platform/Error.h>

#include "RegistrySystem.h"
#include "posix/Errno.h"

namespace utility::platform::registry {

LONG StatFile(const std::string& path, FileStatus& status) noexcept {
  status = FileStatus{};
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return static_cast<LONG>(utility::platform::RegistryErrorFromErrno(errno));
  status.exists = true;
  status.directory = S_ISDIR(st.st_mode);
  status.permissions = static_cast<std::uint32_t>(st.st_mode & 07777);
  status.writeProtected = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
  status.identity.device = static_cast<std::uint64_t>(st.st_dev);
  status.identity.inode = static_cast<std::uint64_t>(st.st_ino);
  status.identity.size = static_cast<std::int64_t>(st.st_size);
  status.identity.changed = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
  return ERROR_SUCCESS;
}

LONG ErrorFromSystem(int error) noexcept { return static_cast<LONG>(utility::platform::RegistryErrorFromErrno(error)); }

// The process id, read from a page that the kernel wipes in a child after fork(), so that
// telling a connection inherited from a parent costs no system call.
std::int64_t CurrentProcess() noexcept {
  static std::atomic<pid_t>* const page = []() -> std::atomic<pid_t>* {
    void* p = ::mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return nullptr;
    if (::madvise(p, 4096, MADV_WIPEONFORK) != 0) {
      ::munmap(p, 4096);
      return nullptr;
    }
    return new (p) std::atomic<pid_t>(0);
  }();
  if (page == nullptr) return ::getpid();
  pid_t pid = page->load(std::memory_order_relaxed);
  if (pid == 0) {
    pid = ::getpid();
    page->store(pid, std::memory_order_relaxed);
  }
  return pid;
}

}  // namespace utility::platform::registry
