// SaveTrackLog and SaveTrackLogEx: the entry's bytes, starting afresh, line ends, quiet failures
// and a held file (many writers at once are scripts/soak.sh's).
#include <Utility/Platform/File.h>
#include <Utility/Utility.h>

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "support/Files.h"
#include "support/LocalTime.h"
#include "support/TempDir.h"
#include "support/TrackLog.h"

namespace fs = std::filesystem;
using utility::testsupport::ReadBytes;
using utility::testsupport::TempDir;

namespace {

// The entry texts of a log; fails the test at the first byte out of place.
std::vector<std::string> Entries(const fs::path& log) {
  std::vector<std::string> texts;
  std::size_t badAt = 0;
  if (!utility::testsupport::TrackLogEntries(ReadBytes(log), texts, &badAt))
    ADD_FAILURE() << "no whole entry at byte " << badAt;
  return texts;
}

// The host directory in its native form.
fs::path HostDirectory() {
  std::string native = CUtility::GetModulePath().ToUtf8();
  for (char& c : native) c = c == '\\' ? '/' : c;
  return native;
}

}  // namespace

TEST(SaveTrackLog, AppendsEntriesStampedWithTheLocalTime) {
  TempDir dir;
  const CString log = dir.Windows("log.txt");
  const std::time_t before = std::time(nullptr);
  CUtility::SaveTrackLog(log, u"first", 0);
  CUtility::SaveTrackLog(log, u"second", 0);
  const std::time_t after = std::time(nullptr);
  EXPECT_EQ(Entries(dir.path() / "log.txt"), (std::vector<std::string>{"first", "second"}));
  // The stamp is the local time of the call, zero-padded.
  const std::string stamp = ReadBytes(dir.path() / "log.txt").substr(60, 19);
  bool matches = false;
  for (std::time_t t = before; t <= after; ++t) {
    const std::tm tm = utility::testsupport::LocalTimeOf(t);
    char expected[32];
    std::strftime(expected, sizeof expected, "%Y/%m/%d %H:%M:%S", &tm);
    matches = matches || stamp == expected;
  }
  EXPECT_TRUE(matches) << stamp;
  // Starting afresh leaves the one entry.
  CUtility::SaveTrackLog(log, u"fresh", 1);
  EXPECT_EQ(Entries(dir.path() / "log.txt"), std::vector<std::string>{"fresh"});
}

// The conversion is CStdioFile::AppendText's (File_test.cpp); the log asks for text mode.
TEST(SaveTrackLog, TextsAreWrittenInCodePage936WithTheirLineEndsAsCrLf) {
  const auto check = [](const CString& text, const std::string& written) {
    SCOPED_TRACE(written);
    TempDir dir;
    CUtility::SaveTrackLog(dir.Windows("log.txt"), text, 0);
    const std::string bytes = ReadBytes(dir.path() / "log.txt");
    EXPECT_EQ(bytes.substr(0, 60), std::string(58, '=') + "\r\n");
    EXPECT_EQ(bytes.substr(std::min<std::size_t>(83, bytes.size())), " : " + written + "\r\n\r\n");
  };
  check(u"", "");
  check(u"one\r\ntwo", "one\r\r\ntwo");  // every LF gets a CR, whatever stands before it
  check(u"a\r\u4e2d", "a\r\xd6\xd0");
  check(CString(u"kept\0lost", 9), "kept");  // a zero unit ends the text
}

TEST(SaveTrackLog, FailuresAreQuietAndWriteNothing) {
  TempDir dir;
  // A missing directory: no file, no directory.
  CUtility::SaveTrackLog(dir.Windows("none") + u"\\log.txt", u"x", 0);
  // A read-only log keeps its content, startNew or not (it cannot be deleted either).
  utility::testsupport::WriteBytes(dir.path() / "locked.txt", "keep");
  utility::testsupport::MakeReadOnly(dir.path() / "locked.txt");
  CUtility::SaveTrackLog(dir.Windows("locked.txt"), u"x", 0);
  CUtility::SaveTrackLog(dir.Windows("locked.txt"), u"x", 1);
  EXPECT_EQ(ReadBytes(dir.path() / "locked.txt"), "keep");
  EXPECT_EQ(utility::testsupport::EntriesBelow(dir.path()), std::set<std::string>{"locked.txt"});
  // While another writer holds the file, the entry is dropped.
  const CString log = dir.Windows("log.txt");
  CUtility::SaveTrackLog(log, u"before", 0);
  {
    CFile holder;
    ASSERT_TRUE(holder.Open(log, CFile::modeWrite));
    CUtility::SaveTrackLog(log, u"dropped", 0);
  }
  CUtility::SaveTrackLog(log, u"after", 0);
  EXPECT_EQ(Entries(dir.path() / "log.txt"), (std::vector<std::string>{"before", "after"}));
}

TEST(SaveTrackLogEx, WritesRelativeToTheHostDirectory) {
  TempDir dir;
  // The name may lead back out of the host directory into the test's own.
  std::string name = fs::relative(dir.path() / "trace.log", HostDirectory()).string();
  for (char& c : name) c = c == '/' ? '\\' : c;
  ASSERT_EQ(name.rfind("..", 0), 0u) << name;
  CUtility::SaveTrackLogEx(CString(name.c_str()), u"one", 0);
  CUtility::SaveTrackLogEx(CString(name.c_str()), u"two", 0);
  EXPECT_EQ(Entries(dir.path() / "trace.log"), (std::vector<std::string>{"one", "two"}));
  CUtility::SaveTrackLogEx(CString(name.c_str()), u"three", 1);
  EXPECT_EQ(Entries(dir.path() / "trace.log"), std::vector<std::string>{"three"});
}
