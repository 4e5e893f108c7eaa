// The text form of registry values and key trees: formatting, parsing, export and import.
#include "commands/RegistryText.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <ostream>
#include <set>

#include <Utility/Platform/HiveFiles.h>
#include <Utility/Platform/Message.h>
#include <Utility/Platform/String.h>

#include "Command.h"
#include "commands/RegFile.h"

namespace utility::cli::regtext {

namespace {

struct TypeName {
  DWORD type;
  const char* name;
};
constexpr TypeName kTypeNames[] = {
    {REG_SZ, "sz"},       {REG_EXPAND_SZ, "expand_sz"}, {REG_MULTI_SZ, "multi_sz"},
    {REG_DWORD, "dword"}, {REG_QWORD, "qword"},         {REG_BINARY, "binary"},
};

std::vector<char16_t> Units(const std::vector<BYTE>& data) {
  std::vector<char16_t> units(data.size() / 2);
  if (!units.empty()) std::memcpy(units.data(), data.data(), units.size() * 2);
  return units;
}

std::vector<BYTE> Bytes(const std::u16string& units) {
  std::vector<BYTE> out(units.size() * 2);
  if (!out.empty()) std::memcpy(out.data(), units.data(), out.size());
  return out;
}

std::string Quote(const std::u16string& text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    const bool high = c >= 0xD800 && c <= 0xDBFF;
    const bool pair = high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
    if (c == u'"' || c == u'\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == u'\n') {
      out += "\\n";
    } else if (c == u'\r') {
      out += "\\r";
    } else if (c == u'\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7F || (c >= 0xD800 && c <= 0xDFFF && !pair)) {
      // Control characters and lone surrogates, which UTF-8 cannot carry, as escapes.
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
      out += buf;
    } else if (pair) {
      out += ToUtf8(text.substr(i, 2));
      ++i;
    } else {
      out += ToUtf8(std::u16string(1, c));
    }
  }
  return out + "\"";
}

std::string Hex(const std::vector<BYTE>& data) {
  std::string out;
  char buf[4];
  for (std::size_t i = 0; i < data.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%02x", data[i]);
    if (i > 0) out += ',';
    out += buf;
  }
  return out;
}

// The strings of REG_SZ-like data when it is exactly units and one terminator.
bool AsText(const std::vector<BYTE>& data, std::u16string& text) {
  if (data.size() < 2 || data.size() % 2 != 0) return false;
  const std::vector<char16_t> units = Units(data);
  if (units.back() != 0) return false;
  text.assign(units.begin(), units.end() - 1);
  return text.find(u'\0') == std::u16string::npos;
}

bool AsMulti(const std::vector<BYTE>& data, std::vector<std::u16string>& items) {
  if (data.size() < 2 || data.size() % 2 != 0) return false;
  const std::vector<char16_t> units = Units(data);
  items.clear();
  std::u16string current;
  for (std::size_t i = 0; i + 1 < units.size(); ++i) {
    if (units[i] == 0) {
      if (current.empty()) return false;  // an empty item cannot be told from the end
      items.push_back(current);
      current.clear();
    } else {
      current += units[i];
    }
  }
  return current.empty() && units.back() == 0 && (units.size() == 1 || units[units.size() - 2] == 0);
}

std::vector<BYTE> MultiBytes(const std::vector<std::u16string>& items) {
  std::u16string all;
  for (const std::u16string& item : items) {
    all += item;
    all += u'\0';
  }
  all += u'\0';
  return Bytes(all);
}

// Reading text: a cursor over one line.
class Reader {
 public:
  explicit Reader(const std::string& text) : m_text(text) {}

