// Paths as users spell them: a link named with a trailing separator or a `.` is still the link,
// and names that are not valid UTF-8 reach exactly the entry they name. Each operation that
// deletes, walks, renames or creates is tried with every spelling.
#include <Utility/Platform/Error.h>
#include <Utility/Platform/FileSystem.h>
#include <Utility/Platform/Path.h>
#include <Utility/Utility.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "support/Files.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using utility::testsupport::ReadBytes;
using utility::testsupport::TempDir;
using utility::testsupport::WriteBytes;

namespace {

// The ways of writing "this name, as a directory" that the kernel alone would resolve through
// a link.
const char16_t* const kSpellings[] = {u"\\", u"\\.", u"/", u"/.", u"\\.\\", u"\\\\", u"\\sub\\.."};

// dir/outside with content, and dir/tree/link leading to it.
struct LinkedTree {
  explicit LinkedTree(const TempDir& dir) : outside(dir.path() / "outside"), tree(dir.path() / "tree") {
    fs::create_directories(outside / "sub");
    WriteBytes(outside / "precious", "keep");
    WriteBytes(outside / "sub" / "deeper", "keep");
    fs::create_directories(tree);
    fs::create_directory_symlink(outside, tree / "link");
  }
  void ExpectOutsideWhole() const {
    EXPECT_EQ(ReadBytes(outside / "precious"), "keep");
    EXPECT_EQ(ReadBytes(outside / "sub" / "deeper"), "keep");
  }
  fs::path outside, tree;
};

}  // namespace

// Each operation on a fresh tree, with the link or its tree named in every spelling.
TEST(PathSpellings, EveryOperationOnALinkByAnySpellingActsOnTheLinkOnly) {
  for (const char16_t* tail : kSpellings) {
    SCOPED_TRACE(utility::testsupport::Utf8(tail));
    {
      SCOPED_TRACE("RemoveDirectoryW of the link, then of the tree that holds it");
      TempDir dir;
      const LinkedTree t(dir);
      EXPECT_NE(CUtility::RemoveDirectoryW(dir.Windows("tree\\link") + tail), 0);
      EXPECT_FALSE(fs::exists(fs::symlink_status(t.tree / "link")));
      t.ExpectOutsideWhole();
      fs::create_directory_symlink(t.outside, t.tree / "link");
      EXPECT_NE(CUtility::RemoveDirectoryW(dir.Windows("tree") + tail), 0);
      EXPECT_FALSE(fs::exists(t.tree));
      t.ExpectOutsideWhole();
    }
    {
      SCOPED_TRACE("the platform's attributes and removal");
      TempDir dir;
      const LinkedTree t(dir);
      const CString link = dir.Windows("tree\\link") + tail;
      const DWORD attributes = GetFileAttributesW(link);
      ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
      EXPECT_NE(attributes & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
      EXPECT_TRUE(RemoveDirectoryW(link));
      EXPECT_FALSE(fs::exists(fs::symlink_status(t.tree / "link")));
      t.ExpectOutsideWhole();
    }
    {
      SCOPED_TRACE("ReNameFolder");
      TempDir dir;
      const LinkedTree t(dir);
      EXPECT_EQ(CUtility::ReNameFolder(dir.Windows("tree\\link") + tail, dir.Windows("tree\\moved")), 1);
      EXPECT_TRUE(fs::is_symlink(t.tree / "moved"));
      EXPECT_FALSE(fs::exists(fs::symlink_status(t.tree / "link")));
      EXPECT_TRUE(fs::exists(t.outside / "precious"));
      EXPECT_FALSE(fs::exists(t.outside / "moved"));
    }
    {
      SCOPED_TRACE("a recursive listing lists the link without entering it; creating it makes nothing");
      TempDir dir;
      const LinkedTree t(dir);
      CStringArray directories, files;
      CUtility::GetDirInfo(dir.Windows("tree") + tail, u"*.*", directories, files, 1);
      EXPECT_EQ(directories.GetSize(), 1);
      EXPECT_EQ(files.GetSize(), 0);
      EXPECT_EQ(CUtility::CreateAllDirectories(dir.Windows("tree\\link") + tail), 1);
      EXPECT_TRUE(fs::is_symlink(t.tree / "link"));
      t.ExpectOutsideWhole();
    }
  }
}

TEST(PathSpellings, ATrailingSeparatorAfterAFileNamesNothing) {
  TempDir dir;
  WriteBytes(dir.path() / "file", "keep");
  for (const char16_t* tail : {u"\\", u"\\.", u"/"}) {
    SCOPED_TRACE(utility::testsupport::Utf8(tail));
    const CString path = dir.Windows("file") + tail;
    EXPECT_EQ(GetFileAttributesW(path), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME));
    EXPECT_FALSE(DeleteFileW(path));
    EXPECT_EQ(ReadBytes(dir.path() / "file"), "keep");
  }
}

// Two directories whose names differ only where one is not valid UTF-8: "\xFF", and U+FFFD, the
// character a lossy decoder would turn it into.
TEST(PathSpellings, NamesThatAreNotUtf8ReachExactlyTheirEntry) {
  TempDir dir;
  const std::string invalid = "\xFF", replacement = "\xEF\xBF\xBD";
  fs::create_directories(dir.path() / invalid / "inner");
  fs::create_directories(dir.path() / replacement);
  WriteBytes(dir.path() / replacement / "keep", "keep");

  CStringArray directories, files;
  CUtility::GetDirInfo(dir.Windows(), u"*.*", directories, files, 1);
  std::set<std::string> listed;
  for (INT_PTR i = 0; i < directories.GetSize(); ++i)
    listed.insert(utility::platform::NativePath(CStringRef(directories[i])));
  for (INT_PTR i = 0; i < files.GetSize(); ++i) listed.insert(utility::platform::NativePath(CStringRef(files[i])));
  const std::string root = dir.path().string();
  EXPECT_EQ(listed, (std::set<std::string>{root + "/" + invalid, root + "/" + invalid + "/inner",
                                           root + "/" + replacement, root + "/" + replacement + "/keep"}));

  EXPECT_NE(CUtility::RemoveDirectoryW(dir.Windows(invalid)), 0);
  EXPECT_FALSE(fs::exists(dir.path() / invalid));
  EXPECT_EQ(ReadBytes(dir.path() / replacement / "keep"), "keep");

  EXPECT_EQ(CUtility::CreateAllDirectories(dir.Windows("new\xFE\\level")), 1);
  EXPECT_TRUE(fs::is_directory(dir.path() / "new\xFE" / "level"));
  EXPECT_EQ(CUtility::ReNameFolder(dir.Windows("new\xFE"), dir.Windows("re\xFD")), 1);
  EXPECT_TRUE(fs::is_directory(dir.path() / "re\xFD" / "level"));
  CUtility::SaveTrackLog(dir.Windows("re\xFD\\log\xFC.txt"), u"entry", 0);
  EXPECT_TRUE(fs::is_regular_file(dir.path() / "re\xFD" / "log\xFC.txt"));

  // A name no native entry can have is refused, not rewritten.
  const WCHAR lone[] = {u'x', 0xD800, 0};
  EXPECT_EQ(CUtility::CreateAllDirectories(dir.Windows() + u"\\" + lone), 0);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
}
