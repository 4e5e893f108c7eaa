// The operating system's file-system services that the portable file and directory calls stand
// on, one system call (or a fixed few) each. Paths are native names as NativeName makes them;
// failures come back as Win32 codes (0 for success), so no system type or errno crosses here.
#pragma once

#include "NativeTypes.h"

namespace utility::platform {

// What a directory entry is. kUnknown is only ever reported by ReadNativeDirectory, for a file
// system whose directories do not record the type.
enum class NativeKind : unsigned char { kFile, kDirectory, kLink, kOther, kUnknown };

// A point in time as seconds and nanoseconds since 1970-01-01 UTC.
struct NativeTime {
  long long seconds = 0;
  long long nanoseconds = 0;
};

// What the system keeps of one file-system object.
struct NativeFileInfo {
  NativeKind kind = NativeKind::kOther;
  bool linkToDirectory = false;    // a link that leads to a directory (only when asked for)
  bool noWritePermission = false;  // no one may write it by its permission bits
  unsigned long long size = 0;
  NativeTime lastWrite;
  NativeTime lastAccess;
  unsigned long long device = 0;  // device and node tell one object from every other
  unsigned long long node = 0;
};

// The object at native itself, a link as a link; with linkTarget, whether a link leads to a
// directory as well. The error of a missing object tells a missing directory on the way apart.
NativeError StatNative(const char* native, NativeFileInfo& info, bool linkTarget) noexcept;

// The object at native, links followed.
NativeError StatNativeTarget(const char* native, NativeFileInfo& info) noexcept;

// One directory, created with the default permissions.
NativeError MakeNativeDirectory(const char* native) noexcept;

// One empty directory removed; a directory that is not empty is ERROR_DIR_NOT_EMPTY.
NativeError RemoveNativeDirectory(const char* native) noexcept;

// One name that is not a directory (a file or a link) removed.
NativeError RemoveNativeEntry(const char* native) noexcept;

// Renames from to to, never replacing an existing to (ERROR_ALREADY_EXISTS). With pathErrors a
// missing from tells a missing directory on the way apart, as StatNative does.
NativeError RenameNativeNoReplace(const char* from, const char* to, bool pathErrors) noexcept;

// A directory open for reading, entry by entry.
struct NativeDirectory;

NativeError OpenNativeDirectory(const char* native, NativeDirectory*& directory) noexcept;
void CloseNativeDirectory(NativeDirectory* directory) noexcept;

// One entry: its name (valid until the next read) and the kind the directory records for it.
struct NativeEntry {
  const char* name = nullptr;
  NativeKind kind = NativeKind::kUnknown;
};

// The next entry, "." and ".." included; false at the end (or when the directory cannot be
// read further).
bool ReadNativeDirectory(NativeDirectory* directory, NativeEntry& entry) noexcept;

// StatNative with linkTarget for an entry of an open directory; false when it is gone.
bool StatNativeEntry(NativeDirectory* directory, const char* name, NativeFileInfo& info) noexcept;

// Whether the entry of an open directory leads to a directory, links followed.
bool NativeEntryLeadsToDirectory(NativeDirectory* directory, const char* name) noexcept;

}  // namespace utility::platform