  bool AtEnd() const { return m_pos >= m_text.size(); }
  char Peek() const { return AtEnd() ? '\0' : m_text[m_pos]; }
  void Expect(char c, const char* what) {
    if (Peek() != c) throw UsageError(std::string("expected ") + what + " at column " + std::to_string(m_pos + 1));
    ++m_pos;
  }
  std::string Rest() {
    std::string r = m_text.substr(m_pos);
    m_pos = m_text.size();
    return r;
  }
  std::string Until(char c) {
    const std::size_t end = m_text.find(c, m_pos);
    if (end == std::string::npos) throw UsageError(std::string("expected '") + c + "'");
    std::string r = m_text.substr(m_pos, end - m_pos);
    m_pos = end + 1;
    return r;
  }

  std::u16string Quoted() {
    Expect('"', "'\"'");
    std::u16string out;
    std::string plain;
    auto flush = [&]() {
      out += FromUtf8(plain);
      plain.clear();
    };
    for (;;) {
      if (AtEnd()) throw UsageError("unterminated quoted text");
      const char c = m_text[m_pos++];
      if (c == '"') break;
      if (c != '\\') {
        plain += c;
        continue;
      }
      if (AtEnd()) throw UsageError("unterminated escape");
      const char e = m_text[m_pos++];
      flush();
      switch (e) {
        case '\\':
          out += u'\\';
          break;
        case '"':
          out += u'"';
          break;
        case 'n':
          out += u'\n';
          break;
        case 'r':
          out += u'\r';
          break;
        case 't':
          out += u'\t';
          break;
        case 'u': {
          if (m_pos + 4 > m_text.size()) throw UsageError("\\u needs four hexadecimal digits");
          const std::string digits = m_text.substr(m_pos, 4);
          for (char d : digits) {
            if (!std::isxdigit(static_cast<unsigned char>(d))) throw UsageError("\\u needs four hexadecimal digits");
          }
          out += static_cast<char16_t>(std::strtoul(digits.c_str(), nullptr, 16));
          m_pos += 4;
          break;
        }
        default:
          throw UsageError(std::string("unknown escape \\") + e);
      }
    }
    flush();
    return out;
  }

 private:
  const std::string& m_text;
  std::size_t m_pos = 0;
};

std::vector<BYTE> ParseHex(const std::string& text) {
  std::vector<BYTE> out;
  std::string digits;
  for (char c : text) {
    if (c == ',' || c == ' ') continue;
    if (!std::isxdigit(static_cast<unsigned char>(c))) throw UsageError("malformed hexadecimal bytes: " + Quoted(text));
    digits += c;
  }
  if (digits.size() % 2 != 0) throw UsageError("hexadecimal bytes need two digits each: " + Quoted(text));
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    out.push_back(static_cast<BYTE>(std::strtoul(digits.substr(i, 2).c_str(), nullptr, 16)));
  }
  return out;
}

unsigned long long ParseUnsigned(const std::string& text, unsigned long long max, const char* what) {
  // Exported numbers are bare hexadecimal; typed ones are decimal or 0x-prefixed.
  const bool prefixed = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const bool bareHex = !prefixed && text.size() == (max == 0xFFFFFFFFull ? 8u : 16u);
  const std::string digits = prefixed ? text.substr(2) : text;
  if (digits.empty() || digits[0] == '-' || digits[0] == '+' || digits[0] == ' ') {
    throw UsageError(std::string("malformed ") + what + ": " + Quoted(text));
  }
  errno = 0;
  char* end = nullptr;
  const unsigned long long v = std::strtoull(digits.c_str(), &end, prefixed || bareHex ? 16 : 10);
  if (end == nullptr || *end != 0) throw UsageError(std::string("malformed ") + what + ": " + Quoted(text));
  if (errno == ERANGE || v > max) throw UsageError(std::string(what) + " out of range: " + Quoted(text));
  return v;
}

LONG Check(LONG rc, const std::string& what) {
  if (rc != ERROR_SUCCESS) throw Failure(what + ": " + ErrorText(rc));
  return rc;
}

}  // namespace

std::u16string FromUtf8(const std::string& text) {
  const CString s = CString::FromUtf8(text);
  return std::u16string(reinterpret_cast<const char16_t*>(s.GetString()), static_cast<std::size_t>(s.GetLength()));
}

