// Invocation access, replies, and strict number parsing for the host program.
#include "Command.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <utility>

#include <Utility/Platform/FileContents.h>
#include <Utility/Platform/Path.h>
#include <Utility/Utility.h>

namespace utility::cli {

Value Text(std::string name, std::string what) { return {std::move(name), Kind::Text, std::move(what)}; }

Value Integer(std::string name, std::string what, long long min, long long max) {
  return {std::move(name), Kind::Integer, std::move(what), min, max};
}

Value Number(std::string name, std::string what) { return {std::move(name), Kind::Number, std::move(what)}; }

Value Choice(std::string name, std::vector<std::string> choices, std::string what) {
  Value v{std::move(name), Kind::Choice, std::move(what)};
  v.choices = std::move(choices);
  return v;
}

Value VariantType(std::string name) { return {std::move(name), Kind::VariantType}; }
Value PathTo(std::string name) { return {std::move(name), Kind::Path}; }
Value Input(std::string name) { return {std::move(name), Kind::Input}; }

Value Optional(Value value) {
  value.optional = true;
  return value;
}

Option Flag(std::string name, std::string help, char shortName) {
  return {std::move(name), std::move(help), {}, shortName};
}

Option With(std::string name, Value value, std::string help, char shortName) {
  return {std::move(name), std::move(help), std::move(value), shortName};
}

const Option kJsonOption = Flag("json", "print the result as one JSON object");
const Option kLibraryPathsOption = Flag("library-paths", "show paths as the library writes them (\\tmp\\a)");
const Option kHelpOption = Flag("help", "show this help", 'h');

std::vector<const Option*> AllOptions(const Command& command) {
  std::vector<const Option*> options;
  for (const Option& o : command.options) options.push_back(&o);
  for (const Option* o : {&kJsonOption, &kLibraryPathsOption, &kHelpOption}) options.push_back(o);
  return options;
}

std::string Placeholder(const Value& value) {
  if (value.kind == Kind::Choice && value.choices.size() <= 3) {
    std::string out;
    for (const std::string& c : value.choices) out += (out.empty() ? "" : "|") + c;
    return out;
  }
  return "<" + value.name + ">";
}

std::string Synopsis(const Command& command) {
  std::string out;
  for (const Value& a : command.args) {
    if (!out.empty()) out += ' ';
    out += a.optional ? "[" + Placeholder(a) + "]" : Placeholder(a);
  }
  return out;
}

namespace {

const Value& TableArgument(const Invocation& inv, std::size_t i) { return inv.command->args.at(i); }

const Value& TableOption(const Invocation& inv, const std::string& name) {
  for (const Option& o : inv.command->options) {
    if (o.name == name) return o.value;
  }
  throw std::logic_error("no option --" + name);
}

}  // namespace

long long Invocation::Integer(std::size_t i) const {
  const Value& v = TableArgument(*this, i);
  return ParseInteger(Arg(i), v.Described(), v.min, v.max);
}

double Invocation::Number(std::size_t i) const { return ParseNumber(Arg(i), TableArgument(*this, i).Described()); }

long long Invocation::IntegerOption(const std::string& name, long long fallback) const {
  if (!Has(name)) return fallback;
  const Value& v = TableOption(*this, name);
  return ParseInteger(Get(name), v.Described(), v.min, v.max);
}

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
  // JSON has no literal for these; they travel as strings that jq and Python read back.
  if (!std::isfinite(value)) {
    m_fields.push_back({name, Kind::Text, std::isnan(value) ? "nan" : value < 0 ? "-inf" : "inf", {}});
    return;
  }
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

void Reply::Json(const std::string& name, const std::string& json) { m_fields.push_back({name, Kind::Raw, json, {}}); }

void Reply::List(const std::string& name, const std::vector<std::string>& values) {
  m_fields.push_back({name, Kind::List, {}, values});
}

void Reply::Path(const std::string& name, const std::string& path) { m_fields.push_back({name, Kind::Path, path, {}}); }

void Reply::Paths(const std::string& name, const std::vector<std::string>& paths) {
  m_fields.push_back({name, Kind::Paths, {}, paths});
}

std::string ReadInput(const std::string& file) {
  if (file == "-") return {std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
  std::ifstream in(FsPath(file), std::ios::binary);
  if (!in) throw Failure("cannot read " + Shortened(file) + ": " + std::strerror(errno));
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) throw Failure("cannot read " + Shortened(file) + ": " + std::strerror(errno));
  return bytes;
}

std::string RequireInstalled(const std::string& file, const CString& installedDirectory, const std::string& what) {
  std::vector<std::string> looked;
  for (const CString& dir : {CUtility::GetModulePath(), installedDirectory}) {
    if (dir.IsEmpty()) continue;
    const std::string path = utility::platform::NativePath(dir) + "/" + file;
    // The files looked for are small (a module, a keyword list): reading one is the surest
    // test that it can be read, and never waits on a FIFO put in its place.
    std::string bytes;
    if (utility::platform::ReadRegularFile(path, bytes)) return path;
    looked.push_back(path);
  }
  std::string places;
  for (const std::string& p : looked) places += (places.empty() ? "" : " or ") + Shown(p);
  throw MissingFile("the " + what + " is not installed: no " + places);
}

std::filesystem::path FsPath(const std::string& native) {
  return std::filesystem::path(std::u8string(native.begin(), native.end()));
}

std::string Shown(const std::string& path) {
  const CString units = utility::platform::NativeText(path);
  bool plain = true;
  for (int i = 0; i < units.GetLength() && plain; ++i) {
    const unsigned c = units[i];
    plain = c >= 0x20 && c != 0x7F && !(c >= 0xDC80 && c <= 0xDCFF);
  }
  if (plain) return path;
  // Bytes that are not valid UTF-8 come back from the lossless mapping as U+DC80..U+DCFF.
  std::string out = "$'";
  std::size_t at = 0;
  for (int i = 0; i < units.GetLength(); ++i) {
    const unsigned c = units[i];
    const bool pair = c >= 0xD800 && c <= 0xDBFF;
    const std::size_t bytes = c < 0x80 || (c >= 0xDC80 && c <= 0xDCFF) ? 1 : c < 0x800 ? 2 : pair ? 4 : 3;
    if (pair) ++i;
    const unsigned char first = static_cast<unsigned char>(path[at]);
    if (c < 0x20 || c == 0x7F || (c >= 0xDC80 && c <= 0xDCFF)) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\x%02x", first);
      out += buffer;
    } else if (c == '\'' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else {
      out.append(path, at, bytes);
    }
    at += bytes;
  }
  return out + "'";
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

void Reply::Print(bool json, bool libraryPaths) const {
  // JSON carries a path's bytes (escaped by JsonQuote); text shows it as the shell would type it.
  // The library's form differs from the system's only in its separators (see WindowsPath).
  const auto form = [libraryPaths](std::string path) {
    if (libraryPaths) std::replace(path.begin(), path.end(), '/', '\\');
    return path;
  };
  // A command that prints its own output (the demo, a completion script) has no answer to add.
  if (m_fields.empty() && !m_hasHuman) return;
  if (json) {
    std::string out = "{";
    bool first = true;
    for (const Field& f : m_fields) {
      if (!first) out += ", ";
      first = false;
      out += JsonQuote(f.name) + ": ";
      if (f.kind == Kind::Text || f.kind == Kind::Path) {
        out += JsonQuote(f.kind == Kind::Path ? form(f.text) : f.text);
      } else if (f.kind == Kind::Raw) {
        out += f.text;
      } else {
        out += "[";
        for (std::size_t i = 0; i < f.list.size(); ++i) {
          out += (i ? ", " : "") + JsonQuote(f.kind == Kind::Paths ? form(f.list[i]) : f.list[i]);
        }
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
    if (f.kind == Kind::List || f.kind == Kind::Paths) {
      if (m_fields.size() > 1) std::cout << f.name << ":\n";
      for (const std::string& item : f.list) {
        std::cout << (m_fields.size() > 1 ? "  " : "") << (f.kind == Kind::Paths ? Shown(form(item)) : item) << '\n';
      }
    } else {
      const std::string text = f.kind == Kind::Path ? Shown(form(f.text)) : f.text;
      std::cout << (m_fields.size() == 1 ? "" : f.name + ": ") << text << '\n';
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

std::string Listed(const std::vector<std::string>& words) {
  std::string list;
  for (const std::string& w : words) list += (list.empty() ? "" : ", ") + w;
  return list;
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
