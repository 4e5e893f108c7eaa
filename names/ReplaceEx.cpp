// ReplaceEx: whole-word replacement in one left-to-right pass over the text.
//
// The result equals that of rebuilding the text piece by piece from a shrinking remainder
// (split at the first delimiter, rebuild the word, carry on with the tail), but each character
// is looked at once: delimiters are found through a bitmap of the 65,536 units, and the result
// is written straight into the buffer of the new string, so the time is linear in the length
// of the text.
#include <bitset>
#include <cstring>
#include <memory>
#include <string_view>

#include <Utility/Platform/Unicode.h>
#include <Utility/Utility.h>

namespace {

class DelimiterSet {
 public:
  explicit DelimiterSet(std::u16string_view units) {
    for (char16_t c : units) {
      if (c != 0) (*m_bits)[c] = true;  // a zero unit is an ordinary character, never a delimiter
    }
  }
  bool Holds(char16_t c) const { return (*m_bits)[c]; }

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
  while (first < last && utility::platform::IsWhiteSpace(static_cast<WCHAR>(word[first]))) ++first;
  while (last > first && utility::platform::IsWhiteSpace(static_cast<WCHAR>(word[last - 1]))) --last;
  return {word.substr(first, last - first), first > 0, last < word.size()};
}

// Measures the result without writing it.
struct LengthSink {
  std::size_t length = 0;
  void Put(char16_t) { ++length; }
  void Put(std::u16string_view s) { length += s.size(); }
};

// Writes the result into a buffer known to be large enough. The buffer may be the text's
// own: the result then never overtakes the part still to be read, and a piece copied from the
// text moves only towards its start (hence memmove).
struct BufferSink {
  char16_t* at;
  void Put(char16_t c) { *at++ = c; }
  void Put(std::u16string_view s) {
    std::memmove(at, s.data(), s.size() * sizeof(char16_t));
    at += s.size();
  }
};

// The rebuilt word: a run of white space on either side becomes one space.
template <class Sink>
void PutRebuilt(Sink& sink, const WordParts& parts, std::u16string_view replacement) {
  if (parts.spaceBefore) sink.Put(u' ');
  sink.Put(replacement);
  if (parts.spaceAfter) sink.Put(u' ');
}

template <class Sink>
void Rebuild(std::u16string_view input, const DelimiterSet& delimiters, std::u16string_view target,
             std::u16string_view replacement, Sink& sink) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < input.size(); ++i) {
    if (!delimiters.Holds(input[i])) continue;
    const WordParts parts = Split(input.substr(start, i - start));
    // A word of white space only (or none at all) leaves nothing but its delimiter.
    if (!parts.core.empty()) PutRebuilt(sink, parts, parts.core == target ? replacement : parts.core);
    sink.Put(input[i]);
    start = i + 1;
  }
  const std::u16string_view last = input.substr(start);
  const WordParts parts = Split(last);
  if (parts.core.empty()) return;  // white space after the last delimiter is dropped
  if (parts.core == target) {
    PutRebuilt(sink, parts, replacement);
  } else {
    sink.Put(last);  // the last word keeps its white space when it is not replaced
  }
}

}  // namespace

void CUtility::ReplaceEx(CString& text, const CString& delimiters, const CString& oldWord, const CString& newWord) {
  const std::u16string_view target = oldWord.View();
  const std::u16string_view replacement = newWord.View();
  const DelimiterSet delimiterSet(delimiters.View());

  // No piece of the result is longer than what it stands for (a white-space run becomes at
  // most one space, a delimiter stays one unit) unless the new word is longer than the old
  // one. So the result is written over the text itself, behind the point being read; only a
  // longer new word needs a measured buffer of its own, and so do words that are the text
  // itself (they would change under the pass).
  const bool aliased = &oldWord == &text || &newWord == &text;
  if (replacement.size() <= target.size() && !aliased) {
    const int length = text.GetLength();
    auto* buffer = reinterpret_cast<char16_t*>(text.GetBuffer(length));
    BufferSink sink{buffer};
    Rebuild(std::u16string_view(buffer, static_cast<std::size_t>(length)), delimiterSet, target, replacement, sink);
    text.ReleaseBuffer(static_cast<int>(sink.at - buffer));
    return;
  }
  const std::u16string_view input = text.View();
  LengthSink measure;
  Rebuild(input, delimiterSet, target, replacement, measure);
  CString result;
  auto* buffer = reinterpret_cast<char16_t*>(result.GetBufferSetLength(static_cast<int>(measure.length)));
  BufferSink sink{buffer};
  Rebuild(input, delimiterSet, target, replacement, sink);
  text = std::move(result);
}
