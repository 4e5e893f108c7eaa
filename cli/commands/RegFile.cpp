// Reading and writing the standard registry export file (see RegFile.h).
#include "commands/RegFile.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <Utility/Platform/CodePage.h>

#include "Command.h"
#include "commands/RegistryText.h"

namespace utility::cli::regfile {
namespace {

// A string as a file writes it: between quotes, with \ and " escaped and nothing else.
std::string Quote(const std::u16string& text) {
  std::string out = "\"";
  for (char c : regtext::ToUtf8(text)) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

// Text that the quoted form carries exactly: a terminated string with no control character
// and nothing UTF-8 cannot hold.
bool PlainText(DWORD type, const std::vector<BYTE>& data, std::u16string& text) {
  if (type != REG_SZ || data.size() < 2 || data.size() % 2 != 0) return false;
  text.assign(data.size() / 2, u'\0');
  std::memcpy(text.data(), data.data(), data.size());
  if (text.back() != u'\0') return false;
  text.pop_back();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c < 0x20 || c == 0x7F) return false;
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      return false;
    }
  }
  return true;
}

// hex bytes as files write them: two digits each, commas, and lines of at most 80 columns
// continued by a backslash.
std::string HexData(std::size_t column, const std::vector<BYTE>& data) {
  std::string out;
  char buffer[4];
  for (std::size_t i = 0; i < data.size(); ++i) {
    std::snprintf(buffer, sizeof buffer, "%02x", data[i]);
    out += buffer;
    column += 2;
    if (i + 1 < data.size()) {
      out += ',';
      ++column;
      if (column > 76) {
        out += "\\\r\n  ";
        column = 2;
      }
    }
  }
  return out;
}

std::string ValueLine(const regtext::Value& v) {
  std::string line = v.name.empty() ? "@=" : Quote(v.name) + "=";
  std::u16string text;
  char buffer[32];
  if (PlainText(v.type, v.data, text)) return line + Quote(text);
  if (v.type == REG_DWORD && v.data.size() == 4) {
    DWORD n = 0;
    std::memcpy(&n, v.data.data(), 4);
    std::snprintf(buffer, sizeof buffer, "dword:%08x", n);
    return line + buffer;
  }
  if (v.type == REG_BINARY) {
    line += "hex:";
  } else {
    std::snprintf(buffer, sizeof buffer, "hex(%x):", static_cast<unsigned>(v.type));
    line += buffer;
  }
  return line + HexData(line.size(), v.data);
}

std::vector<BYTE> ParseHex(const std::string& text) {
  std::vector<BYTE> out;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i == text.size()) break;
    if (i + 1 >= text.size() || !std::isxdigit(static_cast<unsigned char>(text[i])) ||
        !std::isxdigit(static_cast<unsigned char>(text[i + 1]))) {
      throw UsageError("malformed hexadecimal bytes: " + Quoted(text));
    }
    out.push_back(static_cast<BYTE>(std::strtoul(text.substr(i, 2).c_str(), nullptr, 16)));
    i += 2;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i < text.size() && text[i] != ',') throw UsageError("malformed hexadecimal bytes: " + Quoted(text));
    ++i;
  }
  return out;
}

// The 8-bit text of a version 4 file's string data, as the UTF-16 the registry holds.
std::vector<BYTE> WidenedText(const std::vector<BYTE>& narrow) {
  if (narrow.empty()) return {};
  const char* bytes = reinterpret_cast<const char*>(narrow.data());
  const int size = static_cast<int>(narrow.size());
  std::u16string units(static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, bytes, size, nullptr, 0)), u'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes, size, reinterpret_cast<WCHAR*>(units.data()), static_cast<int>(units.size()));
  std::vector<BYTE> wide(units.size() * 2);
  std::memcpy(wide.data(), units.data(), wide.size());
  return wide;
}

}  // namespace

int HeaderVersion(const std::string& line) {
  if (line == "Windows Registry Editor Version 5.00") return 5;
  if (line == "REGEDIT4") return 4;
  return 0;
}

std::string DecodeFile(const std::string& bytes) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    std::u16string units((bytes.size() - 2) / 2, u'\0');
    std::memcpy(units.data(), bytes.data() + 2, units.size() * 2);
    return regtext::ToUtf8(units);
  }
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return bytes.substr(3);
  return bytes;
}

std::string EncodeFile(const std::string& utf8) {
  const std::u16string units = regtext::FromUtf8(utf8);
  std::string out = "\xFF\xFE";
  out.resize(2 + units.size() * 2);
  std::memcpy(out.data() + 2, units.data(), units.size() * 2);
  return out;
}

void ParseData(const std::string& text, int version, DWORD& type, std::vector<BYTE>& data) {
  if (!text.empty() && text[0] == '"') {
    if (text.size() < 2 || text.back() != '"') throw UsageError("a quoted string ends with '\"'");
    std::u16string value;
    const std::string inner = text.substr(1, text.size() - 2);
    std::string plain;
    for (std::size_t i = 0; i < inner.size(); ++i) {
      if (inner[i] == '\\' && i + 1 < inner.size()) ++i;
      plain += inner[i];
    }
    type = REG_SZ;
    if (version == 4) {
      plain += '\0';
      data = WidenedText(std::vector<BYTE>(plain.begin(), plain.end()));
      return;
    }
    value = regtext::FromUtf8(plain) + u'\0';
    data.resize(value.size() * 2);
    std::memcpy(data.data(), value.data(), data.size());
    return;
  }
  if (text.rfind("dword:", 0) == 0) {
    const std::string digits = text.substr(6);
    if (digits.empty() || digits.size() > 8 ||
        digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
      throw UsageError("malformed dword: " + Quoted(digits) + " (eight hexadecimal digits)");
    }
    const auto n = static_cast<DWORD>(std::strtoul(digits.c_str(), nullptr, 16));
    type = REG_DWORD;
    data.assign(4, 0);
    std::memcpy(data.data(), &n, 4);
    return;
  }
  if (text.rfind("hex:", 0) == 0) {
    type = REG_BINARY;
    data = ParseHex(text.substr(4));
    return;
  }
  const std::size_t close = text.find("):");
  if (text.rfind("hex(", 0) != 0 || close == std::string::npos) {
    throw UsageError("unknown value data " + Quoted(text) + " (\"text\", dword:, hex: or hex(N):)");
  }
  const std::string code = text.substr(4, close - 4);
  if (code.empty() || code.size() > 8 || code.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
    throw UsageError("malformed value type: " + Quoted(code) + " (hexadecimal)");
  }
  type = static_cast<DWORD>(std::strtoul(code.c_str(), nullptr, 16));
  data = ParseHex(text.substr(close + 2));
  if (version == 4 && (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ)) data = WidenedText(data);
}

std::string ExportTree(HKEY root, const std::string& label, const std::u16string& path) {
  std::string out;
  regtext::VisitTree(root, label, path, [&out](const std::string& shown, HKEY key, const std::u16string&) {
    out += "[" + shown + "]\r\n";
    for (const regtext::Value& v : regtext::ReadValues(key)) out += ValueLine(v) + "\r\n";
    out += "\r\n";
  });
  return out;
}

}  // namespace utility::cli::regfile
