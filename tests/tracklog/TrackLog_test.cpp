// SaveTrackLog and SaveTrackLogEx: the entry's bytes, starting afresh, line ends inside the
// text, code page 936, and every quiet failure.
#include <Utility/Platform/File.h>
#include <Utility/Utility.h>

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <string>

#include "support/Files.h"
#include "support/TempDir.h"
#include "support/TrackLog.h"

namespace fs = std::filesystem;
using utility::testsupport::ReadBytes;
using utility::testsupport::TempDir;

namespace {

const std::string kSeparator(58, '=');

// The entry texts of a log; fails the test at the first byte out of place.
std::vector<std::string> ParseEntries(const std::string& log) {
  std::vector<std::string> texts;
  std::size_t badAt = 0;
  if (!utility::testsupport::TrackLogEntries(log, texts, &badAt)) ADD_FAILURE() << "no whole entry at byte " << badAt;
  return texts;
}

}  // namespace

TEST(SaveTrackLog, TwoEntriesByteForByte) {
  TempDir dir;
  const CString log = dir.Windows("log.txt");
  const std::time_t before = std::time(nullptr);
  CUtility::SaveTrackLog(log, u"first", 0);
  CUtility::SaveTrackLog(log, u"second", 0);
  const std::time_t after = std::time(nullptr);
  const std::string bytes = ReadBytes(dir.path() / "log.txt");
  ASSERT_EQ(bytes.size(), 2 * (60 + 26 + 4) + 5 + 6);
  EXPECT_EQ(ParseEntries(bytes), (std::vector<std::string>{"first", "second"}));
  // The timestamp is the local time of the call, zero-padded.
  const std::string stamp = bytes.substr(60, 23);
  bool matches = false;
  for (std::time_t t = before; t <= after; ++t) {
    std::tm tm{};
    localtime_r(&t, &tm);
    char expected[32];
    std::strftime(expected, sizeof expected, "%Y/%m/%d %H:%M:%S", &tm);
    matches = matches || stamp.compare(0, 19, expected) == 0;
  }
  EXPECT_TRUE(matches) << stamp;
}

TEST(SaveTrackLog, StartNewLeavesTheOneEntry) {
  TempDir dir;
  const CString log = dir.Windows("log.txt");
  for (int i = 0; i < 20; ++i) CUtility::SaveTrackLog(log, u"old", 0);
  CUtility::SaveTrackLog(log, u"fresh", 1);
  EXPECT_EQ(ParseEntries(ReadBytes(dir.path() / "log.txt")), std::vector<std::string>{"fresh"});
  // Starting afresh on a file that does not exist yet simply creates it.
  CUtility::SaveTrackLog(dir.Windows("new.txt"), u"only", 1);
  EXPECT_EQ(ParseEntries(ReadBytes(dir.path() / "new.txt")), std::vector<std::string>{"only"});
}

TEST(SaveTrackLog, TextsAreWrittenWithTheirLineEndsAsCrLf) {
  struct Case {
    const char* what;
    const char16_t* text;
    std::string line;
  };
  for (const Case& c :
       {Case{"empty", u"", ""}, Case{"LF", u"one\ntwo", "one\r\ntwo"}, Case{"CR LF", u"one\r\ntwo", "one\r\r\ntwo"},
        Case{"lone CR", u"a\rb", "a\rb"}, Case{"trailing LF", u"end\n", "end\r\n"},
        Case{"Chinese", u"\u65e5\u5fd7\u6d4b\u8bd5", "\xc8\xd5\xd6\xbe\xb2\xe2\xca\xd4"},
        Case{"mixed", u"A\u4e2d\n\u6587B",
             "A\xd6\xd0\r\n\xce\xc4"
             "B"}}) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    CUtility::SaveTrackLog(dir.Windows("log.txt"), c.text, 0);
    const std::string bytes = ReadBytes(dir.path() / "log.txt");
    ASSERT_GE(bytes.size(), 60u + 26u);
    EXPECT_EQ(bytes.substr(0, 60), kSeparator + "\r\n");
    EXPECT_EQ(bytes.substr(83, 3), " : ");
    EXPECT_EQ(bytes.substr(86), c.line + "\r\n\r\n");
  }
}

TEST(SaveTrackLog, CharactersCodePage936CannotHoldBecomeQuestionMarks) {
  TempDir dir;
  // A Hangul syllable, an emoji (a surrogate pair) and a lone surrogate.
  CUtility::SaveTrackLog(dir.Windows("log.txt"), u"a\uac00b\U0001F600c", 0);
  CString lone(u"x");
  lone += static_cast<WCHAR>(0xD800);
  lone += u"y";
  CUtility::SaveTrackLog(dir.Windows("log.txt"), lone, 0);
  const std::vector<std::string> texts = ParseEntries(ReadBytes(dir.path() / "log.txt"));
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].substr(0, 2), "a?");
  EXPECT_EQ(texts[0].back(), 'c');
  EXPECT_EQ(texts[0].find_first_not_of("abc?"), std::string::npos) << texts[0];
  EXPECT_EQ(texts[1], "x?y");
}

