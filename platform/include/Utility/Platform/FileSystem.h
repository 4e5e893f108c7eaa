// Files and directories as the library sees them: Win32's attribute, search, create, delete and
// rename calls over the native file system. Every path accepts `\` and `/` alike; names the
// search reports are plain entry names. Errors are Win32 codes, read with GetLastError().
#pragma once

#include <Utility/Platform/Export.h>
#include <Utility/Platform/Types.h>

// Attributes as Win32 reports them. A regular file reads FILE_ATTRIBUTE_ARCHIVE, plus
// FILE_ATTRIBUTE_READONLY when it has no write permission bit at all, plus
// FILE_ATTRIBUTE_HIDDEN when its name starts with a dot. A symbolic link reads
// FILE_ATTRIBUTE_REPARSE_POINT, with FILE_ATTRIBUTE_DIRECTORY when it leads to a directory,
// as a directory link does on Win32; it is never followed by the attribute calls.
#define FILE_ATTRIBUTE_READONLY 0x00000001u
#define FILE_ATTRIBUTE_HIDDEN 0x00000002u
#define FILE_ATTRIBUTE_SYSTEM 0x00000004u
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020u
#define FILE_ATTRIBUTE_DEVICE 0x00000040u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
#define FILE_ATTRIBUTE_REPARSE_POINT 0x00000400u
#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFFu

// A point in time as 100-nanosecond intervals since 1601-01-01 UTC, in two halves.
struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

// Accepted for signature compatibility; the platform ignores its contents.
struct SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
};

// One entry of a directory search.
struct WIN32_FIND_DATAW {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  WCHAR cFileName[MAX_PATH];
  WCHAR cAlternateFileName[14];
};

// GetFileAttributesW()
//
// The attributes of whatever lies at path (a link itself, not its target), or
// INVALID_FILE_ATTRIBUTES with ERROR_FILE_NOT_FOUND / ERROR_PATH_NOT_FOUND / ... .
//
// Example:
//   if (GetFileAttributesW(u"\\tmp") & FILE_ATTRIBUTE_DIRECTORY) { ... }
UTILITY_PLATFORM_API DWORD GetFileAttributesW(const WCHAR* path) noexcept;
UTILITY_PLATFORM_API DWORD GetFileAttributesW(const char16_t* path) noexcept;

namespace utility::platform {

// The longest path, in UTF-16 units, that the file calls take (longer ones are refused with
// ERROR_FILENAME_EXCED_RANGE before anything else), and the longest native path, in bytes,
// that the system takes (a native name of more bytes fails with ERROR_FILENAME_EXCED_RANGE
// too). A unit takes one to three native bytes, so names outside ASCII meet the byte limit
// with fewer units.
inline constexpr DWORD kMaxPathUnits = 4095;
inline constexpr DWORD kMaxNativePathBytes = 4095;

// GetNativeNameLength()
//
// The number of bytes that the entry name name[0, length) takes in a native path: one per
// ASCII unit and per byte escape (U+DC80..U+DCFF), two or three per other unit of the Basic
// Multilingual Plane, four per surrogate pair. A unit with no native form counts three. The
// name is one component (a separator in it counts as one byte); nothing is allocated, so a
// walk can add up the native length of a deep path without forming it.
//
// Example:
//   GetNativeNameLength(u"a\u00e9\u4e2d", 3) == 6      // 1 + 2 + 3
UTILITY_PLATFORM_API DWORD GetNativeNameLength(const WCHAR* name, DWORD length) noexcept;

// GetNativePathLength()
//
// The length in bytes of the native path that the file calls make of path, after the lexical
// rules (`.` and `..` components, repeated and trailing separators). 0 with the last error set
// when the calls would refuse path before reaching the system (ERROR_FILENAME_EXCED_RANGE,
// ERROR_INVALID_NAME, ...); an empty path, which has no native name, gives 0 as well. A length
// above kMaxNativePathBytes is returned as it is, since the system refuses it only when a call
// reaches it.
//
// Example:
//   GetNativePathLength(u"\\tmp\\.\\x") == 6       // "/tmp/x"
UTILITY_PLATFORM_API DWORD GetNativePathLength(const WCHAR* path) noexcept;

}  // namespace utility::platform

