// ToWideString and ToMultiBytes: a counted conversion into a new zero-filled array, with room
// for a terminator on request. The count never includes a terminator.
#include <Utility/Utility.h>

#include "NewArray.h"

int CUtility::ToWideString(unsigned short*& out, const char* text, int length, int terminate) {
  const int measured = MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
  if (measured == 0) return 0;
  const int n = length == -1 ? measured - 1 : measured;
  if (n == 0) return 0;
  WCHAR* result = utility::encoding::NewZeroedArray<WCHAR>(static_cast<std::size_t>(n) + (terminate != 0 ? 1 : 0));
  out = result;
  // With length -1 the source terminator finds no room; the zero fill stands in for it.
  MultiByteToWideChar(CP_ACP, 0, text, length, result, n);
  return n;
}

int CUtility::ToMultiBytes(char*& out, const unsigned short* text, int length, int terminate) {
  const int measured = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
  if (measured == 0) return 0;
  const int n = length == -1 ? measured - 1 : measured;
  if (n == 0) return 0;
  char* result = utility::encoding::NewZeroedArray<char>(static_cast<std::size_t>(n) + (terminate != 0 ? 1 : 0));
  out = result;
  WideCharToMultiByte(CP_ACP, 0, text, length, result, n, nullptr, nullptr);
  return n;
}