TEST(SaveTrackLog, AZeroUnitEndsTheTextButNotTheEntry) {
  TempDir dir;
  const char16_t units[] = u"kept\0lost";
  CUtility::SaveTrackLog(dir.Windows("log.txt"), CString(units, 9), 0);
  CUtility::SaveTrackLog(dir.Windows("log.txt"), u"next", 0);
  EXPECT_EQ(ParseEntries(ReadBytes(dir.path() / "log.txt")), (std::vector<std::string>{"kept", "next"}));
}

TEST(SaveTrackLog, FailuresAreQuietAndWriteNothing) {
  TempDir dir;
  // A missing directory: no file, no directory.
  CUtility::SaveTrackLog(dir.Windows("none") + u"\\log.txt", u"x", 0);
  EXPECT_FALSE(fs::exists(dir.path() / "none"));
  // A read-only log keeps its content, startNew or not (it cannot be deleted either).
  utility::testsupport::WriteBytes(dir.path() / "locked.txt", "keep");
  utility::testsupport::MakeReadOnly(dir.path() / "locked.txt");
  CUtility::SaveTrackLog(dir.Windows("locked.txt"), u"x", 0);
  CUtility::SaveTrackLog(dir.Windows("locked.txt"), u"x", 1);
  EXPECT_EQ(ReadBytes(dir.path() / "locked.txt"), "keep");
  // A path of 260 units or more is not opened; 259 units are.
  const int room = 259 - dir.Windows().GetLength() - 1;
  const CString fits = dir.Windows() + u"\\" + CString(u'f', room);
  CUtility::SaveTrackLog(fits + u"f", u"x", 0);
  EXPECT_FALSE(fs::exists(dir.path() / std::string(static_cast<std::size_t>(room + 1), 'f')));
  CUtility::SaveTrackLog(fits, u"x", 0);
  EXPECT_EQ(ParseEntries(ReadBytes(dir.path() / std::string(static_cast<std::size_t>(room), 'f'))),
            std::vector<std::string>{"x"});
  // A directory cannot be a log.
  fs::create_directory(dir.path() / "sub");
  CUtility::SaveTrackLog(dir.Windows("sub"), u"x", 1);
  EXPECT_TRUE(fs::is_directory(dir.path() / "sub"));
}

TEST(SaveTrackLog, AnEntryIsDroppedWhileAnotherWriterHoldsTheFile) {
  TempDir dir;
  const CString log = dir.Windows("log.txt");
  CUtility::SaveTrackLog(log, u"before", 0);
  {
    CFile holder;
    ASSERT_TRUE(holder.Open(log, CFile::modeWrite));
    CUtility::SaveTrackLog(log, u"dropped", 0);
    CUtility::SaveTrackLog(log, u"dropped too", 0);
  }
  CUtility::SaveTrackLog(log, u"after", 0);
  const std::vector<std::string> texts = ParseEntries(ReadBytes(dir.path() / "log.txt"));
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.back(), "after");
  for (const std::string& t : texts) EXPECT_EQ(t.find("dropped"), std::string::npos);
}

TEST(SaveTrackLog, LeavesTheProcessLocaleAsItWas) {
  TempDir dir;
  const std::string before = std::setlocale(LC_ALL, nullptr);
  CUtility::SaveTrackLog(dir.Windows("log.txt"), u"\u4e2d", 0);
  EXPECT_EQ(std::string(std::setlocale(LC_ALL, nullptr)), before);
}

TEST(SaveTrackLogEx, WritesRelativeToTheHostDirectory) {
  TempDir dir;
  // The name may hold directories relative to the host directory; leading it back into the
  // test's own directory keeps every write inside it.
  std::string native = CUtility::GetModulePath().ToUtf8();
  for (char& c : native) {
    if (c == '\\') c = '/';
  }
  const fs::path relative = fs::relative(dir.path() / "trace.log", fs::path(native));
  std::string name = relative.string();
  for (char& c : name) {
    if (c == '/') c = '\\';
  }
  ASSERT_EQ(name.rfind("..", 0), 0u) << name;
  CUtility::SaveTrackLogEx(CString(name.c_str()), u"one", 0);
  CUtility::SaveTrackLogEx(CString(name.c_str()), u"two", 0);
  EXPECT_EQ(ParseEntries(ReadBytes(dir.path() / "trace.log")), (std::vector<std::string>{"one", "two"}));
  CUtility::SaveTrackLogEx(CString(name.c_str()), u"three", 1);
  EXPECT_EQ(ParseEntries(ReadBytes(dir.path() / "trace.log")), std::vector<std::string>{"three"});
}

TEST(SaveTrackLogEx, AnEmptyNameNamesTheHostDirectoryAndWritesNothing) {
  std::string native = CUtility::GetModulePath().ToUtf8();
  for (char& c : native) {
    if (c == '\\') c = '/';
  }
  const auto count = [&] { return std::distance(fs::directory_iterator(native), fs::directory_iterator()); };
  const auto before = count();
  CUtility::SaveTrackLogEx(CString(), u"x", 0);
  EXPECT_TRUE(fs::is_directory(native));
  EXPECT_EQ(count(), before);
}
