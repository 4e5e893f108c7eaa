// CFile and CStdioFile: open modes, exclusive sharing, read-only files (also for the superuser),
// text mode and code page 936; and the local time.
#include <Utility/Platform/Error.h>
#include <Utility/Platform/File.h>
#include <Utility/Platform/Time.h>

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "support/Files.h"
#include "support/LocalTime.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using utility::testsupport::ReadBytes;
using utility::testsupport::TempDir;
using utility::testsupport::W;
using utility::testsupport::WriteBytes;

TEST(CFile, CreateTruncatesUnlessAskedNotToAndAppendWritesAtTheEnd) {
  TempDir dir;
  const CString path = dir.Windows("f.bin");
  CFile f;
  ASSERT_TRUE(f.Open(path, CFile::modeCreate | CFile::modeWrite));
  f.Write("abcdef", 6);
  EXPECT_EQ(f.GetLength(), 6u);
  f.Close();
  ASSERT_TRUE(f.Open(path, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite));
  EXPECT_EQ(f.SeekToEnd(), 6u);
  f.Write("gh", 2);
  f.SeekToBegin();
  char buffer[16] = {};
  EXPECT_EQ(f.Read(buffer, sizeof buffer), 8u);
  EXPECT_EQ(std::string(buffer, 8), "abcdefgh");
  f.Close();
  EXPECT_EQ(ReadBytes(dir.path() / "f.bin"), "abcdefgh");
  ASSERT_TRUE(f.Open(path, CFile::modeCreate | CFile::modeWrite));
  f.Close();
  EXPECT_EQ(ReadBytes(dir.path() / "f.bin"), "");
  // In append mode every write lands at the end, whatever the seek, also after another writer's.
  constexpr UINT kAppend = CFile::modeWrite | CFile::modeAppend | CFile::shareDenyNone;
  CFile first, second;
  ASSERT_TRUE(first.Open(path, kAppend));
  first.Write("ab", 2);
  ASSERT_TRUE(second.Open(path, kAppend));
  second.Write("cd", 2);
  first.SeekToBegin();
  first.Write("ef", 2);
  first.Close();
  second.Close();
  EXPECT_EQ(ReadBytes(dir.path() / "f.bin"), "abcdef");
}

// Which files DeleteFileW refuses is FileSystem_test.cpp's; Remove raises its code.
TEST(CFile, OpenAndRemoveFailuresCarryTheWin32CodeAndTheName) {
  TempDir dir;
  fs::create_directory(dir.path() / "sub");
  WriteBytes(dir.path() / "locked", "keep");
  utility::testsupport::MakeReadOnly(dir.path() / "locked");
  const CString longName = dir.Windows() + u"\\" + CString(u'n', 259 - dir.Windows().GetLength());
  constexpr UINT kAppendOrCreate = CFile::modeWrite | CFile::modeAppend | CFile::modeCreate | CFile::modeNoTruncate;
  const auto fails = [](const CString& name, UINT flags, LONG code) {
    SCOPED_TRACE(utility::testsupport::Utf8(name));
    CFile f;
    CFileException error;
    EXPECT_FALSE(f.Open(name, flags, &error));
    EXPECT_FALSE(f.IsOpen());
    EXPECT_EQ(error.m_lOsError, code);
    EXPECT_EQ(error.m_strFileName, name);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(code));
  };
  fails(dir.Windows("none"), CFile::modeRead, ERROR_FILE_NOT_FOUND);
  fails(dir.Windows("none") + u"\\x", kAppendOrCreate, ERROR_PATH_NOT_FOUND);
  fails(dir.Windows("sub"), kAppendOrCreate, ERROR_ACCESS_DENIED);
  fails(dir.Windows("locked"), CFile::modeReadWrite, ERROR_ACCESS_DENIED);
  fails(dir.Windows("locked"), CFile::modeCreate, ERROR_ACCESS_DENIED);  // would empty it
  fails(longName, CFile::modeCreate | CFile::modeWrite, ERROR_FILENAME_EXCED_RANGE);
  EXPECT_EQ(ReadBytes(dir.path() / "locked"), "keep");
  // One unit shorter fits.
  const CString shorter = longName.Left(longName.GetLength() - 1);
  CFile fits;
  EXPECT_TRUE(fits.Open(shorter, CFile::modeCreate | CFile::modeWrite));
  fits.Close();
  try {
    CFile::Remove(dir.Windows("locked"));
    ADD_FAILURE() << "no exception";
  } catch (const CFileException& e) {
    EXPECT_EQ(e.m_lOsError, ERROR_ACCESS_DENIED);
    EXPECT_EQ(e.m_strFileName, dir.Windows("locked"));
  }
  EXPECT_TRUE(fs::exists(dir.path() / "locked"));
  CFile::Remove(shorter);
  EXPECT_FALSE(fits.Open(shorter, CFile::modeRead));
}

