// The host program's `files` and `tracklog` groups: what they do on disk, the confirmation
// before a removal, exit statuses, and the track log beside the program.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/DeepTree.h"
#include "support/Files.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using utility::testsupport::RunProgram;
using utility::testsupport::TempDir;
using utility::testsupport::UtilityProgram;

TEST(FilesCommands, CreateListRenameAndRemove) {
  TempDir dir;
  const std::string root = dir.path().string();
  auto r = RunProgram(UtilityProgram(), {"files", "create", root + "/a/b/c"}, dir.path());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::is_directory(dir.path() / "a" / "b" / "c"));
  r = RunProgram(UtilityProgram(), {"files", "create-parents", root + "/x/y/file.txt"}, dir.path());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::is_directory(dir.path() / "x" / "y"));
  EXPECT_FALSE(fs::exists(dir.path() / "x" / "y" / "file.txt"));

  utility::testsupport::WriteBytes(dir.path() / "a" / "b" / "n.TXT", "");
  utility::testsupport::WriteBytes(dir.path() / "a" / "skip.doc", "");
  r = RunProgram(UtilityProgram(), {"files", "list", "--filter", "*.txt", "--recursive", "--json", root + "/a"},
                 dir.path());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"" + root + "/a/b\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"files\": [\"" + root + "/a/b/n.TXT\"]"), std::string::npos) << r.out;

  r = RunProgram(UtilityProgram(), {"files", "rename", root + "/a", root + "/x"}, dir.path());
  EXPECT_EQ(r.status, 1);  // the target exists: nothing is replaced
  EXPECT_TRUE(fs::is_directory(dir.path() / "x" / "y"));
  r = RunProgram(UtilityProgram(), {"files", "rename", root + "/a", root + "/renamed"}, dir.path());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::exists(dir.path() / "renamed" / "skip.doc"));

  // Removal asks first; anything but yes keeps the tree.
  for (const char* answer : {"n\n", "", "maybe\n"}) {
    r = RunProgram(UtilityProgram(), {"files", "remove", root + "/renamed"}, dir.path(), answer);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("not removed"), std::string::npos);
    EXPECT_TRUE(fs::exists(dir.path() / "renamed" / "skip.doc"));
  }
  r = RunProgram(UtilityProgram(), {"files", "remove", root + "/renamed"}, dir.path(), "y\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(fs::exists(dir.path() / "renamed"));
  r = RunProgram(UtilityProgram(), {"files", "remove", "--yes", root + "/x"}, dir.path());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(fs::exists(dir.path() / "x"));
}

TEST(FilesCommands, ARemovalStoppedByAReadOnlyFileSaysWhere) {
  TempDir dir;
  fs::create_directories(dir.path() / "t" / "sub");
  utility::testsupport::WriteBytes(dir.path() / "t" / "sub" / "locked", "");
  utility::testsupport::MakeReadOnly(dir.path() / "t" / "sub" / "locked");
  const auto r = RunProgram(UtilityProgram(), {"files", "remove", "--yes", (dir.path() / "t").string()}, dir.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find((dir.path() / "t" / "sub" / "locked").string()), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("error 5"), std::string::npos) << r.err;
  EXPECT_TRUE(fs::exists(dir.path() / "t" / "sub" / "locked"));
}

TEST(FilesCommands, ATreeTooDeepForTheSystemIsRefusedWholeWithTheLimitNamed) {
  TempDir dir;
  const fs::path root = dir.path() / "deep";
  utility::testsupport::MakeChain(root, utility::testsupport::ChainNames(root.native().size(), 4096, "\xE4\xB8\xAD"));
  const std::size_t before = utility::testsupport::CountEntriesDeep(root);
  const auto r = RunProgram(UtilityProgram(), {"files", "remove", "--yes", root.string()}, dir.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("a path in the tree is longer than the system takes at most 4095 bytes"), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("nothing was removed"), std::string::npos) << r.err;
  EXPECT_EQ(utility::testsupport::CountEntriesDeep(root), before);
}

