// A temporary directory for one test, removed with everything in it when the test ends.
#pragma once

#include <filesystem>
#include <string>

#include <Utility/Platform/String.h>

namespace utility::testsupport {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The native path, and its Windows form (backslashes).
  const std::filesystem::path& path() const { return m_path; }
  CString Windows() const;
  // The Windows form of a name inside the directory ("dir\name").
  CString Windows(const std::string& name) const;

 private:
  std::filesystem::path m_path;
};

// The platform's unit pointer of a UTF-16 literal or string.
inline const WCHAR* W(const char16_t* s) { return reinterpret_cast<const WCHAR*>(s); }
inline const WCHAR* W(const std::u16string& s) { return reinterpret_cast<const WCHAR*>(s.c_str()); }

// UTF-8 text of UTF-16 units, for SCOPED_TRACE and failure messages.
std::string Utf8(const CString& s);
std::string Utf8(const char16_t* s);

}  // namespace utility::testsupport
