// RemoveDirectoryW: whole trees, a read-only file, links that must not lead out of the tree, and
// trees at the path limit. How the platform reads a path is FileSystem_test.cpp's.
#include <Utility/Platform/Error.h>
#include <Utility/Platform/Path.h>
#include <Utility/Utility.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "support/DeepTree.h"
#include "support/Files.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using utility::testsupport::ReadBytes;
using utility::testsupport::TempDir;
using utility::testsupport::WriteBytes;

namespace {

void MakeTree(const fs::path& root) {
  fs::create_directories(root / "a" / "b" / "c");
  fs::create_directories(root / "empty");
  for (const char* f : {"top.txt", ".hidden", "a/x", "a/b/y.bin", "a/b/c/z"}) WriteBytes(root / f, "1");
}

}  // namespace

TEST(RemoveDirectoryWLinux, RemovesTreesAndLinksInThemAsLinks) {
  TempDir dir;
  const fs::path outside = dir.path() / "outside";
  fs::create_directories(outside / "inner");
  WriteBytes(outside / "precious", "keep");
  const fs::path root = dir.path() / "tree";
  MakeTree(root);
  fs::create_directory_symlink(outside, root / "a" / "dirlink");
  fs::create_symlink(outside / "precious", root / "filelink");
  fs::create_symlink(dir.path() / "nowhere", root / "dangling");
  utility::testsupport::MakeReadOnly(outside / "precious");  // a read-only target does not stop its link's removal
  EXPECT_EQ(CUtility::RemoveDirectoryW(dir.Windows("tree")), 1);
  EXPECT_EQ(utility::testsupport::EntriesBelow(dir.path()),
            (std::set<std::string>{"outside", "outside/inner", "outside/precious"}));
  // A trailing backslash still names the tree; a path that is a link loses only the link.
  MakeTree(root);
  EXPECT_EQ(CUtility::RemoveDirectoryW(dir.Windows("tree") + u"\\"), 1);
  EXPECT_FALSE(fs::exists(root));
  fs::create_directory_symlink(outside, dir.path() / "link");
  EXPECT_EQ(CUtility::RemoveDirectoryW(dir.Windows("link") + u"\\"), 1);
  EXPECT_EQ(utility::testsupport::EntriesBelow(dir.path()),
            (std::set<std::string>{"outside", "outside/inner", "outside/precious"}));
  // Nothing to remove: a missing path, a file, or the empty path (whose search is the root).
  for (const CString& path : {dir.Windows("none"), dir.Windows("outside\\precious"), CString()}) {
    EXPECT_EQ(CUtility::RemoveDirectoryW(path), 0);
  }
  EXPECT_EQ(ReadBytes(outside / "precious"), "keep");
}

TEST(RemoveDirectoryW, AReadOnlyFileRaisesAndStaysUntilItIsWritable) {
  TempDir dir;
  const fs::path root = dir.path() / "tree";
  MakeTree(root);
  utility::testsupport::MakeReadOnly(root / "a" / "b" / "y.bin");
  try {
    CUtility::RemoveDirectoryW(dir.Windows("tree"));
    FAIL() << "no exception";
  } catch (const CFileException& e) {
    EXPECT_EQ(e.m_lOsError, ERROR_ACCESS_DENIED);
    EXPECT_EQ(e.m_strFileName, dir.Windows("tree") + u"\\a\\b\\y.bin");
  }
  EXPECT_TRUE(fs::exists(root / "a" / "b" / "y.bin"));
  utility::testsupport::MakeWritable(root / "a" / "b" / "y.bin");
  EXPECT_EQ(CUtility::RemoveDirectoryW(dir.Windows("tree")), 1);
  EXPECT_FALSE(fs::exists(root));
}

TEST(RemoveDirectoryWLinux, ATreeAtThePathLimitGoesWholeAndOnePastItStaysWhole) {
  // One unit and one byte; one unit and three bytes; two units and four bytes; and a byte
  // that is not UTF-8 (one unit, one byte).
  for (const std::string character : {"d", "\xE4\xB8\xAD", "\xF0\x9F\x98\x80", "\xFF"}) {
    for (const std::size_t bytes :
         {utility::platform::kMaxNativePathBytes, utility::platform::kMaxNativePathBytes + 1}) {
      SCOPED_TRACE(testing::Message() << bytes << " bytes of characters of " << character.size() << " bytes");
      TempDir dir;
      const fs::path root = dir.path() / "deep";
      utility::testsupport::MakeChain(root, utility::testsupport::ChainNames(root.native().size(), bytes, character));
      const std::size_t before = utility::testsupport::CountEntriesDeep(root);
      SetLastError(ERROR_SUCCESS);
      if (bytes == utility::platform::kMaxNativePathBytes) {
        EXPECT_EQ(CUtility::RemoveDirectoryW(dir.Windows("deep")), 1);
        EXPECT_FALSE(fs::exists(fs::symlink_status(root)));
      } else {
        EXPECT_EQ(CUtility::RemoveDirectoryW(dir.Windows("deep")), 0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
        EXPECT_EQ(utility::testsupport::CountEntriesDeep(root), before);  // the top "side" file would go first
      }
    }
  }
}

TEST(RemoveDirectoryWLinux, TheSearchPatternOfEachDirectoryMustFitTheUnitLimit) {
  // A directory is emptied through "dir\*.*", four units longer than its path, which must fit
  // in 4095 units too: an empty directory at 4091 units goes, one at 4092 stops the removal.
  for (const std::size_t length : {utility::platform::kMaxPathUnits - 4, utility::platform::kMaxPathUnits - 3}) {
    SCOPED_TRACE(length);
    TempDir dir;
    const fs::path root = dir.path() / "deep";
    utility::testsupport::MakeChain(root, utility::testsupport::ChainNames(root.native().size(), length, "d"), true);
    const bool fits = length + 4 == utility::platform::kMaxPathUnits;
    EXPECT_EQ(CUtility::RemoveDirectoryW(dir.Windows("deep")), fits ? 1 : 0);
    EXPECT_EQ(fs::exists(root), !fits);
  }
}
