// Readers for the kernel's text files.
#include "Sysfs.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace utility::diskid {

std::string ReadSmallFile(const std::string& path, std::size_t limit) {
  // O_NONBLOCK: a fifo or a device node put in place of a text file must not stall a query.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return {};
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return {};
  }
  std::string text(limit, '\0');
  std::size_t filled = 0;
  while (filled < limit) {
    const ssize_t n = read(fd, text.data() + filled, limit - filled);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    filled += static_cast<std::size_t>(n);
  }
  close(fd);
  text.resize(filled);
  return text;
}

std::string ReadLine(const std::string& path) {
  std::string text = ReadSmallFile(path);
  const std::size_t end = text.find('\n');
  if (end != std::string::npos) text.resize(end);
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\0'; };
  while (!text.empty() && blank(text.back())) text.pop_back();
  std::size_t first = 0;
  while (first < text.size() && blank(text[first])) ++first;
  return text.substr(first);
}

std::vector<std::string> ListDirectory(const std::string& path) {
  std::vector<std::string> names;
  DIR* dir = opendir(path.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

}  // namespace utility::diskid
