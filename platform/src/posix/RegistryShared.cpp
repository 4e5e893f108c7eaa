// Small files beside a hive that every process reads: a mapped word (the key structure's
// generation) and whole files replaced atomically (the damage mark).
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "RegistrySystem.h"

namespace utility::platform::registry {

static_assert(std::atomic<std::uint64_t>::is_always_lock_free, "the word is shared between processes");

std::atomic<std::uint64_t>* MapSharedWord(const std::string& path, std::uint32_t permissions, bool& writable) noexcept {
  writable = false;
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, permissions & 0666);
  int prot = PROT_READ | PROT_WRITE;
  if (fd < 0) {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    prot = PROT_READ;
  }
  if (fd < 0) return nullptr;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && st.st_size < 8 && (prot & PROT_WRITE) != 0) {
    if (::ftruncate(fd, 8) != 0)
      st.st_size = 0;
    else
      st.st_size = 8;
  }
  std::atomic<std::uint64_t>* word = nullptr;
  if (st.st_size >= 8) {
    void* p = ::mmap(nullptr, 8, prot, MAP_SHARED, fd, 0);
    if (p != MAP_FAILED) {
      word = static_cast<std::atomic<std::uint64_t>*>(p);
      writable = (prot & PROT_WRITE) != 0;
    }
  }
  ::close(fd);
  return word;
}

void UnmapSharedWord(std::atomic<std::uint64_t>* word) noexcept {
  if (word != nullptr) ::munmap(static_cast<void*>(word), 8);
}

bool WriteWholeFile(const std::string& path, const std::string& text, std::uint32_t permissions) noexcept {
  try {
    const std::string temp = path + ".tmp" + std::to_string(::getpid());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, (permissions & 0666) | 0600);
    if (fd < 0) return false;
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) && ::fsync(fd) == 0;
    ::close(fd);
    if (written && ::rename(temp.c_str(), path.c_str()) == 0) return true;
    ::unlink(temp.c_str());
    return false;
  } catch (...) {
    return false;  // out of memory for the temporary name
  }
}

bool ReadSmallFile(const std::string& path, std::size_t limit, std::string& text) noexcept {
  try {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    text.assign(limit, '\0');
    const ssize_t n = ::read(fd, text.data(), limit);
    ::close(fd);
    if (n < 0) return false;
    text.resize(static_cast<std::size_t>(n));
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace utility::platform::registry