// The locks are flock()'s, held by the open file: two opens in one thread meet each other as
// two threads or two processes do.
TEST(CFile, ExclusiveOpensShutOutEveryOtherOpenSharedOnesOnlyExclusiveOnes) {
  TempDir dir;
  WriteBytes(dir.path() / "f", "x");
  const CString path = dir.Windows("f");
  constexpr UINT kShared = CFile::modeRead | CFile::shareDenyNone;
  const auto check = [&](UINT first, UINT second, bool opens) {
    SCOPED_TRACE(std::to_string(first) + " then " + std::to_string(second));
    CFile holder, other;
    ASSERT_TRUE(holder.Open(path, first));
    CFileException error;
    EXPECT_EQ(other.Open(path, second, &error), opens ? TRUE : FALSE);
    EXPECT_EQ(error.m_lOsError, opens ? 0 : ERROR_SHARING_VIOLATION);
  };
  check(CFile::modeWrite, CFile::modeRead, false);  // share compat: exclusive
  check(CFile::modeWrite, kShared, false);
  check(CFile::modeWrite, CFile::modeCreate | CFile::modeWrite, false);
  check(kShared, CFile::modeWrite | CFile::shareDenyNone, true);
  check(kShared, CFile::modeRead | CFile::shareExclusive, false);
  EXPECT_EQ(ReadBytes(dir.path() / "f"), "x");  // a create that would truncate has cut nothing
}

TEST(CStdioFile, AppendTextGivesTheBytesWriteStringWrites) {
  // Appended after what is there; the same bytes as WriteString puts in a file.
  const auto check = [](UINT codePage, bool textMode, const std::u16string& text, const std::string& bytes) {
    SCOPED_TRACE(bytes);
    std::string out = "head";
    ASSERT_TRUE(
        CStdioFile::AppendText(codePage, textMode, reinterpret_cast<const WCHAR*>(text.data()), text.size(), out));
    EXPECT_EQ(out, "head" + bytes);
    TempDir dir;
    {
      CStdioFile f;
      f.SetCodePage(codePage);
      ASSERT_TRUE(f.Open(dir.Windows("t"),
                         CFile::modeCreate | CFile::modeWrite | (textMode ? CFile::typeText : CFile::typeBinary)));
      f.WriteString(W(text));
    }
    EXPECT_EQ(ReadBytes(dir.path() / "t"), bytes);
  };
  check(CP_GBK, true, u"a\nb\r\n", "a\r\nb\r\r\n");
  check(CP_GBK, false, u"a\nb", "a\nb");
  check(CP_GBK, true, u"\u4e2d\n\u6587", "\xd6\xd0\r\n\xce\xc4");
  check(CP_GBK, true, u"\uac00\n", "?\r\n");  // Hangul is not in 936
  check(CP_UTF8, true, u"\u00e9\n", "\xc3\xa9\r\n");
}

TEST(CStdioFile, ReadsLinesOfCodePage936TextWithoutTheirLineEnds) {
  TempDir dir;
  WriteBytes(dir.path() / "t.txt", "a\r\nb\r\r\n\xd6\xd0\xce\xc4\n" + std::string(10000, 'q') + "\nlast");
  CStdioFile f;
  f.SetCodePage(CP_GBK);
  ASSERT_TRUE(f.Open(dir.Windows("t.txt"), CFile::modeRead | CFile::typeText));
  CString line;
  ASSERT_TRUE(f.ReadString(line));
  EXPECT_EQ(line, CString(u"a"));
  EXPECT_EQ(f.GetPosition(), 3u);  // what was read ahead is not counted
  // CR CR LF: one CR belongs to the line.
  for (const CString& expected : {CString(u"b\r"), CString(u"\u4e2d\u6587"), CString(u'q', 10000), CString(u"last")}) {
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_EQ(line, expected);
  }
  EXPECT_FALSE(f.ReadString(line));
  EXPECT_TRUE(line.IsEmpty());
}

TEST(GetLocalTime, AgreesWithTheCLibrarysLocalTime) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    // The fine wall clock, as GetLocalTime reads it: time() reads a coarse copy that can lag a
    // tick behind, so a second boundary would seem to pass unseen.
    const auto seconds = [] { return std::chrono::system_clock::to_time_t(std::chrono::system_clock::now()); };
    const std::time_t before = seconds();
    SYSTEMTIME now{};
    GetLocalTime(&now);
    if (seconds() != before) continue;  // a second boundary passed: try again
    const std::tm tm = utility::testsupport::LocalTimeOf(before);
    EXPECT_EQ(
        (std::vector<int>{now.wYear, now.wMonth, now.wDay, now.wDayOfWeek, now.wHour, now.wMinute, now.wSecond}),
        (std::vector<int>{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_wday, tm.tm_hour, tm.tm_min, tm.tm_sec}));
    EXPECT_LT(now.wMilliseconds, 1000);
    return;
  }
  FAIL() << "the clock kept crossing second boundaries";
}
