// The `files` and `tracklog` groups: native paths in and out, the confirmation before a removal,
// and the messages that say why an operation stopped.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/DeepTree.h"
#include "support/Files.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using utility::testsupport::ReadBytes;
using utility::testsupport::RunProgram;
using utility::testsupport::TempDir;
using utility::testsupport::UtilityProgram;

TEST(FilesCommandsLinux, CreateListRenameAndRemoveAfterAYes) {
  TempDir dir;
  const std::string root = dir.path().string();
  const auto files = [&](const std::vector<std::string>& args, const std::string& input = "") {
    std::vector<std::string> line = {"files"};
    line.insert(line.end(), args.begin(), args.end());
    return RunProgram(UtilityProgram(), line, dir.path(), input);
  };
  // Each change is said, and what was there already is told apart from what was made.
  EXPECT_EQ(files({"create", root + "/a/b"}).out, "created " + root + "/a/b\n");
  EXPECT_EQ(files({"create", root + "/a/b"}).out, "already there: " + root + "/a/b\n");
  EXPECT_EQ(files({"create-parents", root + "/x/y/file.txt"}).status, 0);

  utility::testsupport::WriteBytes(dir.path() / "a" / "b" / "n.TXT", "");
  utility::testsupport::WriteBytes(dir.path() / "a" / "skip.doc", "");
  auto r = files({"list", "--filter", "*.txt", "-r", "--json", root + "/a"});
  EXPECT_EQ(r.out, "{\"directories\": [\"" + root + "/a/b\"], \"files\": [\"" + root + "/a/b/n.TXT\"]}\n");
  // Sorted by bytes unless asked otherwise; the library's own form on request.
  for (const char* name : {"b.txt", "B.txt", "a.txt", "c.txt"})
    utility::testsupport::WriteBytes(dir.path() / "a" / name, "");
  EXPECT_EQ(files({"list", root + "/a"}).out, "directories:\n  " + root + "/a/b\nfiles:\n  " + root + "/a/B.txt\n  " +
                                                  root + "/a/a.txt\n  " + root + "/a/b.txt\n  " + root +
                                                  "/a/c.txt\n  " + root + "/a/skip.doc\n");
  std::string library = root;
  for (char& c : library) c = c == '/' ? '\\' : c;
  EXPECT_EQ(files({"list", "--library-paths", "--filter", "*.doc", root + "/a"}).out,
            "directories:\n  " + library + "\\a\\b\nfiles:\n  " + library + "\\a\\skip.doc\n");

  EXPECT_EQ(files({"rename", root + "/a", root + "/x"}).status, 1);  // the target exists: nothing is replaced
  EXPECT_EQ(files({"rename", root + "/a", root + "/renamed"}).out, "renamed " + root + "/a to " + root + "/renamed\n");

  // Removal asks first; anything but yes keeps the tree.
  for (const char* answer : {"n\n", "", "maybe\n"}) {
    r = files({"remove", root + "/renamed"}, answer);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("not removed"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::exists(dir.path() / "renamed" / "skip.doc"));
  }
  EXPECT_EQ(files({"remove", root + "/renamed"}, "y\n").status, 0);
  EXPECT_FALSE(fs::exists(dir.path() / "renamed"));
  EXPECT_EQ(files({"remove", "-y", root + "/x"}).out, "removed " + root + "/x and everything in it\n");

  // A name that is not UTF-8 is listed quoted as the shell would type it, in JSON as an escape,
  // and removed exactly.
  fs::create_directories(dir.path() / "t" / "\xFF");
  EXPECT_EQ(files({"list", root + "/t"}).out, "directories:\n  $'" + root + "/t/\\xff'\nfiles:\n");
  EXPECT_NE(files({"list", "--json", root + "/t"}).out.find("/t/\\udcff\""), std::string::npos);
  EXPECT_EQ(files({"remove", "--yes", root + "/t/\xFF"}).status, 0);
  EXPECT_FALSE(fs::exists(dir.path() / "t" / "\xFF"));
}

TEST(FilesCommandsLinux, AStoppedOperationSaysWhy) {
  TempDir dir;
  // A read-only file stops the removal: its path and the system's error are named.
  fs::create_directories(dir.path() / "t" / "sub");
  utility::testsupport::WriteBytes(dir.path() / "t" / "sub" / "locked", "");
  utility::testsupport::MakeReadOnly(dir.path() / "t" / "sub" / "locked");
  auto r = RunProgram(UtilityProgram(), {"files", "remove", "--yes", (dir.path() / "t").string()}, dir.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find((dir.path() / "t" / "sub" / "locked").string() + ": cannot delete it (Win32 error 5)"),
            std::string::npos)
      << r.err;
  // A tree too deep for the system is refused whole, with the limit named.
  const fs::path deep = dir.path() / "deep";
  utility::testsupport::MakeChain(deep, utility::testsupport::ChainNames(deep.native().size(), 4096, "\xE4\xB8\xAD"));
  r = RunProgram(UtilityProgram(), {"files", "remove", "--yes", deep.string()}, dir.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("a path in the tree is longer than the system takes at most 4095 bytes"), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("nothing was removed"), std::string::npos) << r.err;
  // A path too long itself is named shortened, not with four thousand letters of it.
  const std::string tooLong = (dir.path() / std::string(4096, 'a')).string();
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"files", "create", tooLong}, {"files", "remove", "--yes", tooLong}}) {
    SCOPED_TRACE(args[1]);
    r = RunProgram(UtilityProgram(), args, dir.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("the path is too long"), std::string::npos) << r.err;
    EXPECT_LT(r.err.size(), 400u);
    EXPECT_NE(r.err.find((dir.path() / "aaaaaaaa").string()), std::string::npos) << r.err;
  }
}

TEST(TrackLogCommandsLinux, SaveAndShowAsUtf8AndAProgramCopyWithoutItsModules) {
  TempDir dir;
  // A relative path is relative to the current directory, as everywhere in a shell.
  auto r = RunProgram(UtilityProgram(), {"tracklog", "save", "app.log", "hello \xE4\xB8\xAD\nnext"}, dir.path());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "appended an entry to app.log\n");
  // show gives the entry (code page 936, CR LF) back as UTF-8 with LF line ends.
  r = RunProgram(UtilityProgram(), {"tracklog", "show", "app.log"}, dir.path());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, 59), std::string(58, '=') + "\n");
  EXPECT_EQ(r.out.substr(82), " : hello \xE4\xB8\xAD\nnext\n\n");
  r = RunProgram(UtilityProgram(), {"tracklog", "show", "none.log"}, dir.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "utility: cannot read none.log: No such file or directory\n");

  // A copy of the program in the test's directory has that directory as its host directory.
  const fs::path bin = dir.path() / "bin";
  fs::create_directories(bin);
  fs::copy_file(UtilityProgram(), bin / "utility");
  const std::string libs =
      "LD_LIBRARY_PATH=" + (UtilityProgram().parent_path().parent_path() / UTILITY_LIBDIR).string();
  // Neither beside the copy nor in the staged tree's installed directories are the identity
  // module and the keyword file: the answer is status 3 with the places named, not a silent 0.
  for (const auto& [args, file] :
       {std::pair<std::vector<std::string>, std::string>{{"identity", "disk-id"}, "DiskID.dll"},
        {{"names", "keyword", "if"}, "KeyWords.ini"}}) {
    r = RunProgram(bin / "utility", args, dir.path(), "", {libs});
    EXPECT_EQ(r.status, 3) << file;
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("is not installed: no " + (bin / file).string() + " or "), std::string::npos) << r.err;
  }
}
