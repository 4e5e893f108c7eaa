// Turns the bytes of a keyword file into its entries. Lines that are plain ASCII (the usual
// case) skip the code page converter; the others go through the explicit 936 converter, which
// never touches the process's locale.
#include "KeyWordText.h"

#include <algorithm>

#include <Utility/Platform/CodePage.h>
#include <Utility/Platform/Unicode.h>

namespace utility::names {
namespace {

constexpr char kEndOfText = '\x1A';

std::u16string Decode(std::string_view line) {
  std::u16string out;
  const bool ascii = std::all_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii) {
    out.reserve(line.size());
    for (char c : line) out.push_back(static_cast<char16_t>(c));
    return out;
  }
  const int length = static_cast<int>(line.size());
  const int needed = MultiByteToWideChar(CP_GBK, 0, line.data(), length, nullptr, 0);
  if (needed <= 0) return out;  // unreachable for a non-empty line without MB_ERR_INVALID_CHARS
  out.resize(static_cast<std::size_t>(needed));
  const int written = MultiByteToWideChar(CP_GBK, 0, line.data(), length, reinterpret_cast<WCHAR*>(out.data()), needed);
  out.resize(static_cast<std::size_t>(std::max(written, 0)));
  return out;
}

std::u16string Entry(std::string_view line) {
  const std::size_t zero = line.find('\0');
  if (zero != std::string_view::npos) line = line.substr(0, zero);
  std::u16string text = Decode(line);
  for (char16_t& c : text) c = static_cast<char16_t>(utility::platform::ToUpperUnit(static_cast<WCHAR>(c)));
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && utility::platform::IsWhiteSpace(static_cast<WCHAR>(text[first]))) ++first;
  while (last > first && utility::platform::IsWhiteSpace(static_cast<WCHAR>(text[last - 1]))) --last;
  return text.substr(first, last - first);
}

}  // namespace

std::vector<std::u16string> KeyWordEntries(std::string_view bytes) {
  const std::size_t end = bytes.find(kEndOfText);
  if (end != std::string_view::npos) bytes = bytes.substr(0, end);
  std::vector<std::u16string> entries;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t stop = bytes.find('\n', start);
    const bool lastLine = stop == std::string_view::npos;
    if (lastLine) stop = bytes.size();
    std::string_view line = bytes.substr(start, stop - start);
    // Text mode reads CR LF as LF; a CR elsewhere is an ordinary (white-space) character.
    if (!lastLine && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    entries.push_back(Entry(line));
    start = stop + 1;
  }
  return entries;
}

std::u16string KeyWordLookupForm(std::u16string_view word) {
  const std::size_t zero = word.find(u'\0');
  if (zero != std::u16string_view::npos) word = word.substr(0, zero);
  std::u16string out(word);
  for (char16_t& c : out) c = static_cast<char16_t>(utility::platform::ToUpperUnit(static_cast<WCHAR>(c)));
  return out;
}

}  // namespace utility::names
