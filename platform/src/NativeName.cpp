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

// Whether the lexical rules leave the path as it is: no empty, `.` or `..` component and no
// trailing separator. Most paths are of this kind and pay only this scan.
bool AlreadyNormal(std::string_view p) noexcept {
  if (p.empty()) return true;
  if (p.size() > 1 && p.back() == '/') return false;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= p.size(); ++i) {
    if (i < p.size() && p[i] != '/') continue;
    const std::string_view part = p.substr(start, i - start);
    if ((part.empty() && start != 0 && i != p.size()) || part == "." || part == "..") return false;
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
  if (AlreadyNormal(native)) return false;
  const bool absolute = native.front() == '/';
  std::vector<std::string_view> parts;
  std::string_view last;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= native.size(); ++i) {
    if (i < native.size() && native[i] != '/') continue;
    last = std::string_view(native).substr(start, i - start);
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
  std::string out = absolute ? "/" : "";
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
