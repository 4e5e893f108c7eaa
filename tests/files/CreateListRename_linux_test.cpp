// What needs Linux: a child process in another current directory, and symbolic links.
#include <Utility/Utility.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "files/ListedNames.h"
#include "support/Files.h"
#include "support/TempDir.h"
#include "support/posix/Child.h"

namespace fs = std::filesystem;
using utility::testsupport::Names;
using utility::testsupport::NameSet;
using utility::testsupport::TempDir;
using utility::testsupport::WriteBytes;

TEST(CreateAllDirectories, ARelativeNameIsCreatedInTheCurrentDirectory) {
  // The child process moves to the test's directory; the test process's own stays as it is.
  TempDir dir;
  EXPECT_EQ(utility::testsupport::RunInChild([&] {
              return chdir(dir.path().c_str()) == 0 ? CUtility::CreateAllDirectories(CString(u"rel\\sub")) : 9;
            }),
            1);
  EXPECT_TRUE(fs::is_directory(dir.path() / "rel" / "sub"));
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
  // Without recursion only the top level; a path given with a trailing backslash gets another.
  CStringArray topDirs, topFiles;
  CUtility::GetDirInfo(base, u"*.*", topDirs, topFiles, 0);
  EXPECT_EQ(NameSet(topFiles, base + u"\\"), std::set<std::string>{"a.txt"});
  EXPECT_EQ(NameSet(topDirs, base + u"\\"), (std::set<std::string>{"sub", "other"}));
}
