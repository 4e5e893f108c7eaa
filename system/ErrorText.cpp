// The system's message text for an error code. Each call holds its own buffers, so that
// threads asking at once each get their own text.
#include <Utility/Platform/Message.h>
#include <Utility/Utility.h>

#include "MessageText.h"

CString CUtility::GetLastErrorText(int error) {
  CString result;
  WCHAR* message = nullptr;
  const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
  if (FormatMessageW(flags, nullptr, static_cast<DWORD>(error), LANG_USER_DEFAULT, reinterpret_cast<WCHAR*>(&message),
                     0, nullptr) == 0) {
    return result;
  }
  // The system's buffer goes back even when the copy runs out of memory.
  struct Release {
    WCHAR* block;
    ~Release() { LocalFree(block); }
  } release{message};
  result = utility::system::MessageToText(message);
  return result;
}
