// System message texts for Win32 error codes, and the local heap their buffers come from.
// A code's text is the C library's message for the matching errno, in the user's language
// (the environment's LC_ALL, LC_MESSAGES or LANG, read without touching the process
// locale), converted to UTF-16 and ended with CR LF as Win32 system messages are.
#pragma once

#include <cstdarg>

#include <Utility/Platform/Export.h>
#include <Utility/Platform/Types.h>

#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100u
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200u
#define FORMAT_MESSAGE_FROM_STRING 0x00000400u
#define FORMAT_MESSAGE_FROM_HMODULE 0x00000800u
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000u
#define FORMAT_MESSAGE_ARGUMENT_ARRAY 0x00002000u
#define FORMAT_MESSAGE_MAX_WIDTH_MASK 0x000000FFu

#define LANG_NEUTRAL 0x00
#define LANG_ENGLISH 0x09
#define SUBLANG_DEFAULT 0x01
#define SUBLANG_SYS_DEFAULT 0x02
#define MAKELANGID(primary, sub) (static_cast<WORD>((static_cast<WORD>(sub) << 10) | static_cast<WORD>(primary)))
#define LANG_USER_DEFAULT MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT)        // 0x0400
#define LANG_SYSTEM_DEFAULT MAKELANGID(LANG_NEUTRAL, SUBLANG_SYS_DEFAULT)  // 0x0800

#define LMEM_FIXED 0x0000u
#define LMEM_ZEROINIT 0x0040u
#define LPTR (LMEM_FIXED | LMEM_ZEROINIT)

using HLOCAL = void*;

// LocalAlloc()
//
// A block of at least size bytes (zero-filled with LMEM_ZEROINIT), or null with
// ERROR_NOT_ENOUGH_MEMORY. Release it with LocalFree. Only fixed blocks exist here.
UTILITY_PLATFORM_API HLOCAL LocalAlloc(UINT flags, SIZE_T size) noexcept;

// LocalFree()
//
// Releases a block from LocalAlloc (or a buffer that FormatMessageW allocated) and returns
// null; null is ignored.
//
// Example:
//   LocalFree(message);
UTILITY_PLATFORM_API HLOCAL LocalFree(HLOCAL block) noexcept;

// FormatMessageW()
//
// Only system messages are offered: flags must hold FORMAT_MESSAGE_FROM_SYSTEM, and may add
// FORMAT_MESSAGE_ALLOCATE_BUFFER, FORMAT_MESSAGE_IGNORE_INSERTS (system texts have no
// inserts; arguments are never read) and FORMAT_MESSAGE_MAX_WIDTH_MASK (0xFF: no CR LF at
// the end); other sources give ERROR_NOT_SUPPORTED. source and args are ignored.
// languageId 0, LANG_USER_DEFAULT and LANG_SYSTEM_DEFAULT ask for the user's language;
// English (primary language 0x09) asks for the untranslated text; any other gives
// ERROR_RESOURCE_LANG_NOT_FOUND.
// Without ALLOCATE_BUFFER the text goes into buffer (size units, terminator included; a
// buffer too small gives ERROR_INSUFFICIENT_BUFFER); with it, buffer is really a WCHAR**
// that receives a new block of at least size units, released with LocalFree. Returns the
// units written without the terminator, or 0 with the last error: ERROR_MR_MID_NOT_FOUND
// for a code with no message (codes without a matching errno, such as 0x12345).
//
// Example:
//   WCHAR* text = nullptr;
//   if (FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER |
//                      FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, 2, LANG_USER_DEFAULT,
//                      reinterpret_cast<WCHAR*>(&text), 0, nullptr) != 0) {
//     ...   // u"No such file or directory\r\n"
//     LocalFree(text);
//   }
UTILITY_PLATFORM_API DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, WCHAR* buffer,
                                          DWORD size, va_list* args) noexcept;
