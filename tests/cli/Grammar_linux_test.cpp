// The program as a whole: help at every level with examples and a completion entry for every
// command, one-line errors with a hint and status 2 for bad usage (1 for a failed operation)
// that write nothing, progress on a terminal only, and a demo that leaves nothing behind.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <regex>
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
  bool inside = false;
  for (std::string line; std::getline(in, line);) {
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

TEST(Grammar, HelpAtEveryLevelSucceedsAndShowsUsage) {
  TempDir dir;
  struct Case {
    std::vector<std::string> args;
    const char* shown;  // what the page starts with
  };
  for (const Case& c :
       {Case{{"--help"}, "usage: utility <group>"}, Case{{"help"}, "usage: utility <group>"},
        Case{{"module", "--help"}, "usage: utility module <command>"},
        Case{{"help", "module"}, "usage: utility module <command>"},
        Case{{"module", "file-name", "-h"}, "usage: utility module file-name <path>"},
        Case{{"help", "module", "file-name"}, "usage: utility module file-name <path>"},
        Case{{"demo", "--help"}, "usage: utility demo"},
        Case{{"completion", "-h"}, "usage: utility completion bash|zsh|fish"},
        Case{{"--version"}, "utility " UTILITY_VERSION "\n"}, Case{{"-V"}, "utility " UTILITY_VERSION "\n"},
        Case{{"version"}, "utility " UTILITY_VERSION "\n"}}) {
    SCOPED_TRACE(utility::testsupport::CommandLine(c.args));
    const auto r = RunProgram(UtilityProgram(), c.args, dir.path());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind(c.shown, 0), 0u) << r.out;
    EXPECT_EQ(r.err, "");
  }
}

TEST(Grammar, EveryCommandHasHelpWithExamplesAndACompletionEntry) {
  TempDir dir;
  const auto top = RunProgram(UtilityProgram(), {"--help"}, dir.path());
  EXPECT_FALSE(Section(top.out, "Examples:").empty());
  const auto completion = RunProgram(UtilityProgram(), {"completion", "bash"}, dir.path());
  ASSERT_EQ(completion.status, 0);
  std::size_t commands = 0;
  for (const std::string& group : Section(top.out, "Groups:")) {
    const auto help = RunProgram(UtilityProgram(), {group, "--help"}, dir.path());
    EXPECT_FALSE(Section(help.out, "Examples:").empty()) << group;
    const auto groupCase = completion.out.find("\n    " + group + ")\n");
    ASSERT_NE(groupCase, std::string::npos) << group;
    for (const std::string& command : Section(help.out, "Commands:")) {
      SCOPED_TRACE(group + " " + command);
      ++commands;
      const auto r = RunProgram(UtilityProgram(), {group, command, "--help"}, dir.path());
      EXPECT_EQ(r.status, 0);
      EXPECT_EQ(r.err, "");
      EXPECT_EQ(r.out.rfind("usage: utility " + group + " " + command, 0), 0u) << r.out;
      EXPECT_NE(r.out.find("\nExamples:\n  utility " + group + " " + command), std::string::npos) << r.out;
      EXPECT_NE(r.out.find("--json"), std::string::npos);
      // The completion offers the command within its group, with every option its help lists
      // (long and short forms) as a whole word of its quoted, blank-separated list.
      const std::string groupLine =
          completion.out.substr(groupCase, completion.out.find("cmd=", groupCase) - groupCase);
      EXPECT_TRUE(std::regex_search(groupLine, std::regex(" " + command + "[ ']"))) << groupLine;
      const auto line = completion.out.find("\n    '" + group + " " + command + "|options') echo '");
      ASSERT_NE(line, std::string::npos);
      const std::string entry = completion.out.substr(line, completion.out.find('\n', line + 1) - line) + " ";
      std::size_t options = 0;
      const std::string page = r.out.substr(r.out.find("\nOptions:\n"));
      const std::regex optionName(R"(\n  (?:(-[a-zA-Z]), |    )(--[a-z-]+))");
      for (auto it = std::sregex_iterator(page.begin(), page.end(), optionName); it != std::sregex_iterator(); ++it) {
        ++options;
        for (const std::string& name : {(*it)[2].str(), (*it)[1].str()}) {
          if (!name.empty()) {
            EXPECT_TRUE(std::regex_search(entry, std::regex("[ ']" + name + "[ ']"))) << name;
          }
        }
      }
      EXPECT_GE(options, 3u) << r.out;  // --json, --library-paths and --help at least
    }
  }
  EXPECT_GE(commands, 30u);  // every group of the table, not an empty parse
}

