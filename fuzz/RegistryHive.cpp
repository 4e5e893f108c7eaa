// Hive files of any content: opening, walking and checking them gives result codes, never a
// crash, a hang or a change to the file.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include <Utility/Platform/HiveFiles.h>
#include <Utility/Platform/Registry.h>
#include <Utility/Platform/String.h>

namespace {

const std::string& Directory() {
  static const std::string dir = [] {
    std::string pattern = "/tmp/utility-fuzz-hive-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) abort();
    return pattern;
  }();
  return dir;
}

void Walk(HKEY key, int depth) {
  DWORD values = 0;
  DWORD maxData = 0;
  if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, &maxData, nullptr,
                       nullptr) != ERROR_SUCCESS) {
    return;
  }
  WCHAR name[REG_MAX_KEY_NAME_LENGTH + 1];
  static BYTE data[1 << 16];
  for (DWORD i = 0; i < values && i < 64; ++i) {
    DWORD nameSize = REG_MAX_KEY_NAME_LENGTH + 1;
    DWORD size = sizeof data;
    if (RegEnumValueW(key, i, name, &nameSize, nullptr, nullptr, data, &size) != ERROR_SUCCESS) break;
  }
  if (depth > 4) return;
  for (DWORD i = 0; i < 32; ++i) {
    DWORD nameSize = REG_MAX_KEY_NAME_LENGTH + 1;
    if (RegEnumKeyExW(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    HKEY sub = nullptr;
    if (RegOpenKeyExW(key, name, 0, KEY_READ, &sub) == ERROR_SUCCESS) {
      Walk(sub, depth + 1);
      RegCloseKey(sub);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string file = Directory() + "/hive.db";
  for (const char* suffix : {"", "-wal", "-shm", "-keys"}) unlink((file + suffix).c_str());
  {
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(size));
  }
  HKEY root = nullptr;
  if (RegLoadAppKeyW(CString(file.c_str()), &root, KEY_READ, 0, 0) == ERROR_SUCCESS) {
    Walk(root, 0);
    utility::platform::CheckHive(root);
    RegCloseKey(root);
  }
  return 0;
}
