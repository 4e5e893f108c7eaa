// The program as Linux runs it: one-line errors with status 1 for failed operations on Linux
// paths, modules and messages, that write nothing; progress on a pseudo-terminal only. (That the
// demo leaves nothing behind is checked on the packaged program, by scripts/package-test.sh.)
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
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

// Runs the program with its standard error on a terminal, and returns what the terminal got.
std::string StderrOnATerminal(const std::vector<std::string>& args, const fs::path& workDir) {
  int master = -1, slave = -1;
  if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return "(no terminal)";
  const std::string program = UtilityProgram().string();
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(open((workDir / ".tty.out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDOUT_FILENO);
    dup2(slave, STDERR_FILENO);
    close(master);
    if (chdir(workDir.c_str()) == 0) execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(slave);
  std::string seen;
  char buffer[256];
  for (ssize_t n; (n = read(master, buffer, sizeof buffer)) > 0;) seen.append(buffer, static_cast<std::size_t>(n));
  close(master);
  waitpid(pid, nullptr, 0);
  fs::remove(workDir / ".tty.out");
  return seen;
}

}  // namespace

TEST(Grammar, BadInputIsOneLineAndWritesNothing) {
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
      // unknown names and malformed numbers: usage errors
      {{"bits", "get", "quad", "1", "1"}, 2, "unknown type 'quad'"},
      {{"bits", "set", "int", "1", "1", "maybe"}, 2, "unknown flag 'maybe' (one of 0, 1, true, false)"},
      {{"bits", "digit", "12x", "1"}, 2, "malformed value: '12x'"},
      {{"bits", "get", "uchar", "256", "1"}, 2, "uchar value out of range"},
      {{"encoding", "to-wide", "--bytes", "zz"}, 2, "malformed bytes"},
      {{"encoding", "to-wide", "x", "--via", "ToWideString", "--length", "-2"}, 2, "length out of range"},
      {{"variant", "show", "I4", "12x"}, 2, "malformed VT_I4 value: '12x'"},
      {{"variant", "show", "I4"}, 2, "missing value for VT_I4"},
      {{"variant", "show", "NULL", "1"}, 2, "VT_NULL takes no value"},
      {{"reg", "import", root + "/bad.reg"}, 2, root + "/bad.reg, line 1: a value before any [key] line"},
      {{"reg", "query", "HKXX\\App"}, 2, "a key starts with HKCU or HKLM"},
      // operations that fail: missing files, a file where a directory is wanted, refusals
      {{"files", "list", root + "/none"}, 1, "cannot read the directory " + root + "/none"},
      {{"files", "create", root + "/plain.txt/sub"}, 1, "could not create"},
      {{"tracklog", "save", root + "/locked.log", "x"}, 1, "no entry written"},
      {{"reg", "import", root + "/none.txt"}, 1, "cannot read " + root + "/none.txt: No such file or directory"},
      {{"system", "error-text", "0x12345"}, 1, "no message for code 0x12345"},
      {{"system", "affinity", "0"}, 1, "refused mask 0x0"},
      {{"module", "name", "libNoSuch.so"}, 1, "no loaded module is named 'libNoSuch.so'"},
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
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), c.status == 2 ? 2 : 1) << r.err;
    EXPECT_EQ(utility::testsupport::EntriesBelow(dir.path()), before);
  }
  EXPECT_EQ(utility::testsupport::ReadBytes(dir.path() / "locked.log"), "kept");
}

TEST(Grammar, ProgressShowsOnATerminalOnlyAndIsClearedAtTheEnd) {
  TempDir dir;
  fs::create_directories(dir.path() / "tree" / "a" / "b");
  const std::string tree = (dir.path() / "tree").string();
  ASSERT_EQ(RunProgram(UtilityProgram(), {"reg", "set", "HKCU\\Software\\App", "v", "dword:1"}, dir.path()).status, 0);
  struct Case {
    std::vector<std::string> args;
    const char* shown;
  };
  for (const Case& c : {Case{{"files", "list", "--recursive", tree}, "listing "},
                        Case{{"reg", "export", "HKCU\\Software"}, "exporting "}}) {
    SCOPED_TRACE(c.args[1]);
    const std::string terminal = StderrOnATerminal(c.args, dir.path());
    EXPECT_EQ(terminal.rfind(c.shown, 0), 0u) << terminal;
    EXPECT_TRUE(terminal.ends_with("\r\033[K")) << terminal;  // the line is cleared
  }
  // Not a terminal: nothing at all on stderr.
  EXPECT_EQ(RunProgram(UtilityProgram(), {"files", "list", "--recursive", tree}, dir.path()).err, "");
}
