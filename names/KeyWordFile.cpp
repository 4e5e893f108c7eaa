// Reads a keyword file and answers lookups, with an exact cache of parsed files.
//
// Parsing a keyword file decodes every line through the code page converter; reading its
// bytes and comparing them with the bytes of the last parse is far cheaper. The cache is
// keyed by the native path and holds the bytes themselves (never a timestamp or size), so a
// same-size rewrite within one clock tick is still seen.
#include "KeyWordFile.h"

#include <algorithm>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <Utility/Platform/FileContents.h>
#include <Utility/Platform/Path.h>
#include <Utility/Platform/Types.h>

#include "KeyWordText.h"

namespace utility::names {
namespace {

// The entries of one file's bytes, sorted for binary search. (A sorted vector rather than a
// hash set: its code is all inline and stays inside the library's hidden symbols.)
// Unit-by-unit order of entries. The sort and the search run over plain pointers with this
// spelt-out order: the vector iterators' C++20 comparison would emit a unique object of the
// standard library that the linker exports from the library.
bool Before(const std::u16string& a, const std::u16string& b) { return a.compare(b) < 0; }

struct ParsedFile {
  std::string path;
  std::string bytes;
  std::vector<std::u16string> entries;

  bool Lists(const std::u16string& word) const {
    return std::binary_search(entries.data(), entries.data() + entries.size(), word, Before);
  }
};

ParsedFile Parse(std::string path, std::string bytes) {
  ParsedFile parsed{std::move(path), std::move(bytes), {}};
  parsed.entries = KeyWordEntries(parsed.bytes);
  std::sort(parsed.entries.data(), parsed.entries.data() + parsed.entries.size(), Before);
  return parsed;
}

// A few recently parsed files. A lookup holds the lock only to compare the bytes and search
// the entries; parsing happens outside it. Large files are parsed but not kept.
class ParsedFileCache {
 public:
  // The answer for the word when the remembered bytes of path equal bytes, else nothing.
  std::optional<bool> Lookup(const std::string& path, const std::string& bytes, const std::u16string& word) {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const ParsedFile& file : m_files) {
      if (file.path == path) {
        if (file.bytes != bytes) return std::nullopt;
        return file.Lists(word);
      }
    }
    return std::nullopt;
  }

  void Keep(ParsedFile parsed) {
    if (parsed.bytes.size() > kMaxBytes) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    std::erase_if(m_files, [&](const ParsedFile& file) { return file.path == parsed.path; });
    if (m_files.size() >= kMaxFiles) m_files.erase(m_files.begin());
    m_files.push_back(std::move(parsed));
  }

 private:
  static constexpr std::size_t kMaxFiles = 8;
  static constexpr std::size_t kMaxBytes = std::size_t{8} << 20;
  std::mutex m_mutex;
  std::vector<ParsedFile> m_files;
};

ParsedFileCache& Cache() {
  static ParsedFileCache cache;
  return cache;
}

}  // namespace

bool IsKeyWordIn(const CString& filePath, const CString& word) {
  // Paths of MAX_PATH units or more cannot be opened, as on the platform the files come from.
  if (filePath.GetLength() >= MAX_PATH) return false;
  std::string native;
  if (!utility::platform::NativePath(filePath, native)) return false;  // no such file can exist
  std::string bytes;
  if (!utility::platform::ReadRegularFile(native, bytes)) return false;
  const std::u16string lookupForm = KeyWordLookupForm(word.View());
  if (const std::optional<bool> known = Cache().Lookup(native, bytes, lookupForm)) return *known;
  ParsedFile parsed = Parse(std::move(native), std::move(bytes));
  const bool listed = parsed.Lists(lookupForm);
  Cache().Keep(std::move(parsed));
  return listed;
}

}  // namespace utility::names
