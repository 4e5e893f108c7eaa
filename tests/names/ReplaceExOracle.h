// A plainly literal, slow rendering of whole-word replacement, kept as the oracle for the
// library's one-pass ReplaceEx (tests, fuzz target and benchmark baseline). It rebuilds the
// text from a shrinking remainder with the string's own operations, copying the remainder at
// every delimiter, and forms the white space around a rebuilt word by formatting one space
// with a "%.<n>s" precision. Texts given to it hold no zero unit.
#pragma once

#include <Utility/Utility.h>

namespace utility::testsupport::oracle {

// " " formatted with "%.<count>s": one space for any count of 1 or more, none for 0.
inline CString WhiteSpacePiece(int count) {
  CString digits;
  digits.Format(u"%d", count);
  const CString format = CString(u"%.") + digits + u"s";
  CString piece;
  piece.Format(format, CString(u" "));
  return piece;
}

inline int LeadingWhiteSpace(const CString& word) {
  CString rest = word;
  rest.TrimLeft();
  return word.GetLength() - rest.GetLength();
}

inline int TrailingWhiteSpace(const CString& word) {
  CString rest = word;
  rest.TrimRight();
  return word.GetLength() - rest.GetLength();
}

inline void LiteralReplaceEx(CString& text, const CString& delimiters, const CString& oldWord, const CString& newWord) {
  CString remainder = text;
  text = u"";
  int p = remainder.FindOneOf(delimiters);
  while (p != -1) {
    const CString word = remainder.Left(p);
    const CString tail = remainder.Right(remainder.GetLength() - p);
    CString core = word;
    core.TrimLeft();
    core.TrimRight();
    if (core.IsEmpty()) {
      text += tail.Left(1);
      remainder = tail.Right(tail.GetLength() - 1);
    } else {
      text += WhiteSpacePiece(LeadingWhiteSpace(word));
      text += core.Compare(oldWord) == 0 ? newWord : core;
      text += WhiteSpacePiece(TrailingWhiteSpace(word));
      remainder = tail;
    }
    p = remainder.FindOneOf(delimiters);
  }
  CString core = remainder;
  core.TrimLeft();
  core.TrimRight();
  if (core.IsEmpty()) return;
  if (core.Compare(oldWord) == 0) {
    text += WhiteSpacePiece(LeadingWhiteSpace(remainder));
    text += newWord;
    text += WhiteSpacePiece(TrailingWhiteSpace(remainder));
  } else {
    text += remainder;
  }
}

}  // namespace utility::testsupport::oracle
