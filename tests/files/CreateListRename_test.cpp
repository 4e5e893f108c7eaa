// CreateAllDirectories and CreateAllDirectoriesEx: results, trailing backslashes, things in the
// way; GetDirInfo: the extension filter, depth-first pre-order, appending only, links not
// entered; ReNameFolder: a rename in place, never over an existing item, within 1022 units.
#include <Utility/Utility.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "support/Files.h"
#include "support/TempDir.h"
#include "support/posix/Child.h"

namespace fs = std::filesystem;
using utility::testsupport::ReadBytes;
using utility::testsupport::TempDir;
using utility::testsupport::Utf8;
using utility::testsupport::WriteBytes;

TEST(CreateAllDirectories, ResultsInOrder) {
  TempDir dir;
  WriteBytes(dir.path() / "file", "keep");
  const CString at = dir.Windows();
  struct Case {
    const char* what;
    CString path;
    int result;
  };
  for (const Case& c : {
           Case{"every missing level", at + u"\\a\\b\\c", 1},
           Case{"a level that exists already", at + u"\\a\\b\\c", 1},
           Case{"a chain below an existing level", at + u"\\a\\x\\y", 1},
           Case{"one trailing backslash is dropped", at + u"\\t\\u\\", 1},
           // The level is made, then the form with the remaining backslash does not exist.
           Case{"two trailing backslashes", at + u"\\v\\w\\\\", 0},
           Case{"two trailing backslashes again: the level exists", at + u"\\v\\w\\\\", 1},
           Case{"a file counts as existing", at + u"\\file", 1},
           Case{"a file in the way of a deeper level", at + u"\\file\\x\\y", 0},
           Case{"the empty path", CString(), 0},
           Case{"a lone backslash drops to the empty path", CString(u"\\"), 0},
       }) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(CUtility::CreateAllDirectories(c.path), c.result);
  }
  EXPECT_EQ(utility::testsupport::EntriesBelow(dir.path()),
            (std::set<std::string>{"a", "a/b", "a/b/c", "a/x", "a/x/y", "t", "t/u", "v", "v/w", "file"}));
  EXPECT_EQ(ReadBytes(dir.path() / "file"), "keep");
}

TEST(CreateAllDirectories, ARelativeNameIsCreatedInTheCurrentDirectory) {
  // The child process moves to the test's directory; the test process's own stays as it is.
  TempDir dir;
  EXPECT_EQ(utility::testsupport::RunInChild([&] {
              return chdir(dir.path().c_str()) == 0 ? CUtility::CreateAllDirectories(CString(u"rel\\sub")) : 9;
            }),
            1);
  EXPECT_TRUE(fs::is_directory(dir.path() / "rel" / "sub"));
}

TEST(CreateAllDirectories, AHugePathEndsQuickly) {
  // Fifty thousand levels below a file: every level fails, none is created, and the walk
  // costs linear time (each level longer than the system takes is refused before conversion).
  TempDir dir;
  WriteBytes(dir.path() / "x", "keep");
  CString path = dir.Windows();
  for (int i = 0; i < 50000; ++i) path += u"\\x";
  EXPECT_EQ(CUtility::CreateAllDirectories(path), 0);
  EXPECT_EQ(ReadBytes(dir.path() / "x"), "keep");
}

TEST(CreateAllDirectoriesEx, TheLastComponentIsAFileNameUnlessABackslashEndsIt) {
  TempDir dir;
  const std::string base = utility::testsupport::Utf8(dir.Windows());
  EXPECT_EQ(CUtility::CreateAllDirectoriesEx((base + "\\a\\b").c_str()), 1);
  EXPECT_TRUE(fs::is_directory(dir.path() / "a"));
  EXPECT_FALSE(fs::exists(dir.path() / "a" / "b"));
  EXPECT_EQ(CUtility::CreateAllDirectoriesEx((base + "\\a\\\xe4\xb8\xad\\").c_str()), 1);  // UTF-8 text
  EXPECT_TRUE(fs::is_directory(dir.path() / "a" / "\xe4\xb8\xad"));
  WriteBytes(dir.path() / "f", "");
  EXPECT_EQ(CUtility::CreateAllDirectoriesEx((base + "\\f\\g\\").c_str()), 0);
  EXPECT_EQ(CUtility::CreateAllDirectoriesEx(nullptr), 0);
}

