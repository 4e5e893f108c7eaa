// The program as a whole: help at every level, with examples for every command, and usage errors
// that name the mistake and the help to read (Grammar_linux_test.cpp: failed operations, progress
// on a terminal, the demo's temporary directories).
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
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

}  // namespace

TEST(Grammar, HelpAtEveryLevelSucceedsAndShowsUsage) {
  TempDir dir;
  struct Case {
    std::vector<std::string> args;
    const char* shown;  // what the page starts with
  };
  // Each way of asking: the option, its short form and the help command, at each level.
  for (const Case& c :
       {Case{{"--help"}, "usage: utility <group>"}, Case{{"help", "module"}, "usage: utility module <command>"},
        Case{{"module", "file-name", "-h"}, "usage: utility module file-name <path>"},
        Case{{"help", "module", "file-name"}, "usage: utility module file-name <path>"},
        Case{{"--version"}, "utility " UTILITY_VERSION "\n"}, Case{{"-V"}, "utility " UTILITY_VERSION "\n"},
        Case{{"version"}, "utility " UTILITY_VERSION "\n"}}) {
    SCOPED_TRACE(utility::testsupport::CommandLine(c.args));
    const auto r = RunProgram(UtilityProgram(), c.args, dir.path());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind(c.shown, 0), 0u) << r.out;
    EXPECT_EQ(r.err, "");
  }
}

// Every command of every group answers --help with its usage, an example and its options. What
// the completions offer comes from the same command table; the shells' own checks load them.
TEST(Grammar, EveryCommandHasHelpWithExamples) {
  TempDir dir;
  const auto top = RunProgram(UtilityProgram(), {"--help"}, dir.path());
  EXPECT_FALSE(Section(top.out, "Examples:").empty());
  std::size_t commands = 0;
  for (const std::string& group : Section(top.out, "Groups:")) {
    const auto help = RunProgram(UtilityProgram(), {group, "--help"}, dir.path());
    EXPECT_FALSE(Section(help.out, "Examples:").empty()) << group;
    for (const std::string& command : Section(help.out, "Commands:")) {
      SCOPED_TRACE(group + " " + command);
      ++commands;
      const auto r = RunProgram(UtilityProgram(), {group, command, "--help"}, dir.path());
      EXPECT_EQ(r.status, 0);
      EXPECT_EQ(r.err, "");
      EXPECT_EQ(r.out.rfind("usage: utility " + group + " " + command, 0), 0u) << r.out;
      EXPECT_NE(r.out.find("\nExamples:\n  utility " + group + " " + command), std::string::npos) << r.out;
      EXPECT_NE(r.out.find("\nOptions:\n"), std::string::npos) << r.out;
      EXPECT_NE(r.out.find("--json"), std::string::npos);
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
        // A bare program or group is a usage error too, never a page of help on stdout.
        Case{{}, "a command group is missing", "utility --help"},
        Case{{"module"}, "a command is missing after 'module'", "utility module --help"},
        // A likely typing error is answered with the word meant; the hint is never the typo's.
        Case{{"nmaes"}, "unknown command group 'nmaes'; did you mean 'names'?", "utility --help"},
        Case{{"names", "check", "--fre-form", "x"},
             "unknown option '--fre-form'; did you mean '--free-form'?",
             "utility names check --help"},
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
