// `utility encoding`: the ten conversions between 8-bit text (UTF-8, the active code page)
// and UTF-16, applied to a text from the command line and shown as hexadecimal code units or
// bytes. Hex input (--bytes, --units) reaches malformed text that a shell argument cannot.
#include <cctype>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include <Utility/Utility.h>

#include "Command.h"
#include "Groups.h"

namespace utility::cli {
namespace {

const std::vector<std::string> kWideVia = {"ANSIToUnicode1", "ANSIToUnicode2", "ToWideString", "AnsiToUnicode",
                                           "ConvertCharToString"};
const std::vector<std::string> kNarrowVia = {"UnicodeToANSI", "UnicodeToANSI-string", "ToMultiBytes", "UnicodeToAnsi",
                                             "ConvertStringToChar"};

std::string Hex(unsigned value, int digits) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*X", digits, value);
  return buffer;
}

std::string HResult(LONG hr) { return "0x" + Hex(static_cast<unsigned>(hr), 8); }

// Hexadecimal numbers of the given width in digits, separated by blanks or run together.
std::vector<unsigned> ParseHex(const std::string& text, int digits, const std::string& what) {
  std::string compact;
  for (char c : text) {
    if (c == ' ' || c == ',') continue;
    if (!std::isxdigit(static_cast<unsigned char>(c))) {
      throw UsageError("malformed " + what + ": " + Quoted(text) + " is not hexadecimal");
    }
    compact += c;
  }
  if (compact.empty() || compact.size() % static_cast<std::size_t>(digits) != 0) {
    throw UsageError("malformed " + what + ": " + Quoted(text) + " needs groups of " + std::to_string(digits) +
                     " digits");
  }
  std::vector<unsigned> values;
  for (std::size_t i = 0; i < compact.size(); i += static_cast<std::size_t>(digits)) {
    values.push_back(
        static_cast<unsigned>(std::stoul(compact.substr(i, static_cast<std::size_t>(digits)), nullptr, 16)));
  }
  return values;
}

int Length(const Invocation& inv) { return static_cast<int>(inv.IntegerOption("length", -1)); }

void Show(Reply& reply, const std::string& via, const std::string& field, const std::vector<std::string>& items,
          long long count, const std::string& note) {
  reply.Text("via", via);
  reply.List(field, items);
  reply.Integer("count", count);
  if (!note.empty()) reply.Text("result", note);
  std::string human = via + ": ";
  for (std::size_t i = 0; i < items.size(); ++i) human += (i ? " " : "") + items[i];
  if (items.empty()) human += "(nothing)";
  human += "\n" + field + ": " + std::to_string(count);
  if (!note.empty()) human += "\nresult: " + note;
  reply.Human(human);
}

std::vector<std::string> UnitsUpToZero(const unsigned short* p) {
  std::vector<std::string> items;
  for (; p != nullptr && *p != 0; ++p) items.push_back(Hex(*p, 4));
  return items;
}

int ToWide(const Invocation& inv, Reply& reply) {
  std::string bytes = inv.Arg(0);
  if (inv.Flag("bytes")) {
    bytes.clear();
    for (unsigned b : ParseHex(inv.Arg(0), 2, "bytes")) bytes += static_cast<char>(b);
  }
  const std::string via = inv.Get("via", "ANSIToUnicode2");
  std::vector<std::string> items;
  std::string note;
  long long count = 0;
  if (via == "ANSIToUnicode1") {
    unsigned short* result = CUtility::ANSIToUnicode1(bytes.c_str());
    items = UnitsUpToZero(result);
    delete[] result;
  } else if (via == "ANSIToUnicode2") {
    items = UnitsUpToZero(CUtility::ANSIToUnicode2(bytes.c_str()).GetString());
  } else if (via == "ToWideString") {
    unsigned short* out = nullptr;
    const int n = CUtility::ToWideString(out, bytes.c_str(), Length(inv), inv.Flag("terminate") ? 1 : 0);
    for (int i = 0; i < n; ++i) items.push_back(Hex(out[i], 4));
    delete[] out;
    note = "returned " + std::to_string(n);
  } else if (via == "AnsiToUnicode") {
    unsigned short* out = nullptr;
    const LONG hr = CUtility::AnsiToUnicode(bytes.c_str(), &out);
    items = UnitsUpToZero(out);
    CoTaskMemFree(out);
    note = HResult(hr);
  } else {
    try {
      items = UnitsUpToZero(CUtility::ConvertCharToString(bytes.c_str()).GetString());
    } catch (const _com_error& e) {
      throw Failure("the conversion raised _com_error " + HResult(e.Error()));
    }
  }
  count = static_cast<long long>(items.size());
  Show(reply, via, "units", items, count, note);
  return kExitOk;
}

int ToAnsi(const Invocation& inv, Reply& reply) {
  CString text(inv.Arg(0).c_str());
  if (inv.Flag("units")) {
    std::vector<unsigned short> units;
    for (unsigned u : ParseHex(inv.Arg(0), 4, "units")) units.push_back(static_cast<unsigned short>(u));
    text = CString(units.data(), static_cast<int>(units.size()));
  }
  const std::string via = inv.Get("via", "UnicodeToANSI");
  std::vector<std::string> items;
  std::string note;
  const auto bytesUpToZero = [&items](const char* p) {
    for (; p != nullptr && *p != 0; ++p) items.push_back(Hex(static_cast<unsigned char>(*p), 2));
  };
  if (via == "UnicodeToANSI" || via == "UnicodeToANSI-string") {
    char* result = via == "UnicodeToANSI" ? CUtility::UnicodeToANSI(text.GetString()) : CUtility::UnicodeToANSI(text);
    bytesUpToZero(result);
    delete[] result;
  } else if (via == "ToMultiBytes") {
    char* out = nullptr;
    const int n = CUtility::ToMultiBytes(out, text.GetString(), Length(inv), inv.Flag("terminate") ? 1 : 0);
    for (int i = 0; i < n; ++i) items.push_back(Hex(static_cast<unsigned char>(out[i]), 2));
    delete[] out;
    note = "returned " + std::to_string(n);
  } else if (via == "UnicodeToAnsi") {
    char* out = nullptr;
    const LONG hr = CUtility::UnicodeToAnsi(text.GetString(), &out);
    bytesUpToZero(out);
    CoTaskMemFree(out);
    note = HResult(hr);
  } else {
    try {
      char* result = CUtility::ConvertStringToChar(text);
      bytesUpToZero(result);
      delete[] result;
    } catch (const _com_error& e) {
      throw Failure("the conversion raised _com_error " + HResult(e.Error()));
    }
  }
  Show(reply, via, "bytes", items, static_cast<long long>(items.size()), note);
  return kExitOk;
}

void Demo(std::ostream& out) {
  const CString cafe = CUtility::ANSIToUnicode2("caf\xc3\xa9");
  out << "ANSIToUnicode2(\"café\") gives the UTF-16 units";
  for (const std::string& u : UnitsUpToZero(cafe.GetString())) out << ' ' << u;
  out << '\n';
  char* chinese = CUtility::UnicodeToANSI(CString(u"\u4e2d\u6587"));
  out << "UnicodeToANSI(\"中文\") gives the bytes";
  for (const char* p = chinese; *p != 0; ++p) out << ' ' << Hex(static_cast<unsigned char>(*p), 2);
  out << '\n';
  delete[] chinese;
  unsigned short* wide = nullptr;
  const int n = CUtility::ToWideString(wide, "abcdef", 2, 1);
  out << "ToWideString(\"abcdef\", length 2) converts " << n << " units\n";
  delete[] wide;
  char* block = nullptr;
  const LONG hr = CUtility::UnicodeToAnsi(reinterpret_cast<const unsigned short*>(u"\u4e2d\u6587"), &block);
  out << "UnicodeToAnsi(\"中文\") returns " << HResult(hr)
      << " (its block of two bytes per unit cannot hold three-byte UTF-8)\n";
  CoTaskMemFree(block);
  const CString bad = CUtility::ConvertCharToString("ok\xff");
  out << "Malformed UTF-8 becomes U+FFFD: ConvertCharToString(6F 6B FF) gives";
  for (const std::string& u : UnitsUpToZero(bad.GetString())) out << ' ' << u;
  out << '\n';
}

}  // namespace

