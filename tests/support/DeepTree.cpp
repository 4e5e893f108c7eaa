// Deep trees through directory descriptors.
#include "support/DeepTree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <stdexcept>

namespace utility::testsupport {
namespace {

constexpr std::size_t kNameRoom = 240;

int OpenDirectoryAt(int parent, const char* name) {
  return openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

void WriteFileAt(int dir, const char* name) {
  const int fd = openat(dir, name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) throw std::runtime_error(std::string("cannot create ") + name);
  const bool ok = write(fd, "x", 1) == 1;
  close(fd);
  if (!ok) throw std::runtime_error(std::string("cannot write ") + name);
}

// Visits the entries of the directory open at fd; the directory is closed afterwards.
template <class Visit>
void ForEachEntry(int fd, Visit visit) {
  DIR* dir = fdopendir(fd);
  if (dir == nullptr) {
    close(fd);
    return;
  }
  std::vector<std::string> names;
  while (const dirent* e = readdir(dir)) {
    const std::string name = e->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  for (const std::string& name : names) visit(dirfd(dir), name);
  closedir(dir);
}

bool IsDirectoryAt(int parent, const std::string& name) {
  struct stat st {};
  return fstatat(parent, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
}

std::size_t CountBelow(int fd) {
  std::size_t count = 0;
  ForEachEntry(fd, [&](int parent, const std::string& name) {
    ++count;
    if (IsDirectoryAt(parent, name)) {
      const int child = OpenDirectoryAt(parent, name.c_str());
      if (child >= 0) count += CountBelow(child);
    }
  });
  return count;
}

void EmptyBelow(int fd) {
  ForEachEntry(fd, [](int parent, const std::string& name) {
    if (IsDirectoryAt(parent, name)) {
      const int child = OpenDirectoryAt(parent, name.c_str());
      if (child >= 0) EmptyBelow(child);
      fchmodat(parent, name.c_str(), 0700, 0);
      unlinkat(parent, name.c_str(), AT_REMOVEDIR);
    } else {
      unlinkat(parent, name.c_str(), 0);
    }
  });
}

}  // namespace

std::vector<std::string> ChainNames(std::size_t rootBytes, std::size_t totalBytes, const std::string& character) {
  if (totalBytes < rootBytes + 1 + 8) throw std::invalid_argument("no room for a chain");
  std::vector<std::string> names;
  std::size_t room = totalBytes - rootBytes;  // bytes after the root, one separator per name
  while (room > 0) {
    // The last name takes what is left once it fits in one name; a full name leaves room for
    // at least ten more bytes, so the last one is never shorter than nine.
    std::size_t take = room - 1;
    if (take > kNameRoom) take = room - kNameRoom - 1 < 10 ? room - 11 : kNameRoom;
    std::string name;
    while (name.size() + character.size() <= take) name += character;
    name.append(take - name.size(), 'a');
    names.push_back(name);
    room -= take + 1;
  }
  return names;
}

void MakeChain(const std::filesystem::path& root, const std::vector<std::string>& names, bool lastIsDirectory) {
  if (mkdir(root.c_str(), 0755) != 0) throw std::runtime_error("cannot create " + root.string());
  int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (fd < 0) throw std::runtime_error("cannot open a level of the chain");
    WriteFileAt(fd, "side");
    if (i + 1 == names.size() && !lastIsDirectory) {
      WriteFileAt(fd, names[i].c_str());
      break;
    }
    if (mkdirat(fd, names[i].c_str(), 0755) != 0) {
      close(fd);
      throw std::runtime_error("cannot create a level of the chain");
    }
    if (i + 1 == names.size()) break;
    const int next = OpenDirectoryAt(fd, names[i].c_str());
    close(fd);
    fd = next;
  }
  if (fd >= 0) close(fd);
}

std::size_t CountEntriesDeep(const std::filesystem::path& root) {
  const int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  return fd < 0 ? 0 : CountBelow(fd);
}

void RemoveDeep(const std::filesystem::path& root) {
  const int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    unlink(root.c_str());
    return;
  }
  EmptyBelow(fd);
  rmdir(root.c_str());
}

}  // namespace utility::testsupport
