// GetDirInfo: the extension filter, depth-first pre-order, appending only, links not entered.
#include <Utility/Platform/FileSystem.h>
#include <Utility/Utility.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "support/Files.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using utility::testsupport::TempDir;
using utility::testsupport::Utf8;
using utility::testsupport::WriteBytes;

namespace {

std::vector<std::string> Names(const CStringArray& paths, const CString& prefix) {
  std::vector<std::string> names;
  for (INT_PTR i = 0; i < paths.GetSize(); ++i) {
    const CString& p = paths[i];
    EXPECT_EQ(p.Left(prefix.GetLength()), prefix) << Utf8(p);
    names.push_back(p.Mid(prefix.GetLength()).ToUtf8());
  }
  return names;
}

std::set<std::string> NameSet(const CStringArray& paths, const CString& prefix) {
  const std::vector<std::string> names = Names(paths, prefix);
  return std::set<std::string>(names.begin(), names.end());
}

// The plain reading of the filter rule, written out from its description.
bool OracleSelects(const std::string& filter, const std::string& name) {
  if (filter == "*.*") return true;
  const auto extension = [](const std::string& s, bool whole) {
    const std::size_t dot = s.rfind('.');
    if (dot != std::string::npos && dot > 0) return s.substr(dot);
    return whole ? s : std::string();
  };
  std::string a = extension(name, false), b = extension(filter, true);
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

}  // namespace

TEST(GetDirInfo, FiltersByExtensionExactlyAsTheRuleSays) {
  TempDir dir;
  for (const char* f : {"a.txt", "b.TXT", "c.doc", "README", ".profile", "x.tar.gz", "report.txt.bak", "t.tx?"}) {
    WriteBytes(dir.path() / f, "");
  }
  fs::create_directory(dir.path() / "sub");
  WriteBytes(dir.path() / "sub" / "inner.txt", "");
  struct Case {
    const char16_t* filter;
    std::set<std::string> files;
  };
  const std::set<std::string> all = {"a.txt",    "b.TXT",    "c.doc",          "README",
                                     ".profile", "x.tar.gz", "report.txt.bak", "t.tx?"};
  for (const Case& c :
       {Case{u"*.*", all}, Case{u"*.txt", {"a.txt", "b.TXT"}}, Case{u"", {"README", ".profile"}}, Case{u"txt", {}},
        Case{u"report.txt", {"a.txt", "b.TXT"}}, Case{u".txt", {"a.txt", "b.TXT"}}, Case{u"*.tx?", {"t.tx?"}},
        Case{u"*.txt;*.doc", {"c.doc"}}, Case{u"*.GZ", {"x.tar.gz"}}, Case{u"*.*.*", {}}, Case{u"*", {}}}) {
    SCOPED_TRACE(Utf8(c.filter));
    CStringArray dirs, files;
    CUtility::GetDirInfo(dir.Windows(), c.filter, dirs, files, 0);
    EXPECT_EQ(NameSet(files, dir.Windows() + u"\\"), c.files);
    EXPECT_EQ(NameSet(dirs, dir.Windows() + u"\\"), std::set<std::string>{"sub"});
  }
}

TEST(GetDirInfo, FilterAgreesWithALiteralReadingOverGeneratedNames) {
  TempDir dir;
  const unsigned seed = 6021;
  std::mt19937 random(seed);
  const std::string alphabet = "aAtT.x";
  std::set<std::string> names;
  while (names.size() < 60) {
    std::string n;
    const int length = 1 + static_cast<int>(random() % 6);
    for (int i = 0; i < length; ++i) n += alphabet[random() % alphabet.size()];
    if (n == "." || n == "..") continue;
    if (names.insert(n).second) WriteBytes(dir.path() / n, "");
  }
  for (int round = 0; round < 200; ++round) {
    std::string filter;
    const int length = static_cast<int>(random() % 5);
    for (int i = 0; i < length; ++i) filter += "aAtT.*"[random() % 6];
    SCOPED_TRACE("seed " + std::to_string(seed) + " round " + std::to_string(round) + " filter '" + filter + "'");
    std::set<std::string> expected;
    for (const std::string& n : names) {
      if (OracleSelects(filter, n)) expected.insert(n);
    }
    CStringArray dirs, files;
    CUtility::GetDirInfo(dir.Windows(), CString(filter.c_str()), dirs, files, 0);
    EXPECT_EQ(NameSet(files, dir.Windows() + u"\\"), expected);
  }
}

TEST(GetDirInfo, RecursionIsDepthFirstPreOrderInTheSearchsOrder) {
  TempDir dir;
  fs::create_directories(dir.path() / "sub" / "deeper");
  fs::create_directories(dir.path() / "other");
  for (const char* f : {"a.txt", "b.txt", "c.txt", "sub/x.txt", "sub/deeper/y.txt", "other/z.txt"}) {
    WriteBytes(dir.path() / f, "");
  }
  const CString base = dir.Windows();
  CStringArray dirs, files;
  CUtility::GetDirInfo(base, u"*.*", dirs, files, 1);
  EXPECT_EQ(NameSet(dirs, base + u"\\"), (std::set<std::string>{"sub", "sub\\deeper", "other"}));
  EXPECT_EQ(NameSet(files, base + u"\\"),
            (std::set<std::string>{"a.txt", "b.txt", "c.txt", "sub\\x.txt", "sub\\deeper\\y.txt", "other\\z.txt"}));

  // Replay the walk with the platform's own search order and compare the sequences.
  std::vector<std::string> expectDirs, expectFiles;
  const auto walk = [&](const auto& self, const CString& path, const std::string& rel) -> void {
    WIN32_FIND_DATAW entry;
    HANDLE h = FindFirstFileW(path + u"\\*.*", &entry);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    do {
      const std::string name = CString(entry.cFileName).ToUtf8();
      if (name == "." || name == "..") continue;
      const std::string child = rel.empty() ? name : rel + "\\" + name;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        expectDirs.push_back(child);
        self(self, path + u"\\" + CString(entry.cFileName), child);
      } else {
        expectFiles.push_back(child);
      }
    } while (FindNextFileW(h, &entry));
    FindClose(h);
  };
  walk(walk, base, "");
  EXPECT_EQ(Names(dirs, base + u"\\"), expectDirs);
  EXPECT_EQ(Names(files, base + u"\\"), expectFiles);

