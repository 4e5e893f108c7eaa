// CreateAllDirectories and CreateAllDirectoriesEx: results, trailing backslashes, things in
// the way.
#include <Utility/Utility.h>

#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>

#include "support/Files.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using utility::testsupport::TempDir;

TEST(CreateAllDirectories, CreatesEveryMissingLevelThenAnswersOneAtOnce) {
  TempDir dir;
  const CString path = dir.Windows() + u"\\a\\b\\c";
  EXPECT_NE(CUtility::CreateAllDirectories(path), 0);
  EXPECT_TRUE(fs::is_directory(dir.path() / "a" / "b" / "c"));
  EXPECT_EQ(CUtility::CreateAllDirectories(path), 1);
  // A parent created earlier, a child of it later: the chain is filled in below it.
  EXPECT_NE(CUtility::CreateAllDirectories(dir.Windows() + u"\\a\\x\\y"), 0);
  EXPECT_TRUE(fs::is_directory(dir.path() / "a" / "x" / "y"));
}

TEST(CreateAllDirectories, TrailingBackslashes) {
  {
    TempDir dir;
    EXPECT_NE(CUtility::CreateAllDirectories(dir.Windows() + u"\\a\\b\\"), 0);
    EXPECT_TRUE(fs::is_directory(dir.path() / "a" / "b"));
  }
  {
    // Two: the level is created, then the form with the remaining backslash exists: 0.
    TempDir dir;
    EXPECT_EQ(CUtility::CreateAllDirectories(dir.Windows() + u"\\a\\b\\\\"), 0);
    EXPECT_TRUE(fs::is_directory(dir.path() / "a" / "b"));
    // Called again, the form with one backslash left exists: 1.
    EXPECT_EQ(CUtility::CreateAllDirectories(dir.Windows() + u"\\a\\b\\\\"), 1);
  }
}

TEST(CreateAllDirectories, AnythingUnderTheNameCountsAndBlocksWhatLiesBelow) {
  TempDir dir;
  utility::testsupport::WriteBytes(dir.path() / "file", "keep");
  EXPECT_EQ(CUtility::CreateAllDirectories(dir.Windows("file")), 1);
  EXPECT_EQ(utility::testsupport::ReadBytes(dir.path() / "file"), "keep");
  // A file in the way of a deeper level: the levels above it stay, nothing else appears.
  EXPECT_EQ(CUtility::CreateAllDirectories(dir.Windows() + u"\\file\\x\\y"), 0);
  EXPECT_TRUE(fs::is_regular_file(dir.path() / "file"));
  EXPECT_NE(CUtility::CreateAllDirectories(dir.Windows() + u"\\m\\n\\file2"), 0);
  EXPECT_TRUE(fs::is_directory(dir.path() / "m" / "n" / "file2"));
}

TEST(CreateAllDirectories, EmptyAndRelativePaths) {
  TempDir dir;
  EXPECT_EQ(CUtility::CreateAllDirectories(CString()), 0);
  EXPECT_EQ(CUtility::CreateAllDirectories(CString(u"\\")), 0);  // drops to the empty path
  // A relative name is created in the current directory. The test changes its own process's
  // current directory only for this check and puts it back.
  const fs::path before = fs::current_path();
  fs::current_path(dir.path());
  const int single = CUtility::CreateAllDirectories(CString(u"single"));
  const int nested = CUtility::CreateAllDirectories(CString(u"rel\\sub"));
  fs::current_path(before);
  EXPECT_NE(single, 0);
  EXPECT_NE(nested, 0);
  EXPECT_TRUE(fs::is_directory(dir.path() / "single"));
  EXPECT_TRUE(fs::is_directory(dir.path() / "rel" / "sub"));
}

TEST(CreateAllDirectories, AHugePathEndsQuickly) {
  // Fifty thousand levels below a file: every level fails, none is created, and the walk
  // costs linear time (each level longer than the system takes is refused before conversion).
  TempDir dir;
  utility::testsupport::WriteBytes(dir.path() / "x", "keep");
  CString path = dir.Windows();
  for (int i = 0; i < 50000; ++i) path += u"\\x";
  EXPECT_EQ(CUtility::CreateAllDirectories(path), 0);
  EXPECT_EQ(utility::testsupport::ReadBytes(dir.path() / "x"), "keep");
}

TEST(CreateAllDirectoriesEx, TheLastComponentIsAFileNameUnlessABackslashEndsIt) {
  TempDir dir;
  const std::string base = utility::testsupport::Utf8(dir.Windows());
  EXPECT_EQ(CUtility::CreateAllDirectoriesEx((base + "\\a\\b").c_str()), 1);
  EXPECT_TRUE(fs::is_directory(dir.path() / "a"));
  EXPECT_FALSE(fs::exists(dir.path() / "a" / "b"));
  EXPECT_EQ(CUtility::CreateAllDirectoriesEx((base + "\\a\\b\\").c_str()), 1);
  EXPECT_TRUE(fs::is_directory(dir.path() / "a" / "b"));
  EXPECT_EQ(CUtility::CreateAllDirectoriesEx((base + "\\a\\b\\").c_str()), 1);  // nothing to do
  utility::testsupport::WriteBytes(dir.path() / "f", "");
  EXPECT_EQ(CUtility::CreateAllDirectoriesEx((base + "\\f\\g\\").c_str()), 0);
  EXPECT_FALSE(fs::exists(dir.path() / "f" / "g"));
  EXPECT_EQ(CUtility::CreateAllDirectoriesEx((base + "\\\xe4\xb8\xad\\").c_str()), 1);  // UTF-8 text
  EXPECT_TRUE(fs::is_directory(dir.path() / "\xe4\xb8\xad"));
  EXPECT_EQ(CUtility::CreateAllDirectoriesEx(nullptr), 0);
}
