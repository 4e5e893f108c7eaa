// RemoveDirectoryW: whole trees, the read-only file that stops everything, links that must not
// lead the removal out of the tree, and paths that name nothing to remove.
#include <Utility/Platform/FileSystem.h>
#include <Utility/Utility.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "support/Files.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using utility::testsupport::TempDir;
using utility::testsupport::WriteBytes;

namespace {

void MakeTree(const fs::path& root) {
  fs::create_directories(root / "a" / "b" / "c");
  fs::create_directories(root / "empty");
  fs::create_directories(root / "d");
  WriteBytes(root / "top.txt", "1");
  WriteBytes(root / "README", "2");
  WriteBytes(root / ".hidden", "3");
  WriteBytes(root / "a" / "x", "4");
  WriteBytes(root / "a" / "b" / "y.bin", "5");
  WriteBytes(root / "a" / "b" / "c" / "z", "6");
  WriteBytes(root / "d" / "w", "7");
}

}  // namespace

TEST(RemoveDirectoryW, RemovesANestedTreeAndAnswersNonZero) {
  TempDir dir;
  MakeTree(dir.path() / "tree");
  WriteBytes(dir.path() / "beside", "stays");
  EXPECT_NE(CUtility::RemoveDirectoryW(dir.Windows("tree")), 0);
  EXPECT_FALSE(fs::exists(dir.path() / "tree"));
  EXPECT_EQ(utility::testsupport::ReadBytes(dir.path() / "beside"), "stays");
  // Doubled backslashes (a trailing one) still name the same tree.
  MakeTree(dir.path() / "again");
  EXPECT_NE(CUtility::RemoveDirectoryW(dir.Windows("again") + u"\\"), 0);
  EXPECT_FALSE(fs::exists(dir.path() / "again"));
}

TEST(RemoveDirectoryW, NothingToRemoveGivesZeroAndTouchesNothing) {
  TempDir dir;
  WriteBytes(dir.path() / "file", "keep");
  EXPECT_EQ(CUtility::RemoveDirectoryW(dir.Windows("none")), 0);
  EXPECT_EQ(CUtility::RemoveDirectoryW(dir.Windows("file")), 0);
  EXPECT_EQ(utility::testsupport::ReadBytes(dir.path() / "file"), "keep");
  // The empty path would search the root: refused outright.
  EXPECT_EQ(CUtility::RemoveDirectoryW(CString()), 0);
}

TEST(RemoveDirectoryW, AReadOnlyFileRaisesAndStopsEverything) {
  TempDir dir;
  const fs::path root = dir.path() / "tree";
  MakeTree(root);
  utility::testsupport::MakeReadOnly(root / "a" / "b" / "y.bin");
  const std::set<std::string> before = utility::testsupport::EntriesBelow(root);
  try {
    CUtility::RemoveDirectoryW(dir.Windows("tree"));
    FAIL() << "no exception";
  } catch (const CFileException& e) {
    EXPECT_EQ(e.m_lOsError, ERROR_ACCESS_DENIED);
    EXPECT_EQ(e.m_strFileName, dir.Windows("tree") + u"\\a\\b\\y.bin");
  }
  // The read-only file and every directory on its way up stay; whatever is gone went before
  // the exception, and nothing outside the tree was touched.
  const std::set<std::string> after = utility::testsupport::EntriesBelow(root);
  EXPECT_TRUE(after.count("a/b/y.bin"));
  EXPECT_TRUE(after.count("a/b"));
  EXPECT_TRUE(fs::exists(root));
  for (const std::string& e : after) EXPECT_TRUE(before.count(e)) << e;
  // With the file made writable again, the removal finishes.
  utility::testsupport::MakeWritable(root / "a" / "b" / "y.bin");
  EXPECT_NE(CUtility::RemoveDirectoryW(dir.Windows("tree")), 0);
  EXPECT_FALSE(fs::exists(root));
}

TEST(RemoveDirectoryW, WhatWasDeletedBeforeTheReadOnlyFileStaysDeleted) {
  TempDir dir;
  const fs::path root = dir.path() / "tree";
  fs::create_directories(root / "p");
  fs::create_directories(root / "q");
  // The walk follows the search's order: ask the search which of the two comes first, then
  // put the read-only file into the other one.
  std::string first;
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW(dir.Windows("tree") + u"\\*.*", &entry);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  do {
    const CString name(entry.cFileName);
    if (first.empty() && (name == u"p" || name == u"q")) first = name.ToUtf8();
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  const std::string second = first == "p" ? "q" : "p";
  fs::create_directories(root / first / "deep");
  WriteBytes(root / first / "deep" / "gone", "");
  WriteBytes(root / first / "gone too", "");
  WriteBytes(root / second / "locked", "");
  utility::testsupport::MakeReadOnly(root / second / "locked");

  EXPECT_THROW(CUtility::RemoveDirectoryW(dir.Windows("tree")), CFileException);
  EXPECT_FALSE(fs::exists(root / first));
  EXPECT_TRUE(fs::exists(root / second / "locked"));
}

TEST(RemoveDirectoryW, LinksInsideTheTreeGoAsLinksAndTheirTargetsSurvive) {
  TempDir dir;
  const fs::path outside = dir.path() / "outside";
  fs::create_directories(outside / "inner");
  WriteBytes(outside / "precious", "keep");
  WriteBytes(outside / "inner" / "also", "keep");
  const fs::path root = dir.path() / "tree";
  MakeTree(root);
  fs::create_directory_symlink(outside, root / "a" / "dirlink");
  fs::create_symlink(outside / "precious", root / "filelink");
  fs::create_symlink(dir.path() / "nowhere", root / "dangling");
  // A read-only target does not stop the link's removal.
  utility::testsupport::MakeReadOnly(outside / "precious");
  EXPECT_NE(CUtility::RemoveDirectoryW(dir.Windows("tree")), 0);
  EXPECT_FALSE(fs::exists(fs::symlink_status(root)));
  EXPECT_EQ(utility::testsupport::ReadBytes(outside / "precious"), "keep");
  EXPECT_EQ(utility::testsupport::ReadBytes(outside / "inner" / "also"), "keep");
}

TEST(RemoveDirectoryW, APathThatIsALinkLosesOnlyTheLink) {
  TempDir dir;
  MakeTree(dir.path() / "real");
  fs::create_directory_symlink(dir.path() / "real", dir.path() / "link");
  const std::set<std::string> before = utility::testsupport::EntriesBelow(dir.path() / "real");
  EXPECT_NE(CUtility::RemoveDirectoryW(dir.Windows("link")), 0);
  EXPECT_FALSE(fs::exists(fs::symlink_status(dir.path() / "link")));
  EXPECT_EQ(utility::testsupport::EntriesBelow(dir.path() / "real"), before);
}