TEST(FilesCommands, APathTooLongForTheSystemIsReportedAsSuch) {
  TempDir dir;
  const std::string tooLong = (dir.path() / std::string(4096, 'a')).string();
  struct Case {
    std::vector<std::string> args;
  };
  for (const Case& c : {Case{{"files", "create", tooLong}}, Case{{"files", "create-parents", tooLong + "/f"}},
                        Case{{"files", "list", tooLong}}, Case{{"files", "remove", "--yes", tooLong}},
                        Case{{"files", "rename", tooLong, (dir.path() / "b").string()}}}) {
    SCOPED_TRACE(c.args[1]);
    const auto r = RunProgram(UtilityProgram(), c.args, dir.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("the path is too long"), std::string::npos) << r.err;
    // The message names the path shortened, not four thousand letters of it.
    EXPECT_LT(r.err.size(), 400u);
    EXPECT_NE(r.err.find((dir.path() / "aaaaaaaa").string()), std::string::npos) << r.err;
  }
}

TEST(TrackLogCommands, SaveByPathAndByNameBesideTheProgram) {
  TempDir dir;
  const auto r =
      RunProgram(UtilityProgram(), {"tracklog", "save", (dir.path() / "app.log").string(), "hello"}, dir.path());
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string log = utility::testsupport::ReadBytes(dir.path() / "app.log");
  EXPECT_EQ(log.substr(0, 60), std::string(58, '=') + "\r\n");
  EXPECT_EQ(log.substr(83), " : hello\r\n\r\n");

  const auto missing =
      RunProgram(UtilityProgram(), {"tracklog", "save", (dir.path() / "none" / "app.log").string(), "x"}, dir.path());
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("no entry written"), std::string::npos);

  // A copy of the program in the test's directory makes that directory the host directory.
  const fs::path bin = dir.path() / "bin";
  fs::create_directories(bin);
  fs::copy_file(UtilityProgram(), bin / "utility");
  const std::string libs = "LD_LIBRARY_PATH=" + (UtilityProgram().parent_path().parent_path() / "lib").string();
  auto ex = RunProgram(bin / "utility", {"tracklog", "save-ex", "trace.log", "one"}, dir.path(), "", {libs});
  EXPECT_EQ(ex.status, 0) << ex.err;
  ex = RunProgram(bin / "utility", {"tracklog", "save-ex", "--new", "trace.log", "two"}, dir.path(), "", {libs});
  EXPECT_EQ(ex.status, 0) << ex.err;
  const std::string trace = utility::testsupport::ReadBytes(bin / "trace.log");
  EXPECT_EQ(trace.size(), 60u + 26u + 3u + 4u);
  EXPECT_EQ(trace.substr(83), " : two\r\n\r\n");
}

TEST(FilesCommands, ALinkSpelledAsADirectoryAndANameThatIsNotUtf8AreRemovedExactly) {
  TempDir dir;
  const std::string root = dir.path().string();
  fs::create_directories(dir.path() / "outside");
  utility::testsupport::WriteBytes(dir.path() / "outside" / "precious", "keep");
  fs::create_directories(dir.path() / "t");
  for (const char* tail : {"/", "/.", "\\", "\\."}) {
    SCOPED_TRACE(tail);
    fs::create_directory_symlink(dir.path() / "outside", dir.path() / "t" / "link");
    const auto r = RunProgram(UtilityProgram(), {"files", "remove", "--yes", root + "/t/link" + tail}, dir.path());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir.path() / "t" / "link")));
    EXPECT_EQ(utility::testsupport::ReadBytes(dir.path() / "outside" / "precious"), "keep");
  }

  // "\xFF" and U+FFFD side by side: the listing shows each as it is, in JSON as an escape.
  fs::create_directories(dir.path() / "t" / "\xFF");
  fs::create_directories(dir.path() / "t" / "\xEF\xBF\xBD");
  auto r = RunProgram(UtilityProgram(), {"files", "list", root + "/t"}, dir.path());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find(root + "/t/\xFF\n"), std::string::npos) << r.out;
  r = RunProgram(UtilityProgram(), {"files", "list", "--json", root + "/t"}, dir.path());
  EXPECT_NE(r.out.find("/t/\\udcff\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("/t/\xEF\xBF\xBD\""), std::string::npos) << r.out;
  r = RunProgram(UtilityProgram(), {"files", "remove", "--yes", root + "/t/\xFF"}, dir.path());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(fs::exists(dir.path() / "t" / "\xFF"));
  EXPECT_TRUE(fs::is_directory(dir.path() / "t" / "\xEF\xBF\xBD"));
}
