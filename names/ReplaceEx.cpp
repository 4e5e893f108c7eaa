// ReplaceEx: whole-word replacement in one left-to-right pass over the text.
//
// The result equals that of rebuilding the text piece by piece from a shrinking remainder
// (split at the first delimiter, rebuild the word, carry on with the tail), but each character
// is looked at once: delimiters are found through a bitmap of the 65,536 units, and the output
// is appended to a single buffer, so the time is linear in the length of the text.
#include <bitset>
#include <memory>
#include <string_view>

#include <Utility/Platform/Unicode.h>
#include <Utility/Utility.h>

namespace {

class DelimiterSet {
 public:
  explicit DelimiterSet(std::u16string_view units) {
    for (char16_t c : units) {
      if (c != 0) m_bits->set(c);  // a zero unit is an ordinary character, never a delimiter
    }
  }
  bool Holds(char16_t c) const { return m_bits->test(c); }

 private:
  std::unique_ptr<std::bitset<65536>> m_bits = std::make_unique<std::bitset<65536>>();
};

struct WordParts {
  std::u16string_view core;
  bool spaceBefore;  // white space preceded the core
  bool spaceAfter;   // white space followed it
};

WordParts Split(std::u16string_view word) {
  std::size_t first = 0;
  std::size_t last = word.size();
  while (first < last && IsWhiteSpace(static_cast<WCHAR>(word[first]))) ++first;
  while (last > first && IsWhiteSpace(static_cast<WCHAR>(word[last - 1]))) --last;
  return {word.substr(first, last - first), first > 0, last < word.size()};
}

// The rebuilt word: a run of white space on either side becomes one space.
void AppendRebuilt(std::u16string& out, const WordParts& parts, std::u16string_view replacement) {
  if (parts.spaceBefore) out.push_back(u' ');
  out.append(replacement);
  if (parts.spaceAfter) out.push_back(u' ');
}

}  // namespace

void CUtility::ReplaceEx(CString& text, const CString& delimiters, const CString& oldWord,
                         const CString& newWord) {
  const std::u16string_view input = text.View();
  const std::u16string_view target = oldWord.View();
  const std::u16string_view replacement = newWord.View();
  const DelimiterSet delimiterSet(delimiters.View());

  std::u16string out;
  out.reserve(input.size());
  std::size_t start = 0;
  for (std::size_t i = 0; i < input.size(); ++i) {
    if (!delimiterSet.Holds(input[i])) continue;
    const WordParts parts = Split(input.substr(start, i - start));
    // A word of white space only (or none at all) leaves nothing but its delimiter.
    if (!parts.core.empty()) AppendRebuilt(out, parts, parts.core == target ? replacement : parts.core);
    out.push_back(input[i]);
    start = i + 1;
  }
  const std::u16string_view last = input.substr(start);
  const WordParts parts = Split(last);
  if (!parts.core.empty()) {
    if (parts.core == target) {
      AppendRebuilt(out, parts, replacement);
    } else {
      out.append(last);  // the last word keeps its white space when it is not replaced
    }
  }
  text = CString(std::u16string_view(out));
}