std::string ToUtf8(const std::u16string& text) {
  return CString(reinterpret_cast<const WCHAR*>(text.data()), static_cast<int>(text.size())).ToUtf8();
}

namespace {

// The system's text of a registry code, as a reason after a colon: without its line end and
// with a lower-case first letter. Empty for a code without one.
std::string SystemReason(LONG code) {
  WCHAR text[512] = {};
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
                     nullptr, static_cast<DWORD>(code), 0, text, 512, nullptr);
  std::string reason = ToUtf8(std::u16string(reinterpret_cast<const char16_t*>(text), length));
  if (!reason.empty()) reason[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(reason[0])));
  return reason;
}

}  // namespace

std::string ErrorText(LONG code) {
  // The hive's own troubles are told in the system's texts; a damaged hive adds the way out.
  const std::string recover = "; utility reg recover copies what it still holds";
  const std::string number = " (" + std::to_string(code) + ")";
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
      return "no such key or value (2)";
    case ERROR_PATH_NOT_FOUND:
      return "the hive's directory cannot be reached (3)";
    case ERROR_ACCESS_DENIED:
      return "access denied: the key is read-only (5)";
    case ERROR_INVALID_HANDLE:
      return "not a key handle (6)";
    case ERROR_NOT_ENOUGH_MEMORY:
      return "out of memory (8)";
    case ERROR_FILE_EXISTS:
      return "the file exists already (80)";
    case ERROR_INVALID_PARAMETER:
      return "invalid parameter (87)";
    case ERROR_DISK_FULL:
      return "the disk is full (112)";
    case ERROR_INVALID_NAME:
      return "the hive file's name cannot be a file name here (123)";
    case ERROR_BAD_PATHNAME:
      return "malformed key path (161)";
    case ERROR_BUSY:
      return "the hive is locked by another process (170)";
    case ERROR_FILENAME_EXCED_RANGE:
      return "the hive file's path is too long (206)";
    case ERROR_MORE_DATA:
      return "more data than the buffer holds (234)";
    case ERROR_NO_MORE_ITEMS:
      return "no more items (259)";
    case ERROR_DIRECTORY:
      return "the hive path names a directory, not a hive file (267)";
    case ERROR_NOACCESS:
      return "no data given for a value of that size (998)";
    case ERROR_BADDB:
    case ERROR_REGISTRY_CORRUPT:
      return SystemReason(code) + recover + number;
    case ERROR_CANTOPEN:
    case ERROR_REGISTRY_IO_FAILED:
    case ERROR_KEY_DELETED:
      return SystemReason(code) + number;
    default:
      return "registry error " + std::to_string(code);
  }
}

std::string FormatName(const std::u16string& name) { return name.empty() ? "@" : Quote(name); }

std::string FormatData(DWORD type, const std::vector<BYTE>& data) {
  char buf[32];
  std::u16string text;
  std::vector<std::u16string> items;
  if ((type == REG_SZ || type == REG_EXPAND_SZ) && AsText(data, text)) {
    return std::string(type == REG_SZ ? "sz:" : "expand_sz:") + Quote(text);
  }
  if (type == REG_MULTI_SZ && AsMulti(data, items) && MultiBytes(items) == data) {
    std::string out = "multi_sz:";
    for (std::size_t i = 0; i < items.size(); ++i) out += (i > 0 ? "," : "") + Quote(items[i]);
    return out;
  }
  if (type == REG_DWORD && data.size() == 4) {
    DWORD v = 0;
    std::memcpy(&v, data.data(), 4);
    std::snprintf(buf, sizeof buf, "dword:%08x", v);
    return buf;
  }
  if (type == REG_QWORD && data.size() == 8) {
    ULONGLONG v = 0;
    std::memcpy(&v, data.data(), 8);
    std::snprintf(buf, sizeof buf, "qword:%016llx", static_cast<unsigned long long>(v));
    return buf;
  }
  if (type == REG_BINARY) return "binary:" + Hex(data);
  return "hex(" + std::to_string(type) + "):" + Hex(data);
}

