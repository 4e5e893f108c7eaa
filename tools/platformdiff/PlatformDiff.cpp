// Prints what the platform layer answers for fixed inputs, one "section key: answer" line each,
// so that the answers of two backends (Linux, and Windows under Wine) can be compared line by
// line: code page conversions, the error codes of failing calls, date parsing, wildcard
// searches and the registry's rules. Usage: platform_diff <empty directory>; the registry part
// works in the registry that UTILITY_REGISTRY_DIR names.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <Utility/Platform/CodePage.h>
#include <Utility/Platform/Date.h>
#include <Utility/Platform/Error.h>
#include <Utility/Platform/File.h>
#include <Utility/Platform/FileSystem.h>
#include <Utility/Platform/Path.h>
#include <Utility/Platform/Registry.h>
#include <Utility/Platform/String.h>

namespace {

void Line(const std::string& section, const std::string& key, const std::string& answer) {
  std::printf("%s %s: %s\n", section.c_str(), key.c_str(), answer.c_str());
}

std::string Hex(unsigned value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
  return text;
}

std::string Units(const std::u16string& units) {
  std::string out;
  for (const char16_t unit : units) out += (out.empty() ? "" : " ") + Hex(unit, 4);
  return out;
}

const WCHAR* W(const std::u16string& s) { return reinterpret_cast<const WCHAR*>(s.c_str()); }

std::u16string Wide(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

// Code page 936: every lead byte with the edges of its trail range, lone and broken sequences,
// and characters with and without a GBK form.
void CodePages() {
  std::vector<std::string> inputs = {"\x80", "\xFF", "\x81", "\x81\x30",
                                     "A\xFE\xFE"
                                     "B"};
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
    for (const unsigned trail : {0x40u, 0x7Eu, 0x7Fu, 0x80u, 0xA1u, 0xFEu}) {
      inputs.push_back(std::string{static_cast<char>(lead), static_cast<char>(trail)});
    }
  }
  for (const std::string& bytes : inputs) {
    WCHAR units[8] = {};
    const int n = MultiByteToWideChar(CP_GBK, 0, bytes.data(), static_cast<int>(bytes.size()), units, 8);
    std::string key;
    for (const char c : bytes) key += Hex(static_cast<unsigned char>(c), 2);
    Line("936-decode", key,
         n <= 0 ? "error " + std::to_string(GetLastError())
                : Units(std::u16string(reinterpret_cast<const char16_t*>(units), n)));
  }
  for (const char16_t unit : {u'A', u'\u00A5', u'\u20AC', u'\u4E2D', u'\u00E9', u'\u3000', u'\uE76C', u'\uFFFD'}) {
    char bytes[8] = {};
    BOOL defaulted = FALSE;
    const WCHAR text[1] = {unit};
    const int n = WideCharToMultiByte(CP_GBK, 0, text, 1, bytes, 8, nullptr, &defaulted);
    std::string answer;
    for (int i = 0; i < n; ++i) answer += Hex(static_cast<unsigned char>(bytes[i]), 2);
    Line("936-encode", Hex(unit, 4), answer + (defaulted ? " defaulted" : ""));
  }
}

// The last error of failing file system calls.
void Errors(const std::u16string& dir) {
  const std::u16string missing = dir + u"\\missing";
  const std::u16string full = dir + u"\\full";
  CreateDirectoryW(W(full), nullptr);
  CFile note;
  note.Open(CString((full + u"\\note.txt").c_str()), CFile::modeCreate | CFile::modeWrite);
  note.Close();
  struct Case {
    const char* name;
    BOOL (*call)(const std::u16string& missing, const std::u16string& full);
  };
  const Case cases[] = {
      {"CreateDirectoryW existing", [](auto&, auto& f) { return CreateDirectoryW(W(f), nullptr); }},
      {"CreateDirectoryW below missing", [](auto& m, auto&) { return CreateDirectoryW(W(m + u"\\sub"), nullptr); }},
      {"RemoveDirectoryW not empty", [](auto&, auto& f) { return RemoveDirectoryW(W(f)); }},
      {"RemoveDirectoryW missing", [](auto& m, auto&) { return RemoveDirectoryW(W(m)); }},
      {"RemoveDirectoryW file", [](auto&, auto& f) { return RemoveDirectoryW(W(f + u"\\note.txt")); }},
      {"DeleteFileW missing", [](auto& m, auto&) { return DeleteFileW(W(m)); }},
      {"DeleteFileW directory", [](auto&, auto& f) { return DeleteFileW(W(f)); }},
      {"FindFirstFileW missing directory",
       [](auto& m, auto&) {
         WIN32_FIND_DATAW data;
         return FindFirstFileW(W(m + u"\\*"), &data) != INVALID_HANDLE_VALUE ? TRUE : FALSE;
       }},
      {"FindFirstFileW no match",
       [](auto&, auto& f) {
         WIN32_FIND_DATAW data;
         return FindFirstFileW(W(f + u"\\*.none"), &data) != INVALID_HANDLE_VALUE ? TRUE : FALSE;
       }},
  };
  for (const Case& c : cases) {
    SetLastError(0);
    const BOOL ok = c.call(missing, full);
    Line("error", c.name, ok ? "succeeded" : std::to_string(GetLastError()));
  }
}

void Dates() {
  const char* texts[] = {"2024-03-05",
                         "2024-03-05 14:07:09",
                         "3/5/2024",
                         "3/5/24",
                         "5-Mar-2024",
                         "March 5, 2024",
                         "Mar. 5 2024 2:07 PM",
                         "14:07",
                         "10.30",
                         "2 a.m.",
                         "13 5 2024",
                         "2024-02-30",
                         "25:00",
                         "10000-01-01",
                         "0099-01-01",
                         "1/1/49",
                         "1/1/50",
                         "Tuesday, March 5, 2024",
                         "2024-03-05T14:07:09",
                         "5.3.2024",
                         "soon",
                         "",
                         "  3/5/2024  ",
                         "12 PM"};
  for (const char* text : texts) {
    DATE date = -1;
    const HRESULT hr = VarDateFromStr(Wide(text).c_str(), 0x0409, 0, &date);
    char answer[64];
    if (hr == 0) {
      std::snprintf(answer, sizeof answer, "%.6f", date);
    } else {
      std::snprintf(answer, sizeof answer, "hr %08X", static_cast<unsigned>(hr));
    }
    Line("date", std::string("\"") + text + "\"", answer);
  }
}

void Wildcards(const std::u16string& dir) {
  const std::u16string root = dir + u"\\match";
  CreateDirectoryW(W(root), nullptr);
  for (const char* name : {"a.txt", "B.TXT", "ab", "abc.tar.gz", "readme", ".profile", "x.t", "a b.txt"}) {
    CFile f;
    f.Open(CString((root + u"\\" + Wide(name)).c_str()), CFile::modeCreate | CFile::modeWrite);
    f.Close();
  }
  for (const char* pattern : {"*", "*.*", "*.txt", "?", "??", "a*", "*.", "a?.*", "*.t?", "*b*", "A*.TXT", "*.tar*"}) {
    WIN32_FIND_DATAW data;
    std::vector<std::string> names;
    const HANDLE h = FindFirstFileW(W(root + u"\\" + Wide(pattern)), &data);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        names.push_back(CString(data.cFileName).ToUtf8());
      } while (FindNextFileW(h, &data));
      FindClose(h);
    }
    std::sort(names.begin(), names.end());
    std::string answer;
    for (const std::string& n : names) answer += (answer.empty() ? "" : " ") + n;
    Line("wildcard", pattern, answer.empty() ? "none" : answer);
  }
}

