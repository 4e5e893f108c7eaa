// ReNameFolder: a rename in place, never over an existing item, refusing paths that do not fit.
#include <Utility/Utility.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "support/Files.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using utility::testsupport::TempDir;

TEST(ReNameFolder, RenamesAFolderOrFileToAFreeNameInTheSameParent) {
  TempDir dir;
  fs::create_directories(dir.path() / "old" / "inner");
  utility::testsupport::WriteBytes(dir.path() / "old" / "inner" / "f", "content");
  EXPECT_EQ(CUtility::ReNameFolder(dir.Windows("old"), dir.Windows("new")), 1);
  EXPECT_FALSE(fs::exists(dir.path() / "old"));
  EXPECT_EQ(utility::testsupport::ReadBytes(dir.path() / "new" / "inner" / "f"), "content");
  utility::testsupport::WriteBytes(dir.path() / "a.txt", "a");
  EXPECT_EQ(CUtility::ReNameFolder(dir.Windows("a.txt"), dir.Windows("b.txt")), 1);
  EXPECT_EQ(utility::testsupport::ReadBytes(dir.path() / "b.txt"), "a");
}

TEST(ReNameFolder, FailuresAnswerZeroAndChangeNothing) {
  TempDir dir;
  fs::create_directories(dir.path() / "src");
  fs::create_directories(dir.path() / "other");
  utility::testsupport::WriteBytes(dir.path() / "taken", "keep");
  struct Case {
    const char* what;
    CString from;
    CString to;
  };
  for (const Case& c :
       {Case{"missing source", dir.Windows("none"), dir.Windows("x")},
        Case{"existing target", dir.Windows("src"), dir.Windows("taken")},
        Case{"existing directory", dir.Windows("src"), dir.Windows("other")},
        Case{"other parent", dir.Windows("src"), dir.Windows("other") + u"\\src"},
        Case{"empty source", CString(), dir.Windows("x")}, Case{"empty target", dir.Windows("src"), CString()}}) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(CUtility::ReNameFolder(c.from, c.to), 0);
    EXPECT_TRUE(fs::is_directory(dir.path() / "src"));
    EXPECT_EQ(utility::testsupport::ReadBytes(dir.path() / "taken"), "keep");
    EXPECT_FALSE(fs::exists(dir.path() / "x"));
    EXPECT_FALSE(fs::exists(dir.path() / "other" / "src"));
  }
}

TEST(ReNameFolder, PathsOfMoreThan1022UnitsAreRefused) {
  TempDir dir;
  fs::create_directories(dir.path() / "src");
  // A target of exactly 1022 units fits (after "dir\" the name is padded with "x\..\" hops
  // that the system resolves); 1023 units do not.
  const CString base = dir.Windows() + u"\\";
  CString fits = base;
  while (fits.GetLength() + 5 <= 1022 - 4) fits += u"x\\..\\";
  fs::create_directories(dir.path() / "x");
  fits += CString(u'n', 1022 - fits.GetLength());
  ASSERT_EQ(fits.GetLength(), 1022);
  EXPECT_EQ(CUtility::ReNameFolder(dir.Windows("src"), fits + u"n"), 0);
  EXPECT_TRUE(fs::is_directory(dir.path() / "src"));
  EXPECT_EQ(CUtility::ReNameFolder(dir.Windows("src"), fits), 1);
  EXPECT_FALSE(fs::exists(dir.path() / "src"));
}