TEST(Grammar, BadUsageNamesTheMistakeAndTheHelpToRead) {
  TempDir dir;
  struct Case {
    std::vector<std::string> args;
    std::string error;
    std::string hint;
  };
  for (const Case& c :
       {Case{{"no-such-group"}, "unknown command group 'no-such-group'", "utility --help"},
        // A long word is quoted shortened, and the hint never repeats it.
        Case{{std::string(200, 'x')}, "unknown command group '" + std::string(77, 'x') + "...'", "utility --help"},
        Case{{"module", "nope"}, "unknown command 'nope' in group module", "utility module --help"},
        Case{{"module", "file-name"},
             "missing argument: file-name expects <path>, 0 given",
             "utility module file-name --help"},
        Case{{"module", "file-name", "a", "b"},
             "too many arguments: file-name expects <path>, 2 given (the first extra one is 'b')",
             "utility module file-name --help"},
        // "--" ends the options once: a second one is an argument like any other.
        Case{{"module", "file-name", "--", "--", "x"},
             "too many arguments: file-name expects <path>, 2 given (the first extra one is 'x')",
             "utility module file-name --help"},
        Case{{"module", "path", "--colour"}, "unknown option '--colour'", "utility module path --help"},
        Case{{"module", "path", "--json=yes"}, "option --json takes no value", "utility module path --help"},
        Case{{"demo", "extra"},
             "too many arguments: demo expects no arguments, 1 given (the first extra one is 'extra')",
             "utility demo --help"},
        // A bare program or group is a usage error too, never a page of help on stdout.
        Case{{}, "a command group is missing", "utility --help"},
        Case{{"module"}, "a command is missing after 'module'", "utility module --help"},
        // A likely typing error is answered with the word meant; the hint is never the typo's.
        Case{{"nmaes"}, "unknown command group 'nmaes'; did you mean 'names'?", "utility --help"},
        Case{{"names", "chekc"},
             "unknown command 'chekc' in group names; did you mean 'check'?",
             "utility names --help"},
        Case{{"names", "check", "--fre-form", "x"},
             "unknown option '--fre-form'; did you mean '--free-form'?",
             "utility names check --help"},
        Case{{"files", "remove", "-q", "x"}, "unknown option '-q'", "utility files remove --help"},
        Case{{"help", "fils"},
             "unknown group 'fils' (one of module, encoding, variant, bits, names, files, tracklog, system, identity, "
             "reg); did you mean 'files'?",
             "utility help --help"},
        Case{{"completion", "tcsh"}, "unknown shell 'tcsh' (one of bash, zsh, fish)", "utility completion --help"}}) {
    SCOPED_TRACE(c.error);
    const auto r = RunProgram(UtilityProgram(), c.args, dir.path());
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "utility: " + c.error + "\nTry '" + c.hint + "'.\n");
    // The hint is a command that works.
    std::istringstream words(c.hint);
    std::vector<std::string> hint{std::istream_iterator<std::string>(words), std::istream_iterator<std::string>()};
    const auto help = RunProgram(UtilityProgram(), std::vector<std::string>(hint.begin() + 1, hint.end()), dir.path());
    EXPECT_EQ(help.status, 0) << c.hint;
    EXPECT_EQ(help.out.rfind("usage: utility", 0), 0u) << c.hint;
  }
}

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
      {{"bits", "get-variant", "I8", "1", "1"}, 2, "unknown variant type 'I8'"},
      {{"bits", "set", "int", "1", "1", "maybe"}, 2, "unknown flag 'maybe' (one of 0, 1, true, false)"},
      {{"bits", "digit", "12x", "1"}, 2, "malformed value: '12x'"},
      {{"bits", "get", "uchar", "256", "1"}, 2, "uchar value out of range"},
      {{"bits", "get", "double", "1.0e", "1"}, 2, "malformed double value"},
      {{"encoding", "to-wide", "x", "--via", "Nothing"}, 2, "unknown conversion 'Nothing'"},
      {{"encoding", "to-wide", "--bytes", "zz"}, 2, "malformed bytes"},
      {{"encoding", "to-ansi", "--units", "123"}, 2, "malformed units"},
      {{"encoding", "to-wide", "abc", "--via", "ToWideString", "--length", "two"}, 2, "malformed length"},
      {{"encoding", "to-wide", "x", "--via", "ToWideString", "--length", "-2"}, 2, "length out of range"},
      {{"variant", "show", "FLOAT", "1"}, 2, "unknown variant type 'FLOAT'"},
      {{"variant", "type", "I4|BOGUS"}, 2, "unknown variant type 'I4|BOGUS'"},
      {{"variant", "show", "I4", "12x"}, 2, "malformed VT_I4 value: '12x'"},
      {{"variant", "show", "R8", "pi"}, 2, "malformed VT_R8 value"},
      {{"variant", "show", "I2", "40000"}, 2, "VT_I2 value out of range"},
      {{"variant", "show", "I4"}, 2, "missing value for VT_I4"},
      {{"variant", "show", "NULL", "1"}, 2, "VT_NULL takes no value"},
      {{"variant", "show", "DATE", "someday"}, 2, "malformed date"},
      {{"variant", "show", "DATE", "10000-01-01"}, 2, "date out of range"},
      {{"variant", "show", "UNKNOWN", "1"}, 2, "cannot be given on the command line"},
      {{"variant", "show", "I4", "1", "--places", "two"}, 2, "malformed place count"},
      {{"variant", "store", "I2", "lots"}, 2, "malformed number"},
      {{"variant", "type", "70000"}, 2, "variant type code out of range"},
      {{"variant", "type", "I2", "--format", "x"}, 2, "malformed data format: 'x'"},
      {{"reg", "set", "HKCU\\App", "v", "quad:1"}, 2, "unknown value type 'quad'"},
      {{"reg", "set", "HKCU\\App", "v", "dword:zz"}, 2, "malformed dword: 'zz'"},
      {{"reg", "import", root + "/bad.reg"}, 2, root + "/bad.reg, line 1: a value before any [key] line"},
      {{"reg", "query", "HKXX\\App"}, 2, "a key starts with HKCU or HKLM"},
      // operations that fail: missing files, a file where a directory is wanted, refusals
      {{"files", "list", root + "/none"}, 1, "cannot read the directory " + root + "/none"},
      {{"files", "create", root + "/plain.txt/sub"}, 1, "could not create"},
      {{"files", "rename", root + "/none", root + "/other"}, 1, "could not rename"},
      {{"files", "remove", "--yes", root + "/none"}, 1, "could not remove"},
      {{"names", "keyword", "if", "--file", root + "/none.ini"}, 1, "cannot read the keyword file"},
      {{"tracklog", "save", root + "/locked.log", "x"}, 1, "no entry written"},
      {{"reg", "import", root + "/none.txt"}, 1, "cannot read " + root + "/none.txt: No such file or directory"},
      {{"system", "error-text", "0x12345"}, 1, "no message for code 0x12345"},
      {{"system", "affinity", "0"}, 1, "refused mask 0x0"},
      {{"system", "affinity", "1", "--thread", "2147483647"}, 1, "no thread has the id"},
      {{"system", "string", "missing.so", "1"}, 1, "cannot load the module"},
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
                        Case{{"tracklog", "save", tree + "/app.log", "entry"}, "appending to "},
                        Case{{"files", "remove", "--yes", tree + "/a"}, "removing "},
                        Case{{"reg", "export", "HKCU\\Software"}, "exporting "}}) {
    SCOPED_TRACE(c.args[1]);
    const std::string terminal = StderrOnATerminal(c.args, dir.path());
    EXPECT_EQ(terminal.rfind(c.shown, 0), 0u) << terminal;
    EXPECT_TRUE(terminal.ends_with("\r\033[K")) << terminal;  // the line is cleared
  }
  // Not a terminal: nothing at all on stderr.
  EXPECT_EQ(RunProgram(UtilityProgram(), {"files", "list", "--recursive", tree}, dir.path()).err, "");
}

TEST(Grammar, DemoTouchesNothingOutsideItsOwnTemporaryDirectories) {
  TempDir dir, tmp, home, registry;
  const auto r = RunProgram(
      UtilityProgram(), {"demo"}, dir.path(), "",
      {"TMPDIR=" + tmp.path().string(), "HOME=" + home.path().string(),
       "XDG_CONFIG_HOME=" + home.path().string() + "/config", "UTILITY_REGISTRY_DIR=" + registry.path().string()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  for (const TempDir* d : {&dir, &tmp, &home, &registry})
    EXPECT_TRUE(utility::testsupport::EntriesBelow(d->path()).empty()) << d->path();
  // The tour runs in the order a new user meets things: names first, identity near the end.
  std::size_t last = 0;
  for (const char* section : {"== names", "== variant", "== tracklog", "== files", "== reg", "== identity"}) {
    const std::size_t at = r.out.find(section);
    EXPECT_NE(at, std::string::npos) << section;
    EXPECT_GT(at, last) << section;
    last = at;
  }
  EXPECT_NE(r.out.find("\\r\\n"), std::string::npos);  // the track log's bytes are shown
}