void Registry() {
  HKEY key = nullptr;
  DWORD how = 0;
  const LONG created =
      RegCreateKeyExW(HKEY_CURRENT_USER, W(u"Diff\\Key"), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &how);
  Line("registry", "create", std::to_string(created) + " disposition " + std::to_string(how));
  for (const char* sub : {"beta", "Alpha", "_x", "gamma", "ALPHA2", "0"}) {
    HKEY child = nullptr;
    RegCreateKeyExW(key, W(Wide(sub)), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr);
    RegCloseKey(child);
  }
  for (const char* value : {"z", "A", "m", ""}) {
    const DWORD n = 7;
    RegSetValueExW(key, W(Wide(value)), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&n), sizeof n);
  }
  std::string order;
  WCHAR name[64];
  for (DWORD i = 0;; ++i) {
    DWORD size = 64;
    if (RegEnumKeyExW(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != 0) break;
    order += (order.empty() ? "" : " ") + CString(name).ToUtf8();
  }
  Line("registry", "sub-key order", order);
  order.clear();
  for (DWORD i = 0;; ++i) {
    DWORD size = 64;
    if (RegEnumValueW(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != 0) break;
    order += (order.empty() ? "" : " ") + ("[" + CString(name).ToUtf8() + "]");
  }
  Line("registry", "value order", order);
  BYTE small[2];
  DWORD size = sizeof small;
  Line(
      "registry", "query small buffer",
      std::to_string(RegQueryValueExW(key, W(u"z"), nullptr, nullptr, small, &size)) + " size " + std::to_string(size));
  Line("registry", "query missing",
       std::to_string(RegQueryValueExW(key, W(u"none"), nullptr, nullptr, nullptr, nullptr)));
  HKEY single = nullptr;
  RegCreateKeyExW(key, W(u"single"), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &single, nullptr);
  RegSetValueExW(single, W(u"long"), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&how), sizeof how);
  DWORD nameSize = 4;  // no room for the terminator
  Line("registry", "enum name too long",
       std::to_string(RegEnumValueW(single, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr)) + " size " +
           std::to_string(nameSize));
  RegCloseKey(single);
  RegDeleteKeyW(key, W(u"single"));
  Line("registry", "delete with sub-keys", std::to_string(RegDeleteKeyW(HKEY_CURRENT_USER, W(u"Diff\\Key"))));
  HKEY other = nullptr;
  Line("registry", "bad path", std::to_string(RegOpenKeyExW(key, W(u"a\\\\b"), 0, KEY_READ, &other)));
  Line("registry", "delete missing", std::to_string(RegDeleteKeyW(key, W(u"none"))));
  HKEY read = nullptr;
  RegOpenKeyExW(HKEY_CURRENT_USER, W(u"Diff\\Key"), 0, KEY_READ, &read);
  const DWORD n = 1;
  Line("registry", "set through read handle",
       std::to_string(RegSetValueExW(read, W(u"v"), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&n), sizeof n)));
  RegCloseKey(read);
  RegDeleteKeyW(key, W(u"0"));
  Line("registry", "delete sub-key", std::to_string(RegDeleteKeyW(key, W(u"beta"))));
  RegCloseKey(key);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: platform_diff <empty directory>\n");
    return 2;
  }
  const CString windowsDir = utility::platform::WindowsPath(argv[1]);
  const std::u16string dir(reinterpret_cast<const char16_t*>(windowsDir.GetString()),
                           static_cast<std::size_t>(windowsDir.GetLength()));
  CodePages();
  Errors(dir);
  Dates();
  Wildcards(dir);
  Registry();
  return 0;
}
