// Running a program with CreateProcessW: its arguments quoted as the C runtime splits them, its
// environment the test's own with the additions, and its standard streams files in workDir.
#include "support/Spawn.h"

#include <windows.h>

#include <cwctype>
#include <map>
#include <stdexcept>

namespace utility::testsupport {
namespace {

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
  return wide;
}

// One argument as the C runtime's parser reads it back: in double quotes, with the backslashes
// before a quote (or before the closing quote) doubled and each quote escaped.
std::wstring Quote(const std::wstring& arg) {
  std::wstring q = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    q.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    q += c;
  }
  q.append(backslashes * 2, L'\\');
  return q + L"\"";
}

// Names compare without regard to case, as the system compares them.
struct NoCase {
  bool operator()(const std::wstring& a, const std::wstring& b) const { return _wcsicmp(a.c_str(), b.c_str()) < 0; }
};

// The test's environment with the additions, as the block CreateProcessW takes: sorted
// "NAME=value" strings, each terminated, and one more terminator at the end.
std::wstring EnvironmentBlock(const std::vector<std::string>& additions) {
  std::map<std::wstring, std::wstring, NoCase> variables;
  auto add = [&](const std::wstring& entry) {
    const std::size_t eq = entry.find(L'=', 1);  // "=C:=C:\..." entries start with '='
    if (eq != std::wstring::npos) variables[entry.substr(0, eq)] = entry.substr(eq + 1);
  };
  wchar_t* strings = GetEnvironmentStringsW();
  for (const wchar_t* p = strings; *p != 0; p += wcslen(p) + 1) add(p);
  FreeEnvironmentStringsW(strings);
  for (const std::string& entry : additions) add(Wide(entry));
  std::wstring block;
  for (const auto& [name, value] : variables) block += name + L"=" + value + L'\0';
  return block + L'\0';
}

HANDLE Inheritable(const std::filesystem::path& file, bool write) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  const HANDLE h = CreateFileW(file.wstring().c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                               write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + file.string());
  return h;
}

}  // namespace

int RunToExit(const std::filesystem::path& program, const std::vector<std::string>& args,
              const std::filesystem::path& workDir, const std::vector<std::string>& env, const Streams& streams) {
  std::wstring command = Quote(program.wstring());
  for (const std::string& a : args) command += L" " + Quote(Wide(a));
  std::wstring block = EnvironmentBlock(env);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = Inheritable(streams.in, false);
  startup.hStdOutput = Inheritable(streams.out, true);
  startup.hStdError = Inheritable(streams.err, true);
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
                                      block.data(), workDir.wstring().c_str(), &startup, &process);
  CloseHandle(startup.hStdInput);
  CloseHandle(startup.hStdOutput);
  CloseHandle(startup.hStdError);
  int status = -1;
  if (started) {
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    if (GetExitCodeProcess(process.hProcess, &code)) status = static_cast<int>(code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  return status;
}

}  // namespace utility::testsupport