// CreateDirectoryW()
//
// Creates one directory (its parent must exist). Non-zero on success; 0 with
// ERROR_ALREADY_EXISTS when something lies there already, ERROR_PATH_NOT_FOUND when the parent
// is missing. The security attributes are ignored.
//
// Example:
//   CreateDirectoryW(u"\\tmp\\new", nullptr);
UTILITY_PLATFORM_API BOOL CreateDirectoryW(const WCHAR* path, SECURITY_ATTRIBUTES* security) noexcept;
UTILITY_PLATFORM_API BOOL CreateDirectoryW(const char16_t* path, SECURITY_ATTRIBUTES* security) noexcept;

// RemoveDirectoryW()
//
// Removes one empty directory, or a link to a directory (the link only, never what it leads
// to). 0 with ERROR_DIR_NOT_EMPTY, ERROR_DIRECTORY (not a directory), ERROR_FILE_NOT_FOUND ...
//
// Example:
//   RemoveDirectoryW(u"\\tmp\\new");
UTILITY_PLATFORM_API BOOL RemoveDirectoryW(const WCHAR* path) noexcept;
UTILITY_PLATFORM_API BOOL RemoveDirectoryW(const char16_t* path) noexcept;

// DeleteFileW()
//
// Deletes one file (a link is deleted as a link). A directory, or a file with no write
// permission bit, is refused with ERROR_ACCESS_DENIED, also for the superuser.
//
// Example:
//   if (!DeleteFileW(u"\\tmp\\x.txt")) { DWORD e = GetLastError(); }
UTILITY_PLATFORM_API BOOL DeleteFileW(const WCHAR* path) noexcept;
UTILITY_PLATFORM_API BOOL DeleteFileW(const char16_t* path) noexcept;

// PathFileExistsW()
//
// TRUE when anything (file, directory, link) lies at path.
UTILITY_PLATFORM_API BOOL PathFileExistsW(const WCHAR* path) noexcept;
UTILITY_PLATFORM_API BOOL PathFileExistsW(const char16_t* path) noexcept;

// FindFirstFileW(), FindNextFileW(), FindClose()
//
// A search over one directory. The pattern's last component selects names: "*" and "*.*"
// select every entry (names without a dot too), other patterns match with `*` and `?`
// ignoring case; a last component without wildcards names one entry. A directory search
// yields "." and ".." first, then the entries in the file system's own order (not sorted).
// FindFirstFileW returns INVALID_HANDLE_VALUE with ERROR_FILE_NOT_FOUND when nothing matches
// and ERROR_PATH_NOT_FOUND when the directory cannot be searched; FindNextFileW returns 0 with
// ERROR_NO_MORE_FILES at the end. Entries created or deleted during a search may or may not
// be reported.
//
// Example:
//   WIN32_FIND_DATAW data;
//   HANDLE h = FindFirstFileW(u"\\tmp\\*.*", &data);
//   if (h != INVALID_HANDLE_VALUE) { do { use(data.cFileName); } while (FindNextFileW(h, &data)); FindClose(h); }
UTILITY_PLATFORM_API HANDLE FindFirstFileW(const WCHAR* pattern, WIN32_FIND_DATAW* data) noexcept;
UTILITY_PLATFORM_API HANDLE FindFirstFileW(const char16_t* pattern, WIN32_FIND_DATAW* data) noexcept;
UTILITY_PLATFORM_API BOOL FindNextFileW(HANDLE search, WIN32_FIND_DATAW* data) noexcept;
UTILITY_PLATFORM_API BOOL FindClose(HANDLE search) noexcept;