namespace {

// The paths below prefix, in their order; a path outside it fails the test.
std::vector<std::string> Names(const CStringArray& paths, const CString& prefix) {
  std::vector<std::string> names;
  for (INT_PTR i = 0; i < paths.GetSize(); ++i) {
    EXPECT_EQ(paths[i].Left(prefix.GetLength()), prefix) << Utf8(paths[i]);
    names.push_back(paths[i].Mid(prefix.GetLength()).ToUtf8());
  }
  return names;
}

std::set<std::string> NameSet(const CStringArray& paths, const CString& prefix) {
  const std::vector<std::string> names = Names(paths, prefix);
  return std::set<std::string>(names.begin(), names.end());
}

}  // namespace

TEST(GetDirInfo, FiltersFilesByTheirExtensionAlone) {
  TempDir dir;
  for (const char* f : {"a.txt", "b.TXT", "c.doc", "README", ".profile", "x.tar.gz", "t.tx?"})
    WriteBytes(dir.path() / f, "");
  fs::create_directory(dir.path() / "sub");
  WriteBytes(dir.path() / "sub" / "inner.txt", "");
  struct Case {
    const char16_t* filter;
    std::set<std::string> files;
  };
  for (const Case& c : {
           Case{u"*.*", {"a.txt", "b.TXT", "c.doc", "README", ".profile", "x.tar.gz", "t.tx?"}},
           Case{u"*.txt", {"a.txt", "b.TXT"}},       // in any case
           Case{u"", {"README", ".profile"}},        // a leading dot starts no extension
           Case{u"txt", {}},                         // a filter without a dot is its own extension
           Case{u"report.TXT", {"a.txt", "b.TXT"}},  // only the filter's extension counts
           Case{u"*.tx?", {"t.tx?"}},                // no wildcards in the extension
           Case{u"*.txt;*.doc", {"c.doc"}},          // no lists either: the last dot rules
           Case{u"*.GZ", {"x.tar.gz"}},
           Case{u"*", {}},
       }) {
    SCOPED_TRACE(Utf8(c.filter));
    CStringArray dirs, files;
    CUtility::GetDirInfo(dir.Windows(), c.filter, dirs, files, 0);
    EXPECT_EQ(NameSet(files, dir.Windows() + u"\\"), c.files);
    EXPECT_EQ(NameSet(dirs, dir.Windows() + u"\\"), std::set<std::string>{"sub"});
  }
}

TEST(GetDirInfo, RecursionIsDepthFirstPreOrderAndDoesNotEnterLinks) {
  TempDir dir;
  fs::create_directories(dir.path() / "sub" / "deeper");
  fs::create_directories(dir.path() / "other");
  for (const char* f : {"a.txt", "sub/x.txt", "sub/deeper/y.txt", "other/z.txt"}) WriteBytes(dir.path() / f, "");
  fs::create_directory_symlink(dir.path(), dir.path() / "other" / "loop");  // leads back up
  const CString base = dir.Windows() + u"\\";
  CStringArray dirs, files;
  CUtility::GetDirInfo(dir.Windows(), u"*.*", dirs, files, 1);
  EXPECT_EQ(NameSet(files, base), (std::set<std::string>{"a.txt", "sub\\x.txt", "sub\\deeper\\y.txt", "other\\z.txt"}));
  const std::vector<std::string> order = Names(dirs, base);
  EXPECT_EQ(std::set<std::string>(order.begin(), order.end()),
            (std::set<std::string>{"sub", "sub\\deeper", "other", "other\\loop"}));
  // Pre-order, depth first: what lies below a directory follows it at once, as one run.
  for (std::size_t i = 0; i < order.size(); ++i) {
    std::size_t end = i + 1;
    while (end < order.size() && order[end].rfind(order[i] + "\\", 0) == 0) ++end;
    for (std::size_t j = end; j < order.size(); ++j) EXPECT_NE(order[j].rfind(order[i] + "\\", 0), 0u) << order[j];
  }
  // Without recursion only the top level.
  CStringArray topDirs, topFiles;
  CUtility::GetDirInfo(dir.Windows(), u"*.*", topDirs, topFiles, 0);
  EXPECT_EQ(NameSet(topFiles, base), std::set<std::string>{"a.txt"});
  EXPECT_EQ(NameSet(topDirs, base), (std::set<std::string>{"sub", "other"}));
}

