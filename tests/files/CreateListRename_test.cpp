// CreateAllDirectories: results, trailing backslashes, things in the way; GetDirInfo's filter;
// ReNameFolder: in place, never over an existing item, within 1022 units.
#include <Utility/Utility.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "files/ListedNames.h"
#include "support/Files.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using utility::testsupport::NameSet;
using utility::testsupport::ReadBytes;
using utility::testsupport::TempDir;
using utility::testsupport::Utf8;
using utility::testsupport::WriteBytes;

TEST(CreateAllDirectories, ResultsInOrder) {
  TempDir dir;
  WriteBytes(dir.path() / "file", "keep");
  const CString at = dir.Windows();
  EXPECT_EQ(CUtility::CreateAllDirectories(at + u"\\a\\b\\c"), 1);  // every missing level
  EXPECT_EQ(CUtility::CreateAllDirectories(at + u"\\a\\b\\c"), 1);  // a level that exists already
  EXPECT_EQ(CUtility::CreateAllDirectories(at + u"\\t\\u\\"), 1);   // one trailing backslash is dropped
  // The level is made, then the form with the remaining backslash does not exist.
  EXPECT_EQ(CUtility::CreateAllDirectories(at + u"\\v\\w\\\\"), 0);
  EXPECT_EQ(CUtility::CreateAllDirectories(at + u"\\file"), 1);  // a file counts as existing
  EXPECT_EQ(CUtility::CreateAllDirectories(at + u"\\file\\x\\y"), 0);
  EXPECT_EQ(CUtility::CreateAllDirectories(CString()), 0);
  EXPECT_EQ(CUtility::CreateAllDirectories(CString(u"\\")), 0);  // a lone backslash drops to the empty path
  // Fifty thousand levels below the file fail in linear time: each level longer than the system
  // takes is refused before it is converted.
  CString huge = at + u"\\file";
  for (int i = 0; i < 50000; ++i) huge += u"\\x";
  EXPECT_EQ(CUtility::CreateAllDirectories(huge), 0);
  EXPECT_EQ(utility::testsupport::EntriesBelow(dir.path()),
            (std::set<std::string>{"a", "a/b", "a/b/c", "t", "t/u", "v", "v/w", "file"}));
  EXPECT_EQ(ReadBytes(dir.path() / "file"), "keep");
}

TEST(GetDirInfo, FiltersFilesByTheirExtensionAlone) {
  TempDir dir;
  for (const char* f : {"a.txt", "b.TXT", "c.doc", "README", ".profile", "x.tar.gz"}) WriteBytes(dir.path() / f, "");
  fs::create_directory(dir.path() / "sub");
  WriteBytes(dir.path() / "sub" / "inner.txt", "");
  const auto check = [&](const char16_t* filter, const std::set<std::string>& expected) {
    SCOPED_TRACE(Utf8(filter));
    CStringArray dirs, files;
    CUtility::GetDirInfo(dir.Windows(), filter, dirs, files, 0);
    EXPECT_EQ(NameSet(files, dir.Windows() + u"\\"), expected);
    EXPECT_EQ(NameSet(dirs, dir.Windows() + u"\\"), std::set<std::string>{"sub"});
  };
  check(u"*.*", {"a.txt", "b.TXT", "c.doc", "README", ".profile", "x.tar.gz"});
  check(u"*.txt", {"a.txt", "b.TXT"});  // in any case
  check(u"", {"README", ".profile"});   // a leading dot starts no extension
  check(u"txt", {});                    // a filter without a dot is its own extension
  check(u"*.txt;*.doc", {"c.doc"});     // only the filter's extension counts, no wildcards
  check(u"*", {});
}

TEST(ReNameFolder, RenamesInPlaceWithin1022UnitsOrAnswersZeroAndChangesNothing) {
  TempDir dir;
  fs::create_directories(dir.path() / "src" / "inner");
  fs::create_directories(dir.path() / "other");
  fs::create_directories(dir.path() / "x");
  WriteBytes(dir.path() / "src" / "inner" / "f", "content");
  WriteBytes(dir.path() / "taken", "keep");
  // What the shell's rename refuses is the platform's (SHFileOperationW in FileSystem_test.cpp).
  EXPECT_EQ(CUtility::ReNameFolder(dir.Windows("src"), dir.Windows("other")), 0);
  EXPECT_EQ(utility::testsupport::EntriesBelow(dir.path()),
            (std::set<std::string>{"src", "src/inner", "src/inner/f", "other", "x", "taken"}));
  EXPECT_EQ(CUtility::ReNameFolder(dir.Windows("src"), dir.Windows("new")), 1);
  EXPECT_EQ(ReadBytes(dir.path() / "new" / "inner" / "f"), "content");
  EXPECT_EQ(CUtility::ReNameFolder(dir.Windows("taken"), dir.Windows("t")), 1);
  EXPECT_EQ(ReadBytes(dir.path() / "t"), "keep");
  // A target of exactly 1022 units fits, one more does not: after "dir\" the name is padded with
  // "x\..\" hops that the system resolves.
  CString fits = dir.Windows() + u"\\";
  while (fits.GetLength() + 5 <= 1022 - 4) fits += u"x\\..\\";
  fits += CString(u'n', 1022 - fits.GetLength());
  ASSERT_EQ(fits.GetLength(), 1022);
  EXPECT_EQ(CUtility::ReNameFolder(dir.Windows("new"), fits + u"n"), 0);
  EXPECT_EQ(CUtility::ReNameFolder(dir.Windows("new"), fits), 1);
  EXPECT_FALSE(fs::exists(dir.path() / "new"));
}
