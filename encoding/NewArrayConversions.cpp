// The conversions that hand back a new array (or a CString) sized by a measuring call:
// ANSIToUnicode1, ANSIToUnicode2 and both forms of UnicodeToANSI.
//
// The arrays are n + 1 elements, n being the measured count with its terminator, and every
// element that the conversion does not write is 0. Only those elements are cleared, so a long
// text is not written twice.
#include <climits>
#include <cstring>

#include <Utility/Utility.h>

#include "NewArray.h"

namespace {

// Clears the elements of a new array that the conversion left unwritten.
template <class T>
void ClearTail(T* array, int written, int size) {
  const int from = written > 0 ? written : 0;
  std::memset(array + from, 0, static_cast<std::size_t>(size - from) * sizeof(T));
}

char* NarrowCopy(const WCHAR* text) {
  // The text is measured once, and both calls get its length with the terminator.
  const int units = text == nullptr ? 0 : lstrlenW(text);
  const int length = units == INT_MAX ? -1 : units + 1;
  const int n = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
  char* result = utility::encoding::NewArray<char>(static_cast<std::size_t>(n) + 1);
  const int written = n > 0 ? WideCharToMultiByte(CP_ACP, 0, text, length, result, n, nullptr, nullptr) : 0;
  ClearTail(result, written, n + 1);
  return result;
}

// ANSIToUnicode2 for a text too long for one call's length: measured, then converted.
CString Measured(const char* text) {
  CString result;
  const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (n <= 1) return result;
  WCHAR* buffer = result.GetBufferSetLength(n);
  const int written = MultiByteToWideChar(CP_ACP, 0, text, -1, buffer, n);
  result.ReleaseBuffer(written > 0 ? written - 1 : 0);
  return result;
}

}  // namespace

unsigned short* CUtility::ANSIToUnicode1(const char* text) {
  if (text == nullptr) return nullptr;
  const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  WCHAR* result = utility::encoding::NewArray<WCHAR>(static_cast<std::size_t>(n) + 1);
  const int written = n > 0 ? MultiByteToWideChar(CP_ACP, 0, text, -1, result, n) : 0;
  ClearTail(result, written, n + 1);
  return result;
}

CString CUtility::ANSIToUnicode2(const char* text) {
  // The same text as ANSIToUnicode1 gives, converted straight into the string's buffer: the
  // converted units hold no zero before the terminator, so nothing is cut differently.
  // The text is read up to and including its terminator, as with a length of -1. No byte
  // makes more than one unit, so a buffer of one unit per byte always suffices and one call
  // converts the text without measuring it first. When most of that buffer is left over (text
  // of three-byte characters), the result is copied into a string of its own size.
  CString result;
  if (text == nullptr) return result;
  const std::size_t bytes = std::strlen(text) + 1;
  if (bytes > static_cast<std::size_t>(INT_MAX)) return Measured(text);
  const int room = static_cast<int>(bytes);
  WCHAR* buffer = result.GetBufferSetLength(room);
  const int written = MultiByteToWideChar(CP_ACP, 0, text, room, buffer, room);
  const int length = written > 0 ? written - 1 : 0;
  result.ReleaseBuffer(length);
  if (length < room / 2) return CString(result.GetString(), length);
  return result;
}

char* CUtility::UnicodeToANSI(const unsigned short* text) { return NarrowCopy(text); }

char* CUtility::UnicodeToANSI(const CString& text) {
  // The string's own zero-terminated units read exactly as a system-string copy of it would:
  // both end at the first zero unit.
  return NarrowCopy(text.GetString());
}
