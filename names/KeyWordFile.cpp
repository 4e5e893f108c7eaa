// Reads a keyword file and answers lookups, with an exact cache of parsed files.
//
// Parsing a keyword file decodes every line through the code page converter; reading its
// bytes and comparing them with the bytes of the last parse is far cheaper. The cache is
// keyed by the native path and holds the bytes themselves (never a timestamp or size), so a
// same-size rewrite within one clock tick is still seen.
#include "names/KeyWordFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include <Utility/Platform/Path.h>
#include <Utility/Platform/Types.h>

#include "names/KeyWordText.h"

namespace utility::names {
namespace {

// The bytes of a regular file, or nothing when it cannot be opened or read. Opening does
// not block (a FIFO would wait for a writer) and only regular files are read, so a device
// or a directory at the path counts as a file that cannot be opened.
std::optional<std::string> ReadRegularFile(const std::string& nativePath) {
  const int fd = ::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return std::nullopt;
  std::optional<std::string> bytes;
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
        break;
      } else if (errno != EINTR) {
        break;
      }
    }
  }
  ::close(fd);
  return bytes;
}

struct ParsedFile {
  std::string bytes;
  std::unordered_set<std::u16string> entries;
};

// A few recently parsed files. Large files are parsed but not kept.
class ParsedFileCache {
 public:
  std::shared_ptr<const ParsedFile> Find(const std::string& path, const std::string& bytes) {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto& slot : m_slots) {
      if (slot.first == path && slot.second->bytes == bytes) return slot.second;
    }
    return nullptr;
  }

  void Keep(const std::string& path, std::shared_ptr<const ParsedFile> parsed) {
    if (parsed->bytes.size() > kMaxBytes) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    std::erase_if(m_slots, [&](const auto& slot) { return slot.first == path; });
    if (m_slots.size() >= kMaxFiles) m_slots.erase(m_slots.begin());
    m_slots.emplace_back(path, std::move(parsed));
  }

 private:
  static constexpr std::size_t kMaxFiles = 8;
  static constexpr std::size_t kMaxBytes = std::size_t{8} << 20;
  std::mutex m_mutex;
  std::vector<std::pair<std::string, std::shared_ptr<const ParsedFile>>> m_slots;
};

ParsedFileCache& Cache() {
  static ParsedFileCache cache;
  return cache;
}

std::shared_ptr<const ParsedFile> Parse(std::string bytes) {
  auto parsed = std::make_shared<ParsedFile>();
  for (std::u16string& entry : KeyWordEntries(bytes)) parsed->entries.insert(std::move(entry));
  parsed->bytes = std::move(bytes);
  return parsed;
}

}  // namespace

bool IsKeyWordIn(const CString& filePath, const CString& word) {
  // Paths of MAX_PATH units or more cannot be opened, as on the platform the files come from.
  if (filePath.GetLength() >= MAX_PATH) return false;
  const std::string native = NativePath(filePath);
  std::optional<std::string> bytes = ReadRegularFile(native);
  if (!bytes) return false;
  std::shared_ptr<const ParsedFile> parsed = Cache().Find(native, *bytes);
  if (!parsed) {
    parsed = Parse(std::move(*bytes));
    Cache().Keep(native, parsed);
  }
  return parsed->entries.contains(KeyWordLookupForm(word.View()));
}

}  // namespace utility::names