TEST(GetDirInfo, OnlyAppends) {
  TempDir dir;
  WriteBytes(dir.path() / "f.txt", "");
  fs::create_directory(dir.path() / "d");
  CStringArray dirs, files;
  dirs.Add(u"keep-dir");
  files.Add(u"keep-file");
  CUtility::GetDirInfo(dir.Windows(), u"*.*", dirs, files, 1);
  CUtility::GetDirInfo(dir.Windows(), u"*.*", dirs, files, 1);
  // Nothing to search: a missing directory, or a file, adds nothing.
  CUtility::GetDirInfo(dir.Windows("none"), u"*.*", dirs, files, 1);
  CUtility::GetDirInfo(dir.Windows("f.txt"), u"*.*", dirs, files, 1);
  ASSERT_EQ(dirs.GetSize(), 3);
  ASSERT_EQ(files.GetSize(), 3);
  EXPECT_EQ(dirs[0], CString(u"keep-dir"));
  EXPECT_EQ(files[0], CString(u"keep-file"));
  for (INT_PTR i : {1, 2}) {
    EXPECT_EQ(dirs[i], dir.Windows("d"));
    EXPECT_EQ(files[i], dir.Windows("f.txt"));
  }
}

TEST(GetDirInfo, PathsAreDirectoryBackslashNameAsGiven) {
  TempDir dir;
  WriteBytes(dir.path() / "f", "");
  CStringArray dirs, files;
  CUtility::GetDirInfo(dir.Windows() + u"\\", u"*.*", dirs, files, 0);  // a trailing backslash is doubled
  ASSERT_EQ(files.GetSize(), 1);
  EXPECT_EQ(files[0], dir.Windows() + u"\\\\f");
  // The empty path lists the root.
  CStringArray rootDirs, rootFiles;
  CUtility::GetDirInfo(CString(), u"*.*", rootDirs, rootFiles, 0);
  bool sawTmp = false;
  for (INT_PTR i = 0; i < rootDirs.GetSize(); ++i) {
    EXPECT_EQ(rootDirs[i][0], u'\\');
    EXPECT_NE(rootDirs[i][1], u'\\');
    sawTmp = sawTmp || rootDirs[i] == u"\\tmp";
  }
  EXPECT_TRUE(sawTmp);
}

TEST(ReNameFolder, RenamesInPlaceOrAnswersZeroAndChangesNothing) {
  TempDir dir;
  fs::create_directories(dir.path() / "src" / "inner");
  fs::create_directories(dir.path() / "other");
  WriteBytes(dir.path() / "src" / "inner" / "f", "content");
  WriteBytes(dir.path() / "taken", "keep");
  struct Case {
    const char* what;
    CString from;
    CString to;
  };
  for (const Case& c :
       {Case{"missing source", dir.Windows("none"), dir.Windows("x")},
        Case{"existing file", dir.Windows("src"), dir.Windows("taken")},
        Case{"existing directory", dir.Windows("src"), dir.Windows("other")},
        Case{"another parent", dir.Windows("src"), dir.Windows("other") + u"\\src"},
        Case{"empty source", CString(), dir.Windows("x")}, Case{"empty target", dir.Windows("src"), CString()}}) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(CUtility::ReNameFolder(c.from, c.to), 0);
  }
  EXPECT_EQ(utility::testsupport::EntriesBelow(dir.path()),
            (std::set<std::string>{"src", "src/inner", "src/inner/f", "other", "taken"}));
  EXPECT_EQ(CUtility::ReNameFolder(dir.Windows("src"), dir.Windows("new")), 1);
  EXPECT_EQ(ReadBytes(dir.path() / "new" / "inner" / "f"), "content");
  EXPECT_EQ(CUtility::ReNameFolder(dir.Windows("taken"), dir.Windows("t")), 1);
  EXPECT_EQ(ReadBytes(dir.path() / "t"), "keep");
}

TEST(ReNameFolder, PathsOfMoreThan1022UnitsAreRefused) {
  TempDir dir;
  fs::create_directories(dir.path() / "src");
  fs::create_directories(dir.path() / "x");
  // A target of exactly 1022 units: after "dir\" the name is padded with "x\..\" hops that
  // the system resolves. One unit more does not fit.
  CString fits = dir.Windows() + u"\\";
  while (fits.GetLength() + 5 <= 1022 - 4) fits += u"x\\..\\";
  fits += CString(u'n', 1022 - fits.GetLength());
  ASSERT_EQ(fits.GetLength(), 1022);
  EXPECT_EQ(CUtility::ReNameFolder(dir.Windows("src"), fits + u"n"), 0);
  EXPECT_TRUE(fs::is_directory(dir.path() / "src"));
  EXPECT_EQ(CUtility::ReNameFolder(dir.Windows("src"), fits), 1);
  EXPECT_FALSE(fs::exists(dir.path() / "src"));
}