std::string ValueJson(const Value& value) {
  std::string type;
  for (const TypeName& t : kTypeNames) {
    if (t.type == value.type) type = JsonQuote(t.name);
  }
  if (type.empty()) type = std::to_string(value.type);
  std::string data;
  std::u16string text;
  std::vector<std::u16string> items;
  if ((value.type == REG_SZ || value.type == REG_EXPAND_SZ) && AsText(value.data, text)) {
    data = JsonQuote(ToUtf8(text));
  } else if (value.type == REG_MULTI_SZ && AsMulti(value.data, items) && MultiBytes(items) == value.data) {
    for (const std::u16string& item : items) data += (data.empty() ? "" : ", ") + JsonQuote(ToUtf8(item));
    data = "[" + data + "]";
  } else if (value.type == REG_DWORD && value.data.size() == 4) {
    DWORD n = 0;
    std::memcpy(&n, value.data.data(), 4);
    data = std::to_string(n);
  } else if (value.type == REG_QWORD && value.data.size() == 8) {
    ULONGLONG n = 0;
    std::memcpy(&n, value.data.data(), 8);
    data = std::to_string(n);
  } else {
    for (BYTE b : value.data) data += (data.empty() ? "" : ", ") + std::to_string(b);
    data = "[" + data + "]";
  }
  return "{\"name\": " + JsonQuote(ToUtf8(value.name)) + ", \"type\": " + type + ", \"data\": " + data + "}";
}

std::string FormatValue(const Value& value) {
  return FormatName(value.name) + "=" + FormatData(value.type, value.data);
}

void ParseData(const std::string& text, DWORD& type, std::vector<BYTE>& data) {
  const std::size_t colon = text.find(':');
  if (colon == std::string::npos) throw UsageError("expected type:data, as in sz:\"text\" or dword:42");
  const std::string typeName = text.substr(0, colon);
  const std::string rest = text.substr(colon + 1);
  if (typeName.rfind("hex(", 0) == 0 && typeName.back() == ')') {
    type = static_cast<DWORD>(ParseUnsigned(typeName.substr(4, typeName.size() - 5), 0xFFFFFFFFull, "value type"));
    data = ParseHex(rest);
    return;
  }
  const TypeName* found = nullptr;
  for (const TypeName& t : kTypeNames) {
    if (typeName == t.name) found = &t;
  }
  if (found == nullptr) {
    throw UsageError("unknown value type " + Quoted(typeName) +
                     " (sz, expand_sz, multi_sz, dword, qword, binary, hex(N))");
  }
  type = found->type;
  switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
      std::u16string value;
      if (!rest.empty() && rest[0] == '"') {
        Reader r(rest);
        value = r.Quoted();
        if (!r.AtEnd()) throw UsageError("unexpected text after the closing quote");
      } else {
        value = FromUtf8(rest);
      }
      value += u'\0';
      data = Bytes(value);
      return;
    }
    case REG_MULTI_SZ: {
      std::vector<std::u16string> items;
      Reader r(rest);
      while (!r.AtEnd()) {
        items.push_back(r.Quoted());
        if (!r.AtEnd()) r.Expect(',', "','");
      }
      for (const std::u16string& item : items) {
        if (item.empty()) throw UsageError("a multi_sz item cannot be empty");
      }
      data = MultiBytes(items);
      return;
    }
    case REG_DWORD: {
      const auto v = static_cast<DWORD>(ParseUnsigned(rest, 0xFFFFFFFFull, "dword"));
      data.assign(4, 0);
      std::memcpy(data.data(), &v, 4);
      return;
    }
    case REG_QWORD: {
      const ULONGLONG v = ParseUnsigned(rest, ~0ull, "qword");
      data.assign(8, 0);
      std::memcpy(data.data(), &v, 8);
      return;
    }
    default:
      data = ParseHex(rest);
      return;
  }
}

