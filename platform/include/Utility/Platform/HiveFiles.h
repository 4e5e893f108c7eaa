// The registry store's own calls, beyond the Win32 registry: read-only marks on keys, checks
// and salvage of hive files, and where a hive's file lies. Results are Win32 error codes, as
// for the registry calls in Registry.h. See docs/registry.md.
#pragma once

#include <Utility/Platform/Export.h>
#include <Utility/Platform/Registry.h>
#include <Utility/Platform/Types.h>

// What SalvageHive copied and lost.
struct REG_SALVAGE_COUNTS {
  DWORD keys;         // keys copied, the root not counted
  DWORD values;       // values copied
  DWORD rebuiltKeys;  // keys made again from their sub-keys' paths
  DWORD lostRows;     // rows that could not be read, and values whose key could not be
};

// SalvageHive's flag: an existing newFile is replaced.
#define REG_SALVAGE_REPLACE 0x00000001u

namespace utility::platform {

// SetKeyReadOnly(), GetKeyReadOnly()
//
// The store's read-only mark of subKey below key (an existing key, or key itself for an empty
// path). A key is read-only when it or a key above it is marked: opening it with write rights
// and creating keys below it then give ERROR_ACCESS_DENIED for every caller. Handles opened
// before the mark keep their rights. GetKeyReadOnly tells whether the key itself is marked
// (markedSelf) and whether it is read-only through a mark above it (effective); both are
// optional.
//
// Example:
//   SetKeyReadOnly(HKEY_LOCAL_MACHINE, CString(u"Software\\Tarnwell"), TRUE);
//   BOOL self = FALSE, effective = FALSE;
//   GetKeyReadOnly(HKEY_LOCAL_MACHINE, CString(u"Software\\Tarnwell\\Sub"), &self, &effective);
//   // self == FALSE, effective == TRUE
UTILITY_PLATFORM_API LONG SetKeyReadOnly(HKEY key, LPCWSTR subKey, BOOL readOnly) noexcept;
UTILITY_PLATFORM_API LONG GetKeyReadOnly(HKEY key, LPCWSTR subKey, BOOL* markedSelf, BOOL* effective) noexcept;

// CheckHive()
//
// Checks the whole hive that key belongs to for damage: ERROR_SUCCESS for a sound hive (a hive
// that does not exist yet counts as sound), ERROR_BADDB or ERROR_REGISTRY_CORRUPT otherwise.
//
// Example:
//   if (CheckHive(HKEY_CURRENT_USER) == ERROR_REGISTRY_CORRUPT) { /* salvage it */ }
UTILITY_PLATFORM_API LONG CheckHive(HKEY key) noexcept;

// SalvageHive()
//
// Copies every key and value that can still be read from the hive file damagedFile into a
// new hive file newFile, row by row, so that a damaged page loses only the rows on it. The
// damaged file is only read, never changed. Keys keep their names, read-only marks and
// times; values keep their names, types, data and order. A key whose own row is lost but
// whose sub-keys are readable is made again under its folded (upper-case) name. The new
// hive passes CheckHive before it gets its name. newFile must not exist unless flags
// holds REG_SALVAGE_REPLACE (replace it only while no process has it open), and is never
// damagedFile itself (ERROR_INVALID_PARAMETER). counts (optional) receives what was copied
// and how many rows could not be read.
//
// Errors: ERROR_FILE_NOT_FOUND (no damagedFile), ERROR_FILE_EXISTS, ERROR_BADDB (not a hive,
// or its header is unreadable: nothing to salvage), and the codes of the new file's writes.
//
// Example:
//   REG_SALVAGE_COUNTS counts{};
//   if (SalvageHive(CString(u"/tmp/settings.db"), CString(u"/tmp/settings.db.recovered"), 0,
//                   &counts) == 0) {
//     // counts.keys, counts.values copied; counts.lostRows could not be read
//   }
UTILITY_PLATFORM_API LONG SalvageHive(LPCWSTR damagedFile, LPCWSTR newFile, DWORD flags,
                                      REG_SALVAGE_COUNTS* counts) noexcept;

// GetHiveFile()
//
// The native path of the file that holds key's hive, as UTF-16 in path (size in units,
// including the terminator; ERROR_MORE_DATA with size set to the units needed when it does
// not fit; with path null, size receives the units needed). The file need not exist yet.
//
// Example:
//   WCHAR path[4096]; DWORD size = 4096;
//   GetHiveFile(HKEY_CURRENT_USER, path, &size);  // ".../utility/registry/current-user.db"
UTILITY_PLATFORM_API LONG GetHiveFile(HKEY key, LPWSTR path, LPDWORD size) noexcept;

}  // namespace utility::platform
