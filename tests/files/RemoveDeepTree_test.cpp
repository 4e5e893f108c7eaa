// RemoveDirectoryW on trees that reach the system's path limit: a tree whose every entry the
// file calls can name is removed whole; one with a single entry past the limit is left whole.
#include <Utility/Platform/Error.h>
#include <Utility/Platform/FileSystem.h>
#include <Utility/Platform/Path.h>
#include <Utility/Utility.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/DeepTree.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using utility::testsupport::TempDir;

namespace {

struct Kind {
  const char* label;
  const char* character;  // UTF-8 bytes of one character, or one byte that is not UTF-8
};

// One unit and one byte, one unit and two or three bytes, two units and four bytes, and a
// byte that reads as an escape unit (one unit, one byte).
const Kind kKinds[] = {{"ascii", "d"},
                       {"two-byte", "\xC3\xA9"},
                       {"three-byte", "\xE4\xB8\xAD"},
                       {"pair", "\xF0\x9F\x98\x80"},
                       {"escape", "\xFF"}};

}  // namespace

TEST(RemoveDirectoryDeep, ATreeReachingTheLimitExactlyIsRemovedWhole) {
  for (const Kind& kind : kKinds) {
    SCOPED_TRACE(kind.label);
    TempDir dir;
    const fs::path root = dir.path() / "deep";
    // The deepest file's native path is 4095 bytes, the most the system takes.
    const auto names =
        utility::testsupport::ChainNames(root.native().size(), utility::platform::kMaxNativePathBytes, kind.character);
    utility::testsupport::MakeChain(root, names);
    ASSERT_GT(utility::testsupport::CountEntriesDeep(root), names.size());
    EXPECT_NE(CUtility::RemoveDirectoryW(dir.Windows("deep")), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(root)));
  }
}

TEST(RemoveDirectoryDeep, OneEntryPastTheLimitLeavesTheTreeWholeAndSaysWhy) {
  for (const Kind& kind : kKinds) {
    SCOPED_TRACE(kind.label);
    TempDir dir;
    const fs::path root = dir.path() / "deep";
    const auto names = utility::testsupport::ChainNames(root.native().size(),
                                                        utility::platform::kMaxNativePathBytes + 1, kind.character);
    utility::testsupport::MakeChain(root, names);
    const std::size_t before = utility::testsupport::CountEntriesDeep(root);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(CUtility::RemoveDirectoryW(dir.Windows("deep")), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    // Every "side" file at the top would have gone first in a walk that deletes as it goes.
    EXPECT_EQ(utility::testsupport::CountEntriesDeep(root), before);
    EXPECT_TRUE(fs::exists(root / "side"));
  }
}

TEST(RemoveDirectoryDeep, UnitsCountForTheDirectoriesThatMustBeSearched) {
  // An ASCII path is as long in units as in bytes. A directory is emptied through the search
  // pattern "dir\*.*", four units longer than the directory's path, which must fit in 4095
  // units too: so an empty directory at 4091 units goes, one at 4092 stops the removal.
  struct Case {
    std::size_t length;
    bool removed;
  };
  constexpr DWORD kMaxPathUnits = utility::platform::kMaxPathUnits;
  for (const Case c : {Case{kMaxPathUnits - 4, true}, Case{kMaxPathUnits - 3, false}}) {
    SCOPED_TRACE(c.length);
    TempDir dir;
    const fs::path root = dir.path() / "deep";
    utility::testsupport::MakeChain(root, utility::testsupport::ChainNames(root.native().size(), c.length, "d"), true);
    const std::size_t before = utility::testsupport::CountEntriesDeep(root);
    SetLastError(ERROR_SUCCESS);
    const int result = CUtility::RemoveDirectoryW(dir.Windows("deep"));
    if (c.removed) {
      EXPECT_NE(result, 0);
      EXPECT_FALSE(fs::exists(fs::symlink_status(root)));
    } else {
      EXPECT_EQ(result, 0);
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
      EXPECT_EQ(utility::testsupport::CountEntriesDeep(root), before);
    }
  }
}

TEST(RemoveDirectoryDeep, NativeLengthsAddUpAsTheSystemCountsThem) {
  struct Case {
    const char16_t* name;
    DWORD bytes;
  };
  for (const Case& c : {Case{u"", 0}, Case{u"abc", 3}, Case{u"\u00e9\u07ff", 4}, Case{u"\u0800\uffff", 6},
                        Case{u"\U0001F600", 4}, Case{u"a\xDCFF", 2}, Case{u"\xD800", 3}, Case{u"\xD800x", 4}}) {
    SCOPED_TRACE(utility::testsupport::Utf8(c.name));
    const CString name(c.name);
    EXPECT_EQ(utility::platform::GetNativeNameLength(name, static_cast<DWORD>(name.GetLength())), c.bytes);
    // Where the name has a native form, the path calls form exactly that many bytes.
    std::string native;
    if (utility::platform::NativePath(CStringRef(name), native)) {
      EXPECT_EQ(native.size(), c.bytes);
    }
  }
  EXPECT_EQ(utility::platform::GetNativePathLength(reinterpret_cast<const WCHAR*>(u"\\tmp\\.\\x\\..\\y")), 6u);
  EXPECT_EQ(utility::platform::GetNativePathLength(reinterpret_cast<const WCHAR*>(u"a\\\u4e2d")), 5u);
}
