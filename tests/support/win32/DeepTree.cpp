// Deep trees through extended-length paths ("\\?\C:\..."), which the system takes up to about
// 32,767 units, past MAX_PATH.
#include "support/DeepTree.h"

#include <fstream>
#include <stdexcept>
#include <system_error>

namespace utility::testsupport {
namespace {

std::filesystem::path Extended(const std::filesystem::path& path) {
  return std::filesystem::path(L"\\\\?\\" + std::filesystem::absolute(path).make_preferred().wstring());
}

std::filesystem::path Utf8Name(const std::string& name) {
  return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

void WriteFile(const std::filesystem::path& file) {
  std::ofstream out(file, std::ios::binary);
  out << 'x';
  if (!out) throw std::runtime_error("cannot write a file of the chain");
}

}  // namespace

void MakeChain(const std::filesystem::path& root, const std::vector<std::string>& names, bool lastIsDirectory) {
  std::filesystem::path at = Extended(root);
  if (!std::filesystem::create_directory(at)) throw std::runtime_error("cannot create " + root.string());
  for (std::size_t i = 0; i < names.size(); ++i) {
    WriteFile(at / "side");
    at /= Utf8Name(names[i]);
    if (i + 1 == names.size() && !lastIsDirectory) {
      WriteFile(at);
    } else if (!std::filesystem::create_directory(at)) {
      throw std::runtime_error("cannot create a level of the chain");
    }
  }
}

std::size_t CountEntriesDeep(const std::filesystem::path& root) {
  std::error_code ec;
  std::size_t count = 0;
  for (auto it = std::filesystem::recursive_directory_iterator(Extended(root), ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    ++count;
  }
  return count;
}

// Called from destructors: what cannot be removed is left, as by remove_all.
void RemoveDeep(const std::filesystem::path& root) {
  std::error_code ec;
  std::filesystem::remove_all(Extended(root), ec);
}

}  // namespace utility::testsupport
