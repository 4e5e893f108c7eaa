// Deep trees through directory descriptors; counted and removed by find and rm, which walk
// them the same way.
#include "support/DeepTree.h"

#include "support/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace utility::testsupport {
namespace {

void WriteFileAt(int dir, const char* name) {
  const int fd = openat(dir, name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const bool ok = fd >= 0 && write(fd, "x", 1) == 1;
  if (fd >= 0) close(fd);
  if (!ok) throw std::runtime_error(std::string("cannot write ") + name);
}

}  // namespace

void MakeChain(const std::filesystem::path& root, const std::vector<std::string>& names, bool lastIsDirectory) {
  if (mkdir(root.c_str(), 0755) != 0) throw std::runtime_error("cannot create " + root.string());
  int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  for (std::size_t i = 0; fd >= 0 && i < names.size(); ++i) {
    WriteFileAt(fd, "side");
    const bool last = i + 1 == names.size();
    if (last && !lastIsDirectory) {
      WriteFileAt(fd, names[i].c_str());
    } else if (mkdirat(fd, names[i].c_str(), 0755) != 0) {
      close(fd);
      throw std::runtime_error("cannot create a level of the chain");
    }
    const int next = last ? -1 : openat(fd, names[i].c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    close(fd);
    fd = next;
    if (fd < 0 && !last) throw std::runtime_error("cannot open a level of the chain");
  }
}

std::size_t CountEntriesDeep(const std::filesystem::path& root) {
  FILE* found = popen(("find " + ShellQuoted(root.native()) + " -mindepth 1 -printf x 2>/dev/null").c_str(), "r");
  if (found == nullptr) return 0;
  std::size_t count = 0;
  while (std::fgetc(found) != EOF) ++count;
  pclose(found);
  return count;
}

// Called from destructors: what cannot be removed is left, as by remove_all.
void RemoveDeep(const std::filesystem::path& root) {
  [[maybe_unused]] const int status = std::system(
      ("chmod -R u+rwx " + ShellQuoted(root.native()) + " 2>/dev/null; rm -rf " + ShellQuoted(root.native())).c_str());
}

}  // namespace utility::testsupport
