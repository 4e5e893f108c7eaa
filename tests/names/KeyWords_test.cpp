// IsKeyWords against files of our own: line ends, case, white space, code page 936 text,
// missing and unreadable files, and the exactness of what is remembered between calls.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Utility/Utility.h>

#include "support/Files.h"
#include "support/TempDir.h"

namespace {

using utility::testsupport::TempDir;
using utility::testsupport::Utf8;
using utility::testsupport::WriteBytes;

struct Lookup {
  const char16_t* word;
  int expected;
};

// Each file's bytes and what is looked up in it: both sides are upper-cased, only the file's
// lines are trimmed; a blank line is the empty entry; code page 936 text is read; text mode:
// CR LF ends a line, a lone CR belongs to it, Ctrl-Z ends the text, a zero byte ends its entry.
TEST(IsKeyWords, ReadsEachLineOfTheFileAsAnEntry) {
  using namespace std::string_literals;
  struct File {
    const char* why;
    std::string bytes;
    std::vector<Lookup> lookups;
  };
  const File files[] = {
      {"case and white space",
       "  if \r\nWhile\n\tthen\t\r\n;comment\nTwo Words\nlast",
       {{u"If", 1}, {u" IF ", 0}, {u"THEN", 1}, {u";Comment", 1}, {u"TWO  WORDS", 0}, {u"LAST", 1}, {u"els", 0}}},
      {"a blank line", "a\r\n   \r\nb\n", {{u"", 1}, {u"   ", 0}}},
      {"no line after the last line end", "a\nb\n", {{u"", 0}}},
      {"empty", "", {{u"", 0}}},
      {"code page 936",
       "\xD6\xD0\xCE\xC4\r\n\xA3\xE1\xA3\xE2\r\n\xC4\xE3\xBA\xC3 ok\r\nplain\r\n",
       {{u"中文", 1}, {u"ａｂ", 1}, {u"ＡＢ", 1}, {u"你好 OK", 1}, {u"你好 ok", 1}, {u"plain", 1}, {u"中", 0}}},
      {"text mode",
       "a\rb\nc\r\r\nnul\0tail\nend\x1A\nhidden\n"s,
       {{u"A\rB", 1}, {u"A", 0}, {u"C", 1}, {u"NUL", 1}, {u"TAIL", 0}, {u"END", 1}, {u"HIDDEN", 0}}},
  };
  for (const File& f : files) {
    SCOPED_TRACE(f.why);
    TempDir dir;
    WriteBytes(dir.path() / "k.ini", f.bytes);
    for (const Lookup& l : f.lookups) {
      EXPECT_EQ(CUtility::IsKeyWords(dir.Windows("k.ini"), CString(l.word)), l.expected)
          << "word '" << Utf8(l.word) << "'";
    }
  }
}

TEST(IsKeyWords, FilesThatCannotBeReadListNothing) {
  TempDir dir;
  std::filesystem::create_directory(dir.path() / "folder");
  EXPECT_EQ(CUtility::IsKeyWords(dir.Windows("missing.ini"), CString(u"")), 0);
  EXPECT_EQ(CUtility::IsKeyWords(dir.Windows("folder"), CString(u"")), 0);
  EXPECT_EQ(CUtility::IsKeyWords(CString(u""), CString(u"")), 0);
}

TEST(IsKeyWords, PathsOfMaxPathUnitsOrMoreListNothing) {
  TempDir dir;
  const std::size_t base = static_cast<std::size_t>(dir.Windows().GetLength()) + 1;  // "dir\"
  ASSERT_LT(base + 10, static_cast<std::size_t>(MAX_PATH));
  for (const std::size_t total : {static_cast<std::size_t>(MAX_PATH - 1), static_cast<std::size_t>(MAX_PATH)}) {
    // A name that makes the whole path exactly `total` units long.
    const std::string name(total - base, 'k');
    WriteBytes(dir.path() / name, "if\n");
    const CString path = dir.Windows(name);
    ASSERT_EQ(static_cast<std::size_t>(path.GetLength()), total);
    EXPECT_EQ(CUtility::IsKeyWords(path, CString(u"IF")), total < MAX_PATH ? 1 : 0) << total;
  }
}

// What is remembered between calls is exact: an edit counts at the very next call, files with
// the same bytes stay apart, and the native spelling of a path reaches the same file.
TEST(IsKeyWords, WhatIsRememberedBetweenCallsIsExact) {
  TempDir dir;
  const auto file = dir.path() / "edit.ini";
  WriteBytes(file, "alpha\nbravo\n");
  WriteBytes(dir.path() / "same.ini", "alpha\nbravo\n");
  const CString path = dir.Windows("edit.ini"), same = dir.Windows("same.ini");
  const auto written = std::filesystem::last_write_time(file);
  EXPECT_EQ(CUtility::IsKeyWords(path, CString(u"alpha")), 1);
  EXPECT_EQ(CUtility::IsKeyWords(same, CString(u"ALPHA")), 1);

  // Same size, same time of writing: only the bytes tell the files apart.
  WriteBytes(file, "alphb\nbravo\n");
  std::filesystem::last_write_time(file, written);
  EXPECT_EQ(CUtility::IsKeyWords(path, CString(u"alpha")), 0);
  EXPECT_EQ(CUtility::IsKeyWords(path, CString(u"alphb")), 1);
  EXPECT_EQ(CUtility::IsKeyWords(same, CString(u"alpha")), 1);
  const CString native(reinterpret_cast<const char*>(file.u8string().c_str()));
  EXPECT_EQ(CUtility::IsKeyWords(native, CString(u"ALPHB")), 1);

  std::filesystem::remove(file);
  EXPECT_EQ(CUtility::IsKeyWords(path, CString(u"alphb")), 0);
  WriteBytes(file, "alpha\nbravo\n");
  EXPECT_EQ(CUtility::IsKeyWords(path, CString(u"alpha")), 1);
}

}  // namespace
