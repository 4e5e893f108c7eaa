// Windows data types with their Windows widths, on any data model.
// LONG, ULONG, DWORD, UINT, BOOL and HRESULT are 32 bits wide even where `long` is 64 bits;
// DWORD_PTR and the handle types are pointer-sized.
//
// These names, and the macros of the other platform headers (TRUE, MAX_PATH, HKEY_*, ERROR_*,
// S_OK, E_*, DISP_E_*, REG_*, FILE_ATTRIBUTE_*, ...), are global and unprefixed on purpose:
// the library's operations are declared with them (`DWORD`, `HKEY`, `VARIANT`, `BOOL`), and
// code written for the Windows interfaces compiles against them unchanged. Everything of ours
// that is not such a name lives in the namespace `utility`.
//
// What a consumer gets from <Utility/Utility.h>: this header, and the platform headers that
// declare the types of the operations: Bstr.h, CodePage.h, Containers.h, Error.h,
// Exception.h, FileException.h, FileSystem.h, Memory.h, Registry.h, String.h, Variant.h and
// Window.h (with what they include). The other platform headers (Date.h, File.h, Library.h,
// Message.h, Module.h, Thread.h, ...) are included only by those who name them.
//
// Example:
//   #include <Utility/Utility.h>
//   DWORD size = 0;        // 32 bits on every system
//   HKEY root = HKEY_CURRENT_USER;
//   BOOL done = TRUE;
#pragma once

#include <cstddef>
#include <cstdint>

// ---- Integers and pointers of fixed Windows widths ----
using BYTE = std::uint8_t;
using CHAR = char;
using UCHAR = unsigned char;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using WORD = std::uint16_t;
using INT = std::int32_t;
using UINT = std::uint32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using DWORD = std::uint32_t;
using BOOL = std::int32_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using FLOAT = float;
using DOUBLE = double;
using HRESULT = std::int32_t;
using SCODE = std::int32_t;
using DWORD_PTR = std::uintptr_t;
using ULONG_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;
using INT_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using SIZE_T = std::size_t;
using LPVOID = void*;
using LPCVOID = const void*;

// The wide unit is the 16-bit UTF-16 code unit, spelled `unsigned short` at the interface.
using WCHAR = unsigned short;
using OLECHAR = WCHAR;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using LPSTR = char*;
using LPCSTR = const char*;

using VARTYPE = std::uint16_t;
using VARIANT_BOOL = std::int16_t;
using DATE = double;

// ---- Truth values: BOOL's and VARIANT_BOOL's (which is -1 for true) ----
#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define VARIANT_TRUE (static_cast<VARIANT_BOOL>(-1))
#define VARIANT_FALSE (static_cast<VARIANT_BOOL>(0))

// Opaque handle types: distinct pointer types, as with Win32's STRICT handles.
using HANDLE = void*;
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
struct HKEY__;
using HKEY = HKEY__*;
struct HWND__;
using HWND = HWND__*;

#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)))

// The predefined root keys, with their Win32 values.
#define HKEY_CLASSES_ROOT (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(0x80000000))))
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(0x80000001))))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(0x80000002))))
#define HKEY_USERS (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(0x80000003))))

// The longest path, terminator included, that the path-taking operations accept.
#define MAX_PATH 260

// ---- Structures laid out as Win32 lays them out ----

// A 64-bit currency value, as OLE Automation lays it out (little-endian halves).
union CY {
  __extension__ struct {  // anonymous, as Win32 declares it
    ULONG Lo;
    LONG Hi;
  };
  LONGLONG int64;
};

struct GUID {
  ULONG Data1;
  USHORT Data2;
  USHORT Data3;
  UCHAR Data4[8];
};

struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};
