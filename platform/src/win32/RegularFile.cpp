// Whole-file reads of regular files over the system's file handles.
#include <Utility/Platform/FileContents.h>

#include <windows.h>

#include "win32/Wide.h"

namespace utility::platform {

bool ReadRegularFile(const std::string& nativePath, std::string& bytes) {
  HANDLE file = CreateFileW(win32::WidePath(nativePath).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool complete = false;
  LARGE_INTEGER size{};
  if (GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size)) {
    std::string data;
    data.reserve(static_cast<std::size_t>(size.QuadPart));
    char chunk[65536];
    for (;;) {
      DWORD n = 0;
      if (!ReadFile(file, chunk, sizeof chunk, &n, nullptr)) break;
      if (n == 0) {
        bytes = std::move(data);
        complete = true;
        break;
      }
      data.append(chunk, n);
    }
  }
  CloseHandle(file);
  return complete;
}

}  // namespace utility::platform
