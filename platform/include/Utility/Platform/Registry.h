// The registry: a tree of keys holding named, typed values, with the Win32 calls and results.
// Each root hive (HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, or a hive file loaded with
// RegLoadAppKeyW) is a database file of its own; every write is atomic and durable when the
// call returns, and several processes may use one hive at once. See docs/registry.md.
#pragma once

#include <Utility/Platform/Error.h>
#include <Utility/Platform/Export.h>
#include <Utility/Platform/FileSystem.h>
#include <Utility/Platform/Types.h>

using ACCESS_MASK = DWORD;
using REGSAM = ACCESS_MASK;
using PHKEY = HKEY*;
using LPDWORD = DWORD*;
using LPBYTE = BYTE*;
using PFILETIME = FILETIME*;
// Security attributes are accepted for the signature's sake and otherwise ignored.
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

// Value types. The store keeps any DWORD type with the raw bytes it was given; these are the
// ones with a meaning.
#define REG_NONE 0u
#define REG_SZ 1u
#define REG_EXPAND_SZ 2u
#define REG_BINARY 3u
#define REG_DWORD 4u
#define REG_DWORD_LITTLE_ENDIAN 4u
#define REG_DWORD_BIG_ENDIAN 5u
#define REG_LINK 6u
#define REG_MULTI_SZ 7u
#define REG_QWORD 11u
#define REG_QWORD_LITTLE_ENDIAN 11u

// Access rights of a key handle.
#define DELETE 0x00010000u
#define READ_CONTROL 0x00020000u
#define WRITE_DAC 0x00040000u
#define WRITE_OWNER 0x00080000u
#define SYNCHRONIZE 0x00100000u
#define STANDARD_RIGHTS_READ READ_CONTROL
#define STANDARD_RIGHTS_WRITE READ_CONTROL
#define STANDARD_RIGHTS_ALL 0x001F0000u
#define KEY_QUERY_VALUE 0x0001u
#define KEY_SET_VALUE 0x0002u
#define KEY_CREATE_SUB_KEY 0x0004u
#define KEY_ENUMERATE_SUB_KEYS 0x0008u
#define KEY_NOTIFY 0x0010u
#define KEY_CREATE_LINK 0x0020u
#define KEY_WOW64_64KEY 0x0100u
#define KEY_WOW64_32KEY 0x0200u
#define KEY_READ 0x00020019u  // query, enumerate, notify, read control
#define KEY_EXECUTE KEY_READ
#define KEY_WRITE 0x00020006u  // set value, create sub-key, read control
#define KEY_ALL_ACCESS 0x000F003Fu

// Options and dispositions of RegCreateKeyExW.
#define REG_OPTION_RESERVED 0x0000u
#define REG_OPTION_NON_VOLATILE 0x0000u
#define REG_OPTION_VOLATILE 0x0001u
#define REG_OPTION_CREATE_LINK 0x0002u
#define REG_OPTION_BACKUP_RESTORE 0x0004u
#define REG_OPTION_OPEN_LINK 0x0008u
#define REG_CREATED_NEW_KEY 1u
#define REG_OPENED_EXISTING_KEY 2u

// Limits: a key name component, a value name (both in UTF-16 units, without terminator).
#define REG_MAX_KEY_NAME_LENGTH 255
#define REG_MAX_VALUE_NAME_LENGTH 16383

// Key paths are relative to a key handle, with `\` between the key names; a trailing `\` is
// ignored, an empty or null path names the handle's own key. Key and value names compare
// without regard to case (one fixed simple upper-case mapping) and keep the case they were
// created with. A null or empty value name is the key's default value.
//
// Results are Win32 error codes: ERROR_SUCCESS (0); ERROR_FILE_NOT_FOUND (2) for a missing key
// or value; ERROR_ACCESS_DENIED (5) for a right the handle lacks or a write open of a read-only
// key; ERROR_INVALID_HANDLE (6); ERROR_INVALID_PARAMETER (87); ERROR_BAD_PATHNAME (161) for a
// path with an empty key name; ERROR_BUSY (170) when another process held the hive locked for
// longer than the wait; ERROR_MORE_DATA (234); ERROR_NO_MORE_ITEMS (259); ERROR_BADDB (1009)
// for a hive file that is not a hive; ERROR_REGISTRY_CORRUPT (1015) for a damaged one;
// ERROR_REGISTRY_IO_FAILED (1016); ERROR_KEY_DELETED (1018) for a handle whose key was deleted.
// A damaged hive is reported, never repaired or replaced behind the caller's back.

// RegOpenKeyExW()
//
// Opens an existing key below key with the rights in desired and stores a new handle in
// result (released with RegCloseKey). options is ignored. Asking for any write right
// (KEY_SET_VALUE, KEY_CREATE_SUB_KEY, KEY_CREATE_LINK, DELETE, WRITE_DAC, WRITE_OWNER) on a key
// that is read-only in the store fails with ERROR_ACCESS_DENIED, whoever the caller is.
// On failure result is set to null.
//
// Example:
//   HKEY k = nullptr;
//   if (RegOpenKeyExW(HKEY_CURRENT_USER, CString(u"Software\\Tarnwell"), 0, KEY_READ, &k) == 0) {
//     ...; RegCloseKey(k);
//   }
UTILITY_PLATFORM_API LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM desired, PHKEY result) noexcept;

// RegCreateKeyExW()
//
// Opens subKey below key, creating it and every missing key along the path in one atomic
// step. disposition (optional) receives REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY. The
// class, the options and the security attributes are accepted and ignored (volatile keys are
// kept like any other). Creating a key below a read-only key, or opening a read-only key with
// write rights, fails with ERROR_ACCESS_DENIED.
//
// Example:
//   HKEY k = nullptr; DWORD how = 0;
//   RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, &how);
UTILITY_PLATFORM_API LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options,
                                          REGSAM desired, const LPSECURITY_ATTRIBUTES security, PHKEY result,
                                          LPDWORD disposition) noexcept;

