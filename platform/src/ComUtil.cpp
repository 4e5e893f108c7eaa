// The COM support conversions: measure, allocate exactly, convert, and raise _com_error on
// any failure after releasing what was allocated.
#include <Utility/Platform/ComUtil.h>

#include <new>

#include <Utility/Platform/CodePage.h>
#include <Utility/Platform/Error.h>
#include <Utility/Platform/Exception.h>

namespace {

[[noreturn]] void RaiseLastError() { throw _com_error(HRESULT_FROM_WIN32(static_cast<long>(GetLastError()))); }

}  // namespace

namespace _com_util {

BSTR ConvertStringToBSTR(const char* text) {
  if (text == nullptr) return nullptr;
  const int units = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (units == 0) RaiseLastError();
  // The BSTR's own terminator stands for the converted one.
  const int length = units - 1;
  BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(length));
  if (result == nullptr) throw _com_error(E_OUTOFMEMORY);
  if (length != 0 && MultiByteToWideChar(CP_ACP, 0, text, -1, result, length) == 0 &&
      GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
    SysFreeString(result);
    RaiseLastError();
  }
  return result;
}

char* ConvertBSTRToString(BSTR text) {
  if (text == nullptr) return nullptr;
  const int bytes = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (bytes == 0) RaiseLastError();
  char* result = new (std::nothrow) char[static_cast<std::size_t>(bytes)];
  if (result == nullptr) throw _com_error(E_OUTOFMEMORY);
  if (WideCharToMultiByte(CP_ACP, 0, text, -1, result, bytes, nullptr, nullptr) == 0) {
    delete[] result;
    RaiseLastError();
  }
  return result;
}

}  // namespace _com_util
