// The names of chains deeper than the system's path limit (the walks are the system's own:
// posix/DeepTree.cpp, win32/DeepTree.cpp).
#include "support/DeepTree.h"

#include <stdexcept>

namespace utility::testsupport {
namespace {

constexpr std::size_t kNameRoom = 240;

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

}  // namespace utility::testsupport