// RegCloseKey()
//
// Releases a handle. The predefined root keys need no closing (closing one succeeds and does
// nothing); an unknown handle gives ERROR_INVALID_HANDLE.
UTILITY_PLATFORM_API LONG RegCloseKey(HKEY key) noexcept;

// RegQueryValueExW()
//
// Reads a value. type (optional) receives its type. With data null, size (if given) receives
// the data's size in bytes and the call succeeds. With data given, size must be given and hold
// the buffer's size: data that fits is copied and size set to its length; data that does not
// fit gives ERROR_MORE_DATA, size set to the length needed and the buffer left as it was.
// reserved must be null. Text data is returned exactly as stored: no terminator is added.
//
// Example:
//   DWORD n = 0, cb = sizeof n, type = 0;
//   RegQueryValueExW(k, CString(u"Count"), nullptr, &type, reinterpret_cast<BYTE*>(&n), &cb);
UTILITY_PLATFORM_API LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                           LPDWORD size) noexcept;

// RegSetValueExW()
//
// Creates or replaces a value with size bytes of data and the given type; the bytes are kept
// as given (a REG_SZ should include its terminating zero unit). A replaced value keeps its place
// in the enumeration order; a new one goes last. Null data with a non-zero size gives
// ERROR_NOACCESS (998). Needs KEY_SET_VALUE.
//
// Example:
//   DWORD n = 42;
//   RegSetValueExW(k, CString(u"Count"), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&n), 4);
UTILITY_PLATFORM_API LONG RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                                         DWORD size) noexcept;

// RegDeleteValueW()
//
// Deletes a value; ERROR_FILE_NOT_FOUND when there is none. Needs KEY_SET_VALUE.
UTILITY_PLATFORM_API LONG RegDeleteValueW(HKEY key, LPCWSTR valueName) noexcept;

// RegQueryInfoKeyW()
//
// Describes a key; every out argument is optional. Counts of sub-keys and values, the longest
// sub-key name and value name in units (without terminator), the largest value data in bytes
// and the time of the key's last change. The store keeps no key classes or security
// descriptors: the class is empty and the descriptor size 0. With keyClass given, classSize
// must be given; the empty class fits any buffer of at least one unit (else ERROR_MORE_DATA).
// Needs KEY_QUERY_VALUE.
//
// Example:
//   DWORD values = 0, maxData = 0;
//   RegQueryInfoKeyW(k, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
//                    &maxData, nullptr, nullptr);
UTILITY_PLATFORM_API LONG RegQueryInfoKeyW(HKEY key, LPWSTR keyClass, LPDWORD classSize, LPDWORD reserved,
                                           LPDWORD subKeys, LPDWORD maxSubKeyLength, LPDWORD maxClassLength,
                                           LPDWORD values, LPDWORD maxValueNameLength, LPDWORD maxValueLength,
                                           LPDWORD securityDescriptorSize, PFILETIME lastWriteTime) noexcept;

// RegEnumValueW()
//
// The value at index in creation order; ERROR_NO_MORE_ITEMS (259) past the last one.
// nameSize holds the name buffer's size in units and must leave room for the terminator: a
// name that does not fit gives ERROR_MORE_DATA with nameSize unchanged; otherwise the name is
// copied, zero-terminated, and nameSize set to its length without the terminator. type, data
// and size follow RegQueryValueExW's rules (data that does not fit: ERROR_MORE_DATA, size set
// to the length needed). Needs KEY_QUERY_VALUE.
//
// Example:
//   WCHAR name[256]; DWORD nameSize = 256;
//   for (DWORD i = 0; RegEnumValueW(k, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) == 0;
//        ++i, nameSize = 256) { ... }
UTILITY_PLATFORM_API LONG RegEnumValueW(HKEY key, DWORD index, LPWSTR valueName, LPDWORD nameSize, LPDWORD reserved,
                                        LPDWORD type, LPBYTE data, LPDWORD size) noexcept;

// RegEnumKeyExW()
//
// The name of the sub-key at index, sub-keys ordered by their case-folded names;
// ERROR_NO_MORE_ITEMS past the last one. The name buffer follows RegEnumValueW's rules. The
// class is empty; lastWriteTime (optional) receives the sub-key's last change. Needs
// KEY_ENUMERATE_SUB_KEYS.
UTILITY_PLATFORM_API LONG RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameSize, LPDWORD reserved,
                                        LPWSTR keyClass, LPDWORD classSize, PFILETIME lastWriteTime) noexcept;

// RegDeleteKeyW()
//
// Deletes subKey below key with its values. A key with sub-keys, a read-only key and a root
// key are not deleted: ERROR_ACCESS_DENIED.
UTILITY_PLATFORM_API LONG RegDeleteKeyW(HKEY key, LPCWSTR subKey) noexcept;

// RegLoadAppKeyW()
//
// Opens the hive in the file at path (a `\` or `/` path), creating an empty hive when the file
// does not exist, and stores a handle to its root key in result. The hive stays open while any
// handle into it is open. A file that is not a hive gives ERROR_BADDB; options and reserved
// are ignored.
//
// Example:
//   HKEY root = nullptr;
//   if (RegLoadAppKeyW(CString(u"/tmp/settings.db"), &root, KEY_ALL_ACCESS, 0, 0) == 0) {
//     ...; RegCloseKey(root);
//   }
UTILITY_PLATFORM_API LONG RegLoadAppKeyW(LPCWSTR path, PHKEY result, REGSAM desired, DWORD options,
                                         DWORD reserved) noexcept;
