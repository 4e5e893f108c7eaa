// The conversions that hand back a new array (or a CString): ANSIToUnicode1, ANSIToUnicode2 and
// both forms of UnicodeToANSI.
//
// The arrays are n + 1 elements, n being the count with its terminator (so two zeros end the
// text), and every element that the conversion does not write is 0. Only those elements are
// cleared, so a long text is not written twice.
#include <climits>
#include <cstring>
#include <memory>

#include <Utility/Utility.h>

#include "NewArray.h"

namespace {

// Clears the elements of a new array that the conversion left unwritten.
template <class T>
void ClearTail(T* array, int written, int size) {
  const int from = written > 0 ? written : 0;
  std::memset(array + from, 0, static_cast<std::size_t>(size - from) * sizeof(T));
}

// The UTF-8 of text, read once: converted piece by piece into a block on the stack and, for
// longer text, into heap pieces that double in size, which are joined into the result once the
// text has ended. Measuring first would read the text three times (lstrlenW, a measuring call,
// the conversion), and the length scan, which may read only one unit at a time, is the slowest
// of the three; here the codec runs it beside the encoding.
char* NarrowCopy(const WCHAR* text) {
  // No text converts to nothing (a failed measuring call): one zero.
  if (text == nullptr) return utility::encoding::NewZeroedArray<char>(1);
  constexpr std::size_t kFirst = 4096;
  char first[kFirst];
  auto piece = utility::platform::Utf16zToUtf8(text, first, kFirst);
  if (piece.done) {
    char* result = utility::encoding::NewArray<char>(piece.written + 2);
    std::memcpy(result, first, piece.written);
    result[piece.written] = result[piece.written + 1] = 0;
    return result;
  }
  std::unique_ptr<char[]> more[48];  // pieces of 16 KiB << k: far more than any text needs
  std::size_t sizes[48];
  const std::size_t firstSize = piece.written;
  std::size_t count = 0, read = piece.read, total = piece.written;
  while (!piece.done) {
    const std::size_t cap = std::size_t{4 * kFirst} << count;
    more[count].reset(utility::encoding::NewArray<char>(cap));
    piece = utility::platform::Utf16zToUtf8(text + read, more[count].get(), cap);
    sizes[count++] = piece.written;
    read += piece.read;
    total += piece.written;
  }
  // As the measuring call counted: a result of INT_MAX bytes or more is refused, as no text.
  if (total >= static_cast<std::size_t>(INT_MAX)) return utility::encoding::NewZeroedArray<char>(1);
  char* result = utility::encoding::NewArray<char>(total + 2);
  std::memcpy(result, first, firstSize);
  std::size_t at = firstSize;
  for (std::size_t k = 0; k < count; ++k) {
    std::memcpy(result + at, more[k].get(), sizes[k]);
    at += sizes[k];
  }
  result[total] = result[total + 1] = 0;
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
