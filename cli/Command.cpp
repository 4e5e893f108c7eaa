// Invocation access, replies, and strict number parsing for the host program.
#include "Command.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include <Utility/Platform/Path.h>

namespace utility::cli {

bool Invocation::Flag(const std::string& name) const {
  auto it = flags.find(name);
  return it != flags.end() && it->second;
}

std::string Invocation::Get(const std::string& name, const std::string& fallback) const {
  auto it = options.find(name);
  return it == options.end() ? fallback : it->second;
}

bool Invocation::Has(const std::string& name) const { return options.count(name) != 0; }

void Reply::Text(const std::string& name, const std::string& value) {
  m_fields.push_back({name, Kind::Text, value, {}});
}

void Reply::Number(const std::string& name, double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.17g", value);
  m_fields.push_back({name, Kind::Raw, buffer, {}});
}

void Reply::Integer(const std::string& name, long long value) {
  m_fields.push_back({name, Kind::Raw, std::to_string(value), {}});
}

void Reply::Bool(const std::string& name, bool value) {
  m_fields.push_back({name, Kind::Raw, value ? "true" : "false", {}});
}

void Reply::List(const std::string& name, const std::vector<std::string>& values) {
  m_fields.push_back({name, Kind::List, {}, values});
}

// Text reaches JSON as UTF-8. A byte that is not part of valid UTF-8 (a file name on disk can
// hold any) is written as the escape \udcXX of the platform's lossless name mapping, so that the
// output stays valid JSON and a reader can still recover the exact name.
std::string JsonQuote(const std::string& text) {
  std::string out = "\"";
  // Each unit stands for a known number of the text's bytes, so valid characters are copied
  // from the text as they are.
  const CString units = utility::platform::NativeText(text);
  std::size_t at = 0;
  for (int i = 0; i < units.GetLength(); ++i) {
    const unsigned c = units[i];
    std::size_t bytes = 1;
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20 || (c >= 0xDC80 && c <= 0xDCFF)) {
          char buffer[8];
          std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
          out += buffer;
        } else if (c < 0x80) {
          out += static_cast<char>(c);
        } else {
          const bool pair = c >= 0xD800 && c <= 0xDBFF;
          bytes = c < 0x800 ? 2 : pair ? 4 : 3;
          if (pair) ++i;
          out.append(text, at, bytes);
        }
    }
    at += bytes;
  }
  return out + "\"";
}

void Reply::Print(bool json) const {
  if (json) {
    std::string out = "{";
    bool first = true;
    for (const Field& f : m_fields) {
      if (!first) out += ", ";
      first = false;
      out += JsonQuote(f.name) + ": ";
      if (f.kind == Kind::Text) {
        out += JsonQuote(f.text);
      } else if (f.kind == Kind::Raw) {
        out += f.text;
      } else {
        out += "[";
        for (std::size_t i = 0; i < f.list.size(); ++i) out += (i ? ", " : "") + JsonQuote(f.list[i]);
        out += "]";
      }
    }
    std::cout << out << "}\n";
    return;
  }
  if (m_hasHuman) {
    std::cout << m_human;
    if (!m_human.empty() && m_human.back() != '\n') std::cout << '\n';
    return;
  }
  for (const Field& f : m_fields) {
    if (f.kind == Kind::List) {
      if (m_fields.size() > 1) std::cout << f.name << ":\n";
      for (const std::string& item : f.list) std::cout << (m_fields.size() > 1 ? "  " : "") << item << '\n';
    } else if (m_fields.size() == 1) {
      std::cout << f.text << '\n';
    } else {
      std::cout << f.name << ": " << f.text << '\n';
    }
  }
}

long long ParseInteger(const std::string& text, const std::string& what, long long min, long long max) {
  errno = 0;
  char* end = nullptr;
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  long long value = 0;
  if (hex) {
    unsigned long long u = std::strtoull(text.c_str() + 2, &end, 16);
    value = static_cast<long long>(u);
    if (u > static_cast<unsigned long long>(max)) errno = ERANGE;
  } else {
    value = std::strtoll(text.c_str(), &end, 10);
  }
  if (text.empty() || end == nullptr || *end != 0 || text[0] == ' ' || (hex && text.size() == 2)) {
    throw UsageError("malformed " + what + ": " + Quoted(text) + " is not a whole number");
  }
  if (errno == ERANGE || value < min || value > max) {
    throw UsageError(what + " out of range: " + Quoted(text) + " (allowed " + std::to_string(min) + " to " +
                     std::to_string(max) + ")");
  }
  return value;
}

std::string Shortened(const std::string& text) {
  constexpr std::size_t kLimit = 80;
  if (text.size() <= kLimit) return text;
  std::size_t cut = kLimit - 3;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;  // not inside a character
  return text.substr(0, cut) + "...";
}

std::string Quoted(const std::string& text) { return "'" + Shortened(text) + "'"; }

std::string ShortNumber(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.17g", value);
  return buffer;
}

double ParseNumber(const std::string& text, const std::string& what) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || end == nullptr || *end != 0 || text[0] == ' ') {
    throw UsageError("malformed " + what + ": " + Quoted(text) + " is not a number");
  }
  return value;
}

}  // namespace utility::cli
