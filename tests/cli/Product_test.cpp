// The host program as a whole: every command of every group has help with examples and a
// completion entry, bad input is one line on stderr with status 2 (or 1 for a failed
// operation) and writes nothing, progress shows on a terminal only, and the demo leaves every
// directory it could touch as it found it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/Files.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using utility::testsupport::RunProgram;
using utility::testsupport::TempDir;
using utility::testsupport::UtilityProgram;

namespace {

// The names in the first column of a help page's section, e.g. the groups of "Groups:".
std::vector<std::string> Section(const std::string& help, const std::string& title) {
  std::vector<std::string> names;
  std::istringstream in(help);
  std::string line;
  bool inside = false;
  while (std::getline(in, line)) {
    if (line == title) {
      inside = true;
    } else if (inside && line.rfind("  ", 0) == 0) {
      names.push_back(line.substr(2, line.find(' ', 2) - 2));
    } else if (inside) {
      break;
    }
  }
  return names;
}

// Every command of the program, as "group command", read from the help pages.
std::vector<std::pair<std::string, std::string>> AllCommands(const TempDir& dir) {
  std::vector<std::pair<std::string, std::string>> all;
  const auto top = RunProgram(UtilityProgram(), {"--help"}, dir.path());
  EXPECT_FALSE(Section(top.out, "Examples:").empty());
  for (const std::string& group : Section(top.out, "Groups:")) {
    const auto help = RunProgram(UtilityProgram(), {group, "--help"}, dir.path());
    EXPECT_FALSE(Section(help.out, "Examples:").empty()) << group;
    for (const std::string& command : Section(help.out, "Commands:")) all.emplace_back(group, command);
  }
  return all;
}

std::size_t Lines(const std::string& s) {
  std::size_t n = 0;
  for (char c : s) n += c == '\n';
  return n;
}

}  // namespace

TEST(Product, EveryCommandHasHelpWithExamplesAndACompletionEntry) {
  TempDir dir;
  const auto all = AllCommands(dir);
  ASSERT_GE(all.size(), 30u);  // every group of the table, not an empty parse
  const auto completion = RunProgram(UtilityProgram(), {"completion", "bash"}, dir.path());
  ASSERT_EQ(completion.status, 0);
  for (const auto& [group, command] : all) {
    SCOPED_TRACE(group + " " + command);
    const auto r = RunProgram(UtilityProgram(), {group, command, "--help"}, dir.path());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.rfind("usage: utility " + group + " " + command, 0), 0u) << r.out;
    const auto examples = r.out.find("\nExamples:\n  utility " + group + " " + command);
    EXPECT_NE(examples, std::string::npos) << r.out;
    EXPECT_NE(r.out.find("--json"), std::string::npos);
    // The completion offers the command within its group, with the options its help lists.
    const auto groupCase = completion.out.find("\n    " + group + ")\n");
    ASSERT_NE(groupCase, std::string::npos);
    const auto line = completion.out.find("\n        " + command + ") ", groupCase);
    ASSERT_NE(line, std::string::npos);
    const std::string entry = completion.out.substr(line, completion.out.find('\n', line + 1) - line);
    for (const std::string& option : Section(r.out, "Options:")) {
      // A whole word of the completion's list, which is quoted and separated by blanks.
      bool found = false;
      for (const char* before : {" ", "\""}) {
        for (const char* after : {" ", "\""}) found = found || entry.find(before + option + after) != std::string::npos;
      }
      EXPECT_TRUE(found) << option << " in " << entry;
    }
  }
}

TEST(Product, BadInputIsOneLineAndWritesNothing) {
  TempDir dir;
  const std::string root = dir.path().string();
  utility::testsupport::WriteBytes(dir.path() / "plain.txt", "text");
  utility::testsupport::WriteBytes(dir.path() / "bad.reg", "\"v\"=dword:1\n");
  utility::testsupport::WriteBytes(dir.path() / "locked.log", "kept");
  utility::testsupport::MakeReadOnly(dir.path() / "locked.log");
  fs::create_directories(dir.path() / "registry");
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string error;
  };
  const Case cases[] = {
      // unknown types
      {{"bits", "get", "quad", "1", "1"}, 2, "unknown type 'quad'"},
      {{"bits", "get-variant", "I8", "1", "1"}, 2, "unknown variant type 'I8'"},
      {{"encoding", "to-wide", "x", "--via", "Nothing"}, 2, "unknown conversion 'Nothing'"},
      // malformed numbers
      {{"bits", "digit", "12x", "1"}, 2, "malformed value: '12x'"},
      {{"bits", "get", "uchar", "256", "1"}, 2, "uchar value out of range"},
      {{"bits", "get", "double", "1.0e", "1"}, 2, "malformed double value"},
      {{"system", "error-text", ""}, 2, "malformed error code"},
      {{"encoding", "to-ansi", "00zz", "--units"}, 2, "malformed units"},
      {{"encoding", "to-wide", "abc", "--via", "ToWideString", "--length", "two"}, 2, "malformed length"},
      {{"variant", "type", "I2", "--format", "x"}, 2, "malformed data format: 'x'"},
      // missing files and directories
      {{"files", "list", root + "/none"}, 1, "cannot read the directory " + root + "/none"},
      {{"names", "keyword", "if", "--file", root + "/none.ini"}, 1, "cannot read the keyword file"},
      {{"files", "rename", root + "/none", root + "/other"}, 1, "could not rename"},
      {{"files", "remove", "--yes", root + "/none"}, 1, "could not remove"},
      {{"tracklog", "save", root + "/none/app.log", "x"}, 1, "no entry written"},
      // a file where a directory is wanted, and a read-only log
      {{"files", "list", root + "/plain.txt"}, 1, "Not a directory"},
      {{"files", "create", root + "/plain.txt/sub"}, 1, "could not create"},
      {{"tracklog", "save", root + "/locked.log", "x"}, 1, "no entry written"},
      // the registry: an unknown value type, malformed data, a missing file, a bad root
      {{"reg", "set", "HKCU\\App", "v", "quad:1"}, 2, "unknown value type 'quad'"},
      {{"reg", "set", "HKCU\\App", "v", "dword:zz"}, 2, "malformed dword: 'zz'"},
      {{"reg", "import", root + "/none.txt"}, 1, "cannot read " + root + "/none.txt: No such file or directory"},
      {{"reg", "import", root + "/bad.reg"}, 2, root + "/bad.reg, line 1: a value before any [key] line"},
      {{"reg", "query", "HKXX\\App"}, 2, "a key starts with HKCU or HKLM"},
  };
  const auto before = utility::testsupport::EntriesBelow(dir.path());
  for (const Case& c : cases) {
    SCOPED_TRACE(utility::testsupport::CommandLine(c.args));
    const auto r = RunProgram(UtilityProgram(), c.args, dir.path(), "",
                              {"LC_ALL=C", "UTILITY_REGISTRY_DIR=" + root + "/registry"});
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("utility: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(c.error), std::string::npos) << r.err;
    // One line, and a hint line after usage errors only.
    EXPECT_EQ(Lines(r.err), c.status == 2 ? 2u : 1u) << r.err;
    EXPECT_EQ(utility::testsupport::EntriesBelow(dir.path()), before);
  }
  EXPECT_EQ(utility::testsupport::ReadBytes(dir.path() / "locked.log"), "kept");
}

