// String resources: a module's string table, compiled into the module at build time from a
// plain text source (see cmake/StringTable.cmake) and found through one exported symbol.
#pragma once

#include <Utility/Platform/Export.h>
#include <Utility/Platform/Types.h>

// The layout of a compiled string table. A module carries at most one, given by the function
// it exports under the name UTILITY_STRING_TABLE_SYMBOL (const StringTable* (*)() noexcept);
// the build writes it, code never needs to.
struct StringTableEntry {
  UINT id;
  UINT length;           // in UTF-16 units, without the terminator
  const char16_t* text;  // zero-terminated
};

struct StringTable {
  UINT version;  // UTILITY_STRING_TABLE_VERSION
  UINT count;
  const StringTableEntry* entries;
};

#define UTILITY_STRING_TABLE_SYMBOL "UtilityStringTable"
#define UTILITY_STRING_TABLE_VERSION 1u

// LoadStringW()
//
// Copies the string with identifier id from the string table of the module (null: the
// executable) into buffer, cut to bufferMax - 1 units and terminated, and returns the units
// copied without the terminator. A bufferMax of 0 instead stores a read-only pointer to the
// string itself (not terminated where the table is concerned: use the length) in
// *reinterpret_cast<const WCHAR**>(buffer) and returns its full length.
// Returns 0 with buffer[0] = 0 and the last error when there is no such string:
// ERROR_RESOURCE_NAME_NOT_FOUND (the table lacks the id; identifiers are 16-bit, so one above
// 65535 is never found), ERROR_RESOURCE_DATA_NOT_FOUND (the module has no table),
// ERROR_MOD_NOT_FOUND (the handle names no loaded module), ERROR_INVALID_PARAMETER (null
// buffer or negative bufferMax). An empty string in the table also gives 0.
//
// Example:
//   WCHAR text[MAX_PATH];
//   int n = LoadStringW(module, 101, text, MAX_PATH);   // at most 259 units
UTILITY_PLATFORM_API int LoadStringW(HINSTANCE module, UINT id, WCHAR* buffer, int bufferMax) noexcept;