namespace {

// The name of a value line ("@" or a quoted string) and the text after its '='.
std::u16string SplitValueLine(const std::string& line, std::string& data) {
  std::u16string name;
  Reader r(line);
  if (r.Peek() == '@') {
    r.Expect('@', "'@'");
  } else {
    name = r.Quoted();
  }
  r.Expect('=', "'='");
  data = r.Rest();
  return name;
}

}  // namespace

Value ParseValue(const std::string& line) {
  Value v;
  std::string data;
  v.name = SplitValueLine(line, data);
  ParseData(data, v.type, v.data);
  return v;
}

std::vector<Value> ReadValues(HKEY key) {
  DWORD count = 0;
  DWORD maxName = 0;
  DWORD maxData = 0;
  Check(RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &maxName, &maxData, nullptr,
                         nullptr),
        "describing the key");
  std::vector<Value> values;
  std::vector<WCHAR> name(maxName + 1);
  std::vector<BYTE> data(maxData + 1);
  for (DWORD i = 0;; ++i) {
    DWORD nameSize = static_cast<DWORD>(name.size());
    DWORD size = static_cast<DWORD>(data.size());
    DWORD type = 0;
    const LONG rc = RegEnumValueW(key, i, name.data(), &nameSize, nullptr, &type, data.data(), &size);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    Check(rc, "reading value " + std::to_string(i));
    Value v;
    v.name.assign(reinterpret_cast<const char16_t*>(name.data()), nameSize);
    v.type = type;
    v.data.assign(data.begin(), data.begin() + size);
    values.push_back(std::move(v));
  }
  return values;
}