// Runs the program with its standard error on a terminal, and returns what the terminal got.
std::string StderrOnATerminal(const std::vector<std::string>& args, const fs::path& workDir) {
  int master = -1;
  int slave = -1;
  if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return "(no terminal)";
  const std::string program = UtilityProgram().string();
  const pid_t pid = fork();
  if (pid == 0) {
    const int out = open((workDir / ".tty.out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(out, STDOUT_FILENO);
    dup2(slave, STDERR_FILENO);
    close(master);
    if (chdir(workDir.c_str()) != 0) _exit(127);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(slave);
  std::string seen;
  char buffer[256];
  ssize_t n;
  while ((n = read(master, buffer, sizeof buffer)) > 0) seen.append(buffer, static_cast<std::size_t>(n));
  close(master);
  int status = 0;
  waitpid(pid, &status, 0);
  fs::remove(workDir / ".tty.out");
  return seen;
}

TEST(Product, ProgressShowsOnATerminalOnlyAndIsClearedAtTheEnd) {
  TempDir dir;
  fs::create_directories(dir.path() / "tree" / "a" / "b");
  const std::string tree = (dir.path() / "tree").string();
  struct Case {
    std::vector<std::string> args;
    const char* shown;
  };
  ASSERT_EQ(RunProgram(UtilityProgram(), {"reg", "set", "HKCU\\Software\\App", "v", "dword:1"}, dir.path()).status, 0);
  for (const Case& c : {Case{{"files", "list", "--recursive", tree}, "listing "},
                        Case{{"tracklog", "save", tree + "/app.log", "entry"}, "appending to "},
                        Case{{"files", "remove", "--yes", tree + "/a"}, "removing "},
                        Case{{"reg", "export", "HKCU\\Software"}, "exporting "}}) {
    SCOPED_TRACE(c.args[1]);
    const std::string terminal = StderrOnATerminal(c.args, dir.path());
    EXPECT_EQ(terminal.rfind(c.shown, 0), 0u) << terminal;
    ASSERT_GE(terminal.size(), 4u);
    EXPECT_EQ(terminal.substr(terminal.size() - 4), "\r\033[K");  // the line is cleared
  }
  // Not a terminal: nothing at all on stderr.
  const auto quiet = RunProgram(UtilityProgram(), {"files", "list", "--recursive", tree}, dir.path());
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.err, "");
}

TEST(Product, DemoTouchesNothingOutsideItsOwnTemporaryDirectories) {
  TempDir dir;
  TempDir tmp;
  TempDir home;
  TempDir registry;
  const auto r = RunProgram(
      UtilityProgram(), {"demo"}, dir.path(), "",
      {"TMPDIR=" + tmp.path().string(), "HOME=" + home.path().string(),
       "XDG_CONFIG_HOME=" + home.path().string() + "/config", "UTILITY_REGISTRY_DIR=" + registry.path().string()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  for (const TempDir* d : {&dir, &tmp, &home, &registry})
    EXPECT_TRUE(utility::testsupport::EntriesBelow(d->path()).empty()) << d->path();
  // The tour runs in the order a new user meets things: names first, identity near the end.
  std::map<std::string, std::size_t> at;
  for (const char* section : {"== names", "== variant", "== tracklog", "== files", "== reg", "== identity"}) {
    at[section] = r.out.find(section);
    EXPECT_NE(at[section], std::string::npos) << section;
  }
  EXPECT_LT(at["== names"], at["== variant"]);
  EXPECT_LT(at["== variant"], at["== tracklog"]);
  EXPECT_LT(at["== tracklog"], at["== files"]);
  EXPECT_LT(at["== files"], at["== reg"]);
  EXPECT_LT(at["== reg"], at["== identity"]);
  EXPECT_NE(r.out.find("\\r\\n"), std::string::npos);  // the track log's bytes are shown
}