// FindFirstFileExW()
//
// FindFirstFileW with Win32's extended arguments. Only the name-match search is offered; the
// info level is accepted either way (the short name is always empty). One flag of this
// platform's own, FIND_FIRST_EX_ENTRY_TYPE_ONLY, makes the search take attributes from the
// directory entry's type alone, with no call per entry: FILE_ATTRIBUTE_DIRECTORY,
// FILE_ATTRIBUTE_REPARSE_POINT and FILE_ATTRIBUTE_HIDDEN are exact, FILE_ATTRIBUTE_READONLY
// is never reported, and sizes and times read 0. Walks that only tell files from directories
// use it to list large trees at the speed of the directory reads themselves.
//
// Example:
//   HANDLE h = FindFirstFileExW(u"\\data\\*.*", FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
//                               FIND_FIRST_EX_ENTRY_TYPE_ONLY);
enum FINDEX_INFO_LEVELS { FindExInfoStandard = 0, FindExInfoBasic = 1 };
enum FINDEX_SEARCH_OPS { FindExSearchNameMatch = 0, FindExSearchLimitToDirectories = 1 };
#define FIND_FIRST_EX_CASE_SENSITIVE 0x00000001u
#define FIND_FIRST_EX_LARGE_FETCH 0x00000002u
#define FIND_FIRST_EX_ENTRY_TYPE_ONLY 0x80000000u
UTILITY_PLATFORM_API HANDLE FindFirstFileExW(const WCHAR* pattern, FINDEX_INFO_LEVELS level, void* data,
                                             FINDEX_SEARCH_OPS search, void* filter, DWORD flags) noexcept;

// MakeSureDirectoryPathExists()
//
// Creates every directory named by path up to its last separator (`\` or `/`, 8-bit text in the
// active code page): the text after the last separator counts as a file name and is not
// created. Levels that exist already are passed over. TRUE on success; FALSE (last error set)
// at the first level that cannot be created, with the levels created before it kept.
//
// Example:
//   MakeSureDirectoryPathExists("\\tmp\\a\\b\\file.txt");   // creates \tmp\a and \tmp\a\b
UTILITY_PLATFORM_API BOOL MakeSureDirectoryPathExists(const char* path) noexcept;

// The shell's file operation, with the rename that the library uses.
#define FO_MOVE 0x0001u
#define FO_COPY 0x0002u
#define FO_DELETE 0x0003u
#define FO_RENAME 0x0004u

#define FOF_MULTIDESTFILES 0x0001u
#define FOF_SILENT 0x0004u
#define FOF_RENAMEONCOLLISION 0x0008u
#define FOF_NOCONFIRMATION 0x0010u
#define FOF_ALLOWUNDO 0x0040u
#define FOF_FILESONLY 0x0080u
#define FOF_SIMPLEPROGRESS 0x0100u
#define FOF_NOCONFIRMMKDIR 0x0200u
#define FOF_NOERRORUI 0x0400u

// Shell results besides Win32 codes: the two items are in different directories.
#define DE_SAMEFILE 0x71
#define DE_DIFFDIR 0x73
#define DE_MANYSRC1DEST 0x72

using FILEOP_FLAGS = WORD;

struct SHFILEOPSTRUCTW {
  HWND hwnd;
  UINT wFunc;
  const WCHAR* pFrom;  // names, each zero-terminated, the list ended by a second zero
  const WCHAR* pTo;
  FILEOP_FLAGS fFlags;
  BOOL fAnyOperationsAborted;
  LPVOID hNameMappings;
  const WCHAR* lpszProgressTitle;
};

// SHFileOperationW()
//
// Carries out FO_RENAME: renames the one item of pFrom to the name in pTo, in the same
// directory. An existing target is never replaced. Returns 0 on success, else a non-zero code:
// a Win32 error (ERROR_FILE_NOT_FOUND, ERROR_ALREADY_EXISTS, ERROR_ACCESS_DENIED ...) or
// DE_DIFFDIR / DE_MANYSRC1DEST. Other operations answer ERROR_CALL_NOT_IMPLEMENTED. No dialog
// is ever shown, whatever the flags.
//
// Example:
//   WCHAR from[] = u"\\tmp\\old\0", to[] = u"\\tmp\\new\0";   (double-zero-terminated)
//   SHFILEOPSTRUCTW op{nullptr, FO_RENAME, from, to, FOF_NOCONFIRMATION, 0, nullptr, nullptr};
//   int rc = SHFileOperationW(&op);   // 0 on success
UTILITY_PLATFORM_API int SHFileOperationW(SHFILEOPSTRUCTW* operation) noexcept;
