// The host program's calls into the operating system (HostProcess.h): the POSIX calls, or the
// Windows ones. The Windows branch includes no header of this project, since <windows.h> and
// the platform's own Win32 names cannot meet in one file.
#include "HostProcess.h"

#if defined(_WIN32)
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#else
#include <unistd.h>

#include <cstdlib>
#endif

namespace utility::cli {

#if defined(_WIN32)

namespace {

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int units = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), units);
  return wide;
}

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int bytes =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), bytes, nullptr, nullptr);
  return utf8;
}

}  // namespace

std::vector<std::string> Arguments(int, char**) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> words;
  for (int i = 1; wide != nullptr && i < count; ++i) words.push_back(Utf8(wide[i]));
  LocalFree(wide);
  return words;
}

void UseByteStreams() {
  std::fflush(stdout);
  std::fflush(stderr);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

bool ErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

std::string MakeTemporaryDirectory(const std::string& prefix) {
  wchar_t base[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, base);
  if (length == 0 || length > MAX_PATH) return {};
  // Six random letters, tried again where a directory of that name is there already. The
  // directory inherits the user's temporary directory's access rules, which are the user's own.
  static const wchar_t kLetters[] = L"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::random_device seed;
  std::mt19937 random(seed());
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters / sizeof kLetters[0] - 2);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::wstring path = base + Wide(prefix);
    for (int i = 0; i < 6; ++i) path += kLetters[pick(random)];
    if (CreateDirectoryW(path.c_str(), nullptr) != 0) return Utf8(path);
    if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
  }
  return {};
}

std::optional<std::string> Variable(const std::string& name) {
  const wchar_t* value = _wgetenv(Wide(name).c_str());
  if (value == nullptr) return std::nullopt;
  return Utf8(value);
}

void SetVariable(const std::string& name, const std::optional<std::string>& value) {
  // An empty value removes the variable; the C library's copy and the process's own both change.
  _wputenv_s(Wide(name).c_str(), value ? Wide(*value).c_str() : L"");
}

#else

std::vector<std::string> Arguments(int argc, char** argv) { return std::vector<std::string>(argv + 1, argv + argc); }

void UseByteStreams() {}

bool ErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

std::string MakeTemporaryDirectory(const std::string& prefix) {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr && *base != 0 ? base : "/tmp") + "/" + prefix + "XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
}

std::optional<std::string> Variable(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

void SetVariable(const std::string& name, const std::optional<std::string>& value) {
  if (value) {
    setenv(name.c_str(), value->c_str(), 1);
  } else {
    unsetenv(name.c_str());
  }
}

#endif

}  // namespace utility::cli
