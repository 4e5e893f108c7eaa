// Library paths to native names.
#include "NativeName.h"

#include <string_view>
#include <vector>

#include <Utility/Platform/Error.h>
#include <Utility/Platform/Exception.h>
#include <Utility/Platform/Path.h>

#include "NativeFileSystem.h"

namespace utility::platform {
namespace {

// The root that begins a native path: what `..` cannot climb above and what repeated
// separators do not shorten. On Linux that is a leading `/` (`//` names the same root). On
// Windows it is also a drive (`C:/`, or `C:` for that drive's current directory) and a share
// (`//server/share/`), so that `C:\a\..\..` stays on drive C: and `\\server\share\..` on
// the share, as Windows reads them, and never becomes a path relative to the current directory.
std::size_t RootLength(std::string_view p) noexcept {
#ifdef _WIN32
  if (p.size() >= 2 && p[0] == '/' && p[1] == '/') {
    std::size_t end = p.find('/', 2);                               // after the server
    if (end != std::string_view::npos) end = p.find('/', end + 1);  // after the share
    return end == std::string_view::npos ? p.size() : end + 1;
  }
  const bool letter = p.size() >= 2 && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'));
  if (letter && p[1] == ':') return p.size() > 2 && p[2] == '/' ? 3 : 2;
#endif
  return !p.empty() && p[0] == '/' ? 1 : 0;
}

// Whether the lexical rules leave the path after its root as it is: no empty, `.` or `..`
// component and no trailing separator. Most paths are of this kind and pay only this scan.
bool AlreadyNormal(std::string_view rest) noexcept {
  if (rest.empty()) return true;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= rest.size(); ++i) {
    if (i < rest.size() && rest[i] != '/') continue;
    const std::string_view part = rest.substr(start, i - start);
    if (part.empty() || part == "." || part == "..") return false;
    start = i + 1;
  }
  return true;
}

// Whether the native name is a directory or a link to one; a name that does not exist passes,
// so that a directory can still be created under a name written with a trailing separator.
bool DirectoryOrAbsent(const std::string& native) noexcept {
  NativeFileInfo info;
  if (StatNative(native.c_str(), info, true) != ERROR_SUCCESS) return true;
  return info.kind == NativeKind::kDirectory || (info.kind == NativeKind::kLink && info.linkToDirectory);
}

}  // namespace

std::size_t BoundedLength(const WCHAR* path) noexcept {
  std::size_t n = 0;
  while (path[n] != 0 && n <= kMaxNativeUnits) ++n;
  return n;
}

bool NormalizeNativeName(std::string& native) {
  const std::size_t root = RootLength(native);
  const std::string_view rest = std::string_view(native).substr(root);
  if (AlreadyNormal(rest)) return false;
  // Below a root that ends in a separator, `..` at the top is the root itself; below none (or
  // a drive's current directory), it is kept.
  const bool absolute = root != 0 && native[root - 1] == '/';
  std::vector<std::string_view> parts;
  std::string_view last;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= rest.size(); ++i) {
    if (i < rest.size() && rest[i] != '/') continue;
    last = rest.substr(start, i - start);
    start = i + 1;
    if (last.empty() || last == ".") continue;
    if (last == "..") {
      if (!parts.empty() && parts.back() != "..") {
        parts.pop_back();
        continue;
      }
      if (absolute) continue;  // the root is its own parent
    }
    parts.push_back(last);
  }
  const bool directory = last.empty() || last == ".";
  std::string out(native, 0, root);
  for (std::size_t k = 0; k < parts.size(); ++k) {
    if (k != 0) out += '/';
    out += parts[k];
  }
  if (out.empty()) out = ".";
  native = std::move(out);
  return directory;
}

bool NativeName(const WCHAR* path, std::string& native) noexcept {
  if (path == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  const std::size_t length = BoundedLength(path);
  if (length > kMaxNativeUnits) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  try {
    std::size_t ascii = 0;
    while (ascii < length && path[ascii] < 0x80) ++ascii;
    if (ascii == length) {
      // Plain ASCII, the usual path, is its own native name: mapped unit for unit.
      native.resize(length);
      for (std::size_t i = 0; i < length; ++i) native[i] = path[i] == u'\\' ? '/' : static_cast<char>(path[i]);
    } else if (!utility::platform::NativePath(CStringRef(path), native)) {
      SetLastError(ERROR_INVALID_NAME);
      return false;
    }
    if (NormalizeNativeName(native) && !DirectoryOrAbsent(native)) {
      SetLastError(ERROR_INVALID_NAME);
      return false;
    }
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
  return true;
}

}  // namespace utility::platform