// The table keeps one command to a few lines, laid out by hand.
// clang-format off
Group EncodingGroup() {
  const std::vector<Option> wideOptions = {
      With("via", Choice("conversion", kWideVia),
           "ANSIToUnicode1, ANSIToUnicode2 (default), ToWideString, AnsiToUnicode or ConvertCharToString"),
      Flag("bytes", "read the text as hexadecimal bytes, e.g. 'e4 b8 ad ff'"),
      With("length", Integer("n", "length", -1, 1 << 30), "source length in bytes for ToWideString (default -1: the whole text)"),
      Flag("terminate", "ask ToWideString for room for a terminator"),
  };
  const std::vector<Option> narrowOptions = {
      With("via", Choice("conversion", kNarrowVia),
           "UnicodeToANSI (default), UnicodeToANSI-string, ToMultiBytes, UnicodeToAnsi or ConvertStringToChar"),
      Flag("units", "read the text as hexadecimal UTF-16 units, e.g. '0061 D800'"),
      With("length", Integer("n", "length", -1, 1 << 30), "source length in units for ToMultiBytes (default -1: the whole text)"),
      Flag("terminate", "ask ToMultiBytes for room for a terminator"),
  };
  return {"encoding",
          "conversions between 8-bit text (UTF-8) and UTF-16",
          {
              {"encoding", "to-wide", {Text("text")}, "convert 8-bit text to UTF-16 and show the code units", wideOptions,
               {"utility encoding to-wide café", "utility encoding to-wide --bytes 'e4 b8 ad ff' --via AnsiToUnicode",
                "utility encoding to-wide abcdef --via ToWideString --length 2 --terminate"}, ToWide},
              {"encoding", "to-ansi", {Text("text")}, "convert text to 8-bit text and show the bytes", narrowOptions,
               {"utility encoding to-ansi 中文", "utility encoding to-ansi --units '0061 0000 0062' --via ConvertStringToChar",
                "utility encoding to-ansi 中文 --via UnicodeToAnsi --json"}, ToAnsi},
          },
          Demo};
}
// clang-format on

}  // namespace utility::cli
