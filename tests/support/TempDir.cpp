// Per-test temporary directories.
#include "support/TempDir.h"

#include "support/DeepTree.h"
#include "support/Files.h"

#include <cstdlib>
#include <random>
#include <stdexcept>
#include <system_error>

#include <Utility/Platform/Path.h>

namespace utility::testsupport {

TempDir::TempDir() {
  // A new name of random letters in the system's temporary directory (TMPDIR, or TEMP on
  // Windows; UTILITY_TEST_TEMP, when the test run names another), private to the user; taken
  // names are skipped.
  std::random_device random;
  const char* chosen = std::getenv("UTILITY_TEST_TEMP");
  const std::filesystem::path base =
      chosen != nullptr && *chosen != 0 ? PathOf(chosen) : std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = "utility-test-";
    for (int i = 0; i < 8; ++i) name += "abcdefghijklmnopqrstuvwxyz0123456789"[random() % 36];
    std::error_code ec;
    if (std::filesystem::create_directory(base / name, ec)) {
      std::filesystem::permissions(base / name, std::filesystem::perms::owner_all, ec);
      m_path = base / name;
      return;
    }
  }
  throw std::runtime_error("no temporary directory could be made in " + base.string());
}

TempDir::~TempDir() {
  std::error_code ec;
  // Read-only entries must become writable again before they can be removed.
  for (auto it = std::filesystem::recursive_directory_iterator(m_path, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    if (!it->is_symlink()) {
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                   ec);
    }
  }
  std::filesystem::remove_all(m_path, ec);
  // A tree deeper than the system's path limit is left to the descriptor-based removal.
  if (ec) RemoveDeep(m_path);
}

CString TempDir::Windows() const { return utility::platform::WindowsPath(Utf8Name(m_path)); }

CString TempDir::Windows(const std::string& name) const {
  return utility::platform::WindowsPath(Utf8Name(m_path / PathOf(name)));
}

std::string Utf8(const CString& s) { return s.ToUtf8(); }

std::string Utf8(const char16_t* s) { return CString(s).ToUtf8(); }

}  // namespace utility::testsupport