std::vector<std::u16string> ReadSubKeys(HKEY key) {
  std::vector<std::u16string> names;
  WCHAR name[REG_MAX_KEY_NAME_LENGTH + 1];
  for (DWORD i = 0;; ++i) {
    DWORD size = REG_MAX_KEY_NAME_LENGTH + 1;
    const LONG rc = RegEnumKeyExW(key, i, name, &size, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    Check(rc, "listing sub-keys");
    names.emplace_back(reinterpret_cast<const char16_t*>(name), size);
  }
  return names;
}

void VisitTree(HKEY root, const std::string& label, const std::u16string& path,
               const std::function<void(const std::string& shown, HKEY key, const std::u16string& path)>& visit) {
  HKEY key = nullptr;
  const std::string shown = label.empty() ? ToUtf8(path) : path.empty() ? label : label + "\\" + ToUtf8(path);
  Check(RegOpenKeyExW(root, W(path), 0, KEY_READ, &key), shown);
  struct Closer {
    HKEY k;
    ~Closer() { RegCloseKey(k); }
  } closer{key};
  visit(shown, key, path);
  for (const std::u16string& sub : ReadSubKeys(key))
    VisitTree(root, label, path.empty() ? sub : path + u"\\" + sub, visit);
}

void ExportTree(HKEY root, const std::string& label, const std::u16string& path, std::ostream& out) {
  VisitTree(root, label, path, [&](const std::string& shown, HKEY key, const std::u16string& at) {
    out << '[' << shown << "]\n";
    BOOL marked = FALSE;
    Check(utility::platform::GetKeyReadOnly(root, W(at), &marked, nullptr), shown);
    if (marked) out << "!readonly\n";
    for (const Value& v : ReadValues(key)) out << FormatValue(v) << '\n';
    out << '\n';
  });
}

void DeleteTree(HKEY root, const std::u16string& path, const std::string& shown) {
  HKEY key = nullptr;
  Check(RegOpenKeyExW(root, W(path), 0, KEY_READ, &key), shown);
  std::vector<std::u16string> subs;
  try {
    subs = ReadSubKeys(key);
  } catch (...) {
    RegCloseKey(key);
    throw;
  }
  RegCloseKey(key);
  for (const std::u16string& sub : subs) DeleteTree(root, path + u"\\" + sub, shown + "\\" + ToUtf8(sub));
  Check(RegDeleteKeyW(root, W(path)), shown);
}

namespace {

// The next logical line: a line that ends with a backslash goes on in the next one (long hex
// data of an export file), whose leading blanks are dropped.
bool NextLine(std::istream& in, std::string& line, int& lineNumber) {
  if (!std::getline(in, line)) return false;
  ++lineNumber;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  std::string more;
  while (!line.empty() && line.back() == '\\' && std::getline(in, more)) {
    ++lineNumber;
    if (!more.empty() && more.back() == '\r') more.pop_back();
    line.pop_back();
    line += more.substr(std::min(more.find_first_not_of(" \t"), more.size()));
  }
  return true;
}

}  // namespace

int ImportText(std::istream& in, const RootResolver& resolve) {
  std::string line;
  int version = 0;  // of a standard export file's header; 0 for this program's own text
  int lineNumber = 0;
  int written = 0;
  HKEY key = nullptr;
  struct Closer {
    HKEY& k;
    ~Closer() {
      if (k != nullptr) RegCloseKey(k);
    }
  } closer{key};
  HKEY currentRoot = nullptr;
  std::u16string currentPath;
  std::string currentText;
  std::vector<std::pair<HKEY, std::u16string>> marks;
  auto where = [&]() { return "line " + std::to_string(lineNumber) + ": "; };
  while (NextLine(in, line, lineNumber)) {
    if (line.empty() || line[0] == ';') continue;
    try {
      if (key == nullptr && version == 0 && regfile::HeaderVersion(line) != 0) {
        version = regfile::HeaderVersion(line);
      } else if (version != 0 && line.rfind("[-", 0) == 0) {
        if (line.back() != ']') throw UsageError("a key line ends with ']'");
        if (key != nullptr) RegCloseKey(key);
        key = nullptr;
        const std::string text = line.substr(2, line.size() - 3);
        HKEY root = nullptr;
        std::u16string path;
        resolve.Resolve(text, root, path);
        HKEY probe = nullptr;
        // Deleting what is not there leaves it not there, as registry editors take it.
        if (RegOpenKeyExW(root, W(path), 0, KEY_READ, &probe) == ERROR_SUCCESS) {
          RegCloseKey(probe);
          DeleteTree(root, path, text);
        }
      } else if (line[0] == '[') {
        if (line.back() != ']') throw UsageError("a key line ends with ']'");
        if (key != nullptr) RegCloseKey(key);
        key = nullptr;
        currentText = line.substr(1, line.size() - 2);
        resolve.Resolve(currentText, currentRoot, currentPath);
        Check(RegCreateKeyExW(currentRoot, W(currentPath), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              currentText);
      } else if (line == "!readonly") {
        if (key == nullptr) throw UsageError("!readonly before any [key] line");
        marks.emplace_back(currentRoot, currentPath);
      } else {
        if (key == nullptr) throw UsageError("a value before any [key] line");
        Value v;
        if (version == 0) {
          v = ParseValue(line);
        } else {
          std::string data;
          v.name = SplitValueLine(line, data);
          if (data == "-") {
            const LONG rc = RegDeleteValueW(key, W(v.name));
            if (rc != ERROR_FILE_NOT_FOUND) Check(rc, currentText + " " + FormatName(v.name));
            continue;
          }
          regfile::ParseData(data, version, v.type, v.data);
        }
        Check(RegSetValueExW(key, W(v.name), 0, v.type, v.data.data(), static_cast<DWORD>(v.data.size())),
              currentText + " " + FormatName(v.name));
        ++written;
      }
    } catch (const UsageError& e) {
      throw UsageError(where() + e.what());
    } catch (const Failure& e) {
      throw Failure(where() + e.what());
    }
  }
  // Marks go last, so that a read-only key still receives its own values.
  for (const auto& [root, path] : marks)
    Check(utility::platform::SetKeyReadOnly(root, W(path), TRUE), "marking " + ToUtf8(path));
  return written;
}

}  // namespace utility::cli::regtext
