#include <Utility/Platform/FileContents.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace utility::platform {

bool ReadRegularFile(const std::string& nativePath, std::string& bytes) {
  const int fd = ::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return false;
  bool complete = false;
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    std::string data;
    data.reserve(static_cast<std::size_t>(info.st_size));
    char chunk[65536];
    for (;;) {
      const ssize_t n = ::read(fd, chunk, sizeof chunk);
      if (n > 0) {
        data.append(chunk, static_cast<std::size_t>(n));
      } else if (n == 0) {
        bytes = std::move(data);
        complete = true;
        break;
      } else if (errno != EINTR) {
        break;
      }
    }
  }
  ::close(fd);
  return complete;
}

}  // namespace utility::platform
