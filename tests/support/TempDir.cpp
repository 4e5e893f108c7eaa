// Per-test temporary directories.
#include "support/TempDir.h"

#include "support/DeepTree.h"

#include <cstdlib>
#include <stdexcept>
#include <system_error>

#include <Utility/Platform/Path.h>

namespace utility::testsupport {

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr && *base != 0 ? base : "/tmp") + "/utility-test-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed for " + pattern);
  m_path = pattern;
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

CString TempDir::Windows() const { return utility::platform::WindowsPath(m_path.string()); }

CString TempDir::Windows(const std::string& name) const {
  return utility::platform::WindowsPath((m_path / name).string());
}

std::string Utf8(const CString& s) { return s.ToUtf8(); }

std::string Utf8(const char16_t* s) { return CString(s).ToUtf8(); }

}  // namespace utility::testsupport
