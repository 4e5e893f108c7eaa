// The keyword file's text: code page 936 bytes split into lines and turned into entries.
// Kept apart from the file reading so that the rules of one line can be read in one place.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace utility::names {

// The entries of a keyword file's bytes, in file order. Lines end at LF, a CR right before
// the LF belongs to the line end, and a Ctrl-Z (0x1A) ends the text, as a text-mode read
// sees it. The last line needs no line end. A zero byte ends its line's entry (the rest of
// that line is ignored). Each line is decoded from code page 936 (an invalid sequence becomes
// U+FFFD), upper-cased with the fixed simple mapping, then trimmed of white space at both
// ends; a blank line gives the empty entry.
std::vector<std::u16string> KeyWordEntries(std::string_view bytes);

// The form a word is looked up in: upper-cased, not trimmed, up to its first zero unit.
std::u16string KeyWordLookupForm(std::u16string_view word);

}  // namespace utility::names
