// Fuzz target for the names subsystem: whole-word replacement against its literal rendering,
// IsSameIp against the C library's inet_addr, and IsValidIP, IsNumeric, CheckNameValidiy and
// IsPathNameValid for crashes and undefined behaviour under the sanitizers.
//
// Input layout: byte 0 picks the split points of the rest into four UTF-16 texts (text,
// delimiters, old word, new word); the same bytes are also read as 8-bit address text.
#include <arpa/inet.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <Utility/Utility.h>

#include "tests/names/ReplaceExOracle.h"

namespace {

// Units from pairs of bytes. Zero units are mapped away: the literal rendering reads its
// strings as zero-terminated, the library reads them whole (see docs/names.md).
std::u16string Units(const std::uint8_t* data, std::size_t size) {
  std::u16string out;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    auto unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    // Keep most units in a small, interesting range: ASCII, white space and a few others.
    if ((data[i + 1] & 0xF0) != 0xF0) unit = static_cast<char16_t>(u" \tA\nB+,a\u3000*AB.-\r\u00A0"[data[i] % 16]);
    if (unit == 0) unit = u'A';
    out.push_back(unit);
  }
  return out;
}

void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t shape = data[0];
  const std::uint8_t* rest = data + 1;
  const std::size_t n = size - 1;

  // Whole-word replacement: the text takes most of the input, the three short texts the rest.
  const std::size_t d = std::min<std::size_t>(n, 2 * ((shape & 0x3) + 1));
  const std::size_t o = std::min<std::size_t>(n - d, 2 * ((shape >> 2) & 0x3));
  const std::size_t w = std::min<std::size_t>(n - d - o, 2 * ((shape >> 4) & 0x3));
  const CString delimiters(std::u16string_view(Units(rest, d)));
  const CString oldWord(std::u16string_view(Units(rest + d, o)));
  const CString newWord(std::u16string_view(Units(rest + d + o, w)));
  const std::u16string text = Units(rest + d + o + w, n - d - o - w);
  CString ours{std::u16string_view(text)};
  CUtility::ReplaceEx(ours, delimiters, oldWord, newWord);
  CString literal{std::u16string_view(text)};
  utility::testsupport::oracle::LiteralReplaceEx(literal, delimiters, oldWord, newWord);
  if (!(ours == literal))
    Fail("ReplaceEx differs from the literal rendering", CString(std::u16string_view(text)).ToUtf8());

  // Address text: the raw bytes up to the first zero, as 8-bit text.
  std::string address(reinterpret_cast<const char*>(rest), n);
  address.resize(std::char_traits<char>::length(address.c_str()));
  std::vector<char> buffer(address.begin(), address.end());
  buffer.push_back('\0');
  const int valid = CUtility::IsValidIP(buffer.data());
  if (valid != 0 && valid != 1) Fail("IsValidIP", address);
  if (std::string(buffer.data()) != address) Fail("IsValidIP changed its argument", address);

  // Only ASCII text reaches inet_addr unchanged through the UTF-8 conversion.
  bool ascii = true;
  for (char c : address) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii && address.size() <= 1023) {
    const std::uint32_t value = ntohl(inet_addr(address.c_str()));
    char dotted[32];
    std::snprintf(dotted, sizeof dotted, "%u.%u.%u.%u", value >> 24, (value >> 16) & 0xFF, (value >> 8) & 0xFF,
                  value & 0xFF);
    if (CUtility::IsSameIp(CString(address.c_str()), CString(dotted)) != 1)
      Fail("IsSameIp differs from inet_addr", address);
  }

  const CString name{std::u16string_view(text)};
  for (int allowDecimal = 0; allowDecimal < 2; ++allowDecimal) {
    const int numeric = CUtility::IsNumeric(name, allowDecimal);
    if (numeric != 0 && numeric != 1) Fail("IsNumeric", name.ToUtf8());
  }
  const int code = CUtility::CheckNameValidiy(name, shape & 1, (shape >> 1) & 1);
  if (code < 0 || code > 4) Fail("CheckNameValidiy", name.ToUtf8());
  const int path = CUtility::IsPathNameValid(name);
  if (path != 0 && path != 1) Fail("IsPathNameValid", name.ToUtf8());
  return 0;
}
