// Attributes and find data from what the system reports of an object.
#include "FindData.h"

#include <cstring>

#include "NativeNames.h"

namespace utility::platform {
namespace {

DWORD KindAttributes(NativeKind kind, bool linkToDirectory) noexcept {
  switch (kind) {
    case NativeKind::kLink:
      return FILE_ATTRIBUTE_REPARSE_POINT | (linkToDirectory ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE);
    case NativeKind::kDirectory:
      return FILE_ATTRIBUTE_DIRECTORY;
    case NativeKind::kFile:
      return FILE_ATTRIBUTE_ARCHIVE;
    default:
      return FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_SYSTEM;
  }
}

// Names that start with a dot are hidden, as on the system they come from; ".." is no name.
DWORD NameAttributes(std::string_view name) noexcept {
  return name.size() > 1 && name[0] == '.' && name != ".." ? FILE_ATTRIBUTE_HIDDEN : 0;
}

FILETIME FileTime(const NativeTime& t) noexcept {
  // 100-nanosecond ticks from 1601-01-01 to 1970-01-01.
  constexpr long long kEpochDelta = 116444736000000000LL;
  const long long ticks = kEpochDelta + t.seconds * 10000000LL + t.nanoseconds / 100;
  const auto u = static_cast<unsigned long long>(ticks < 0 ? 0 : ticks);
  return FILETIME{static_cast<DWORD>(u & 0xFFFFFFFFu), static_cast<DWORD>(u >> 32)};
}

// The entry's name in UTF-16; plain ASCII names, the common case, are widened unit by unit.
// Bytes that are not valid UTF-8 take their escape units, so that the name given back reaches
// this same entry.
void SetName(WIN32_FIND_DATAW* data, std::string_view name) noexcept {
  std::size_t i = 0;
  for (; i < name.size() && i < MAX_PATH - 1; ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (c >= 0x80) break;
    data->cFileName[i] = c;
  }
  if (i == name.size()) {
    data->cFileName[i] = 0;
    return;
  }
  data->cFileName[utility::platform::DecodeNativeName(name, data->cFileName, MAX_PATH - 1)] = 0;
}

}  // namespace

bool IsReadOnly(const NativeFileInfo& info) noexcept {
  return info.kind != NativeKind::kDirectory && info.kind != NativeKind::kLink && info.noWritePermission;
}

DWORD Attributes(const NativeFileInfo& info, std::string_view name) noexcept {
  DWORD attributes = KindAttributes(info.kind, info.linkToDirectory);
  if (IsReadOnly(info)) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes | NameAttributes(name);
}

void FillFindData(WIN32_FIND_DATAW* data, const NativeFileInfo& info, std::string_view name) noexcept {
  std::memset(data, 0, sizeof(*data));
  data->dwFileAttributes = Attributes(info, name);
  // The file system keeps no creation time that the system reports; the last write stands in.
  data->ftCreationTime = FileTime(info.lastWrite);
  data->ftLastAccessTime = FileTime(info.lastAccess);
  data->ftLastWriteTime = FileTime(info.lastWrite);
  if (info.kind == NativeKind::kFile) {
    data->nFileSizeHigh = static_cast<DWORD>(info.size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(info.size & 0xFFFFFFFFu);
  }
  SetName(data, name);
}

void FillFindDataFromKind(WIN32_FIND_DATAW* data, NativeKind kind, bool linkToDirectory,
                          std::string_view name) noexcept {
  data->dwFileAttributes = KindAttributes(kind, linkToDirectory) | NameAttributes(name);
  data->ftCreationTime = data->ftLastAccessTime = data->ftLastWriteTime = FILETIME{0, 0};
  data->nFileSizeHigh = data->nFileSizeLow = 0;
  data->dwReserved0 = data->dwReserved1 = 0;
  data->cAlternateFileName[0] = 0;
  SetName(data, name);
}

}  // namespace utility::platform
