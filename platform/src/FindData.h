// Win32's view of a file-system object: attributes and WIN32_FIND_DATAW, made from what the
// system reports of it, the same rules on every system.
#pragma once

#include <string_view>

#include <Utility/Platform/FileSystem.h>

#include "NativeFileSystem.h"

namespace utility::platform {

// Whether the object counts as read-only: a file (not a directory or link) no one may write.
bool IsReadOnly(const NativeFileInfo& info) noexcept;

// The attributes of the object, whose native entry name is name (a dot name is hidden).
DWORD Attributes(const NativeFileInfo& info, std::string_view name) noexcept;

// The whole entry: attributes, times, size (of a file only) and name.
void FillFindData(WIN32_FIND_DATAW* data, const NativeFileInfo& info, std::string_view name) noexcept;

// An entry from its kind alone (see FIND_FIRST_EX_ENTRY_TYPE_ONLY): no read-only attribute, no
// times or size.
void FillFindDataFromKind(WIN32_FIND_DATAW* data, NativeKind kind, bool linkToDirectory,
                          std::string_view name) noexcept;

}  // namespace utility::platform