  // Without recursion only the top level.
  CStringArray topDirs, topFiles;
  CUtility::GetDirInfo(base, u"*.*", topDirs, topFiles, 0);
  EXPECT_EQ(NameSet(topFiles, base + u"\\"), (std::set<std::string>{"a.txt", "b.txt", "c.txt"}));
  EXPECT_EQ(topDirs.GetSize(), 2);
}

TEST(GetDirInfo, OnlyAppendsAndAppendsAgainOnASecondCall) {
  TempDir dir;
  WriteBytes(dir.path() / "f.txt", "");
  fs::create_directory(dir.path() / "d");
  CStringArray dirs, files;
  dirs.Add(u"keep-dir");
  files.Add(u"keep-file");
  CUtility::GetDirInfo(dir.Windows(), u"*.*", dirs, files, 1);
  CUtility::GetDirInfo(dir.Windows(), u"*.*", dirs, files, 1);
  ASSERT_EQ(dirs.GetSize(), 3);
  ASSERT_EQ(files.GetSize(), 3);
  EXPECT_EQ(dirs[0], CString(u"keep-dir"));
  EXPECT_EQ(files[0], CString(u"keep-file"));
  EXPECT_EQ(dirs[1], dir.Windows("d"));
  EXPECT_EQ(dirs[2], dir.Windows("d"));
  EXPECT_EQ(files[1], dir.Windows("f.txt"));
  EXPECT_EQ(files[2], dir.Windows("f.txt"));
}

TEST(GetDirInfo, NothingToSearchAddsNothing) {
  TempDir dir;
  WriteBytes(dir.path() / "file", "");
  for (const CString& path : {dir.Windows("none"), dir.Windows("file")}) {
    SCOPED_TRACE(Utf8(path));
    CStringArray dirs, files;
    dirs.Add(u"x");
    CUtility::GetDirInfo(path, u"*.*", dirs, files, 1);
    EXPECT_EQ(dirs.GetSize(), 1);
    EXPECT_EQ(files.GetSize(), 0);
  }
}

TEST(GetDirInfo, ATrailingBackslashDoublesTheSeparator) {
  TempDir dir;
  WriteBytes(dir.path() / "f", "");
  CStringArray dirs, files;
  CUtility::GetDirInfo(dir.Windows() + u"\\", u"*.*", dirs, files, 0);
  ASSERT_EQ(files.GetSize(), 1);
  EXPECT_EQ(files[0], dir.Windows() + u"\\\\f");
}

TEST(GetDirInfo, AnEmptyPathListsTheRoot) {
  CStringArray dirs, files;
  CUtility::GetDirInfo(CString(), u"*.*", dirs, files, 0);
  bool sawTmp = false;
  for (INT_PTR i = 0; i < dirs.GetSize(); ++i) {
    EXPECT_EQ(dirs[i][0], u'\\');
    EXPECT_NE(dirs[i][1], u'\\');
    sawTmp = sawTmp || dirs[i] == u"\\tmp";
  }
  EXPECT_TRUE(sawTmp);
}

TEST(GetDirInfo, LinksToDirectoriesAreListedButNotEntered) {
  TempDir dir;
  fs::create_directories(dir.path() / "real");
  WriteBytes(dir.path() / "real" / "inside.txt", "");
  fs::create_directory_symlink(dir.path(), dir.path() / "real" / "loop");  // leads back up
  CStringArray dirs, files;
  CUtility::GetDirInfo(dir.Windows(), u"*.*", dirs, files, 1);
  EXPECT_EQ(NameSet(dirs, dir.Windows() + u"\\"), (std::set<std::string>{"real", "real\\loop"}));
  EXPECT_EQ(NameSet(files, dir.Windows() + u"\\"), (std::set<std::string>{"real\\inside.txt"}));
}
