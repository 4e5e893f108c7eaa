// The host program's command grammar: help at every level, exit statuses, one-line errors,
// --json output that parses back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/RunProgram.h"
#include "support/TempDir.h"

using utility::testsupport::RunProgram;
using utility::testsupport::TempDir;
using utility::testsupport::UtilityProgram;

TEST(Grammar, HelpAtEveryLevelSucceedsAndShowsUsage) {
  TempDir dir;
  struct Case {
    std::vector<std::string> args;
    const char* mustContain;
  };
  for (const Case& c : {Case{{"--help"}, "usage: utility <group>"}, Case{{"help"}, "Groups:"},
                        Case{{"module", "--help"}, "Commands:"}, Case{{"module", "path", "--help"}, "Examples:"},
                        Case{{"module", "file-name", "-h"}, "usage: utility module file-name"},
                        Case{{"demo", "--help"}, "usage: utility demo"}}) {
    SCOPED_TRACE(c.args[0] + (c.args.size() > 1 ? " " + c.args[1] : ""));
    const auto r = RunProgram(UtilityProgram(), c.args, dir.path());
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find(c.mustContain), std::string::npos) << r.out;
    EXPECT_EQ(r.err, "");
  }
}

TEST(Grammar, BadUsageGivesOneLineErrorAHintAndStatus2) {
  TempDir dir;
  const std::string longWord(200, 'x');
  struct Case {
    std::vector<std::string> args;
    std::string error;
    std::string hint;
  };
  for (const Case& c :
       {Case{{"no-such-group"}, "unknown command group 'no-such-group'", "utility --help"},
        // A long word is quoted shortened, and the hint never repeats it.
        Case{{longWord}, "unknown command group '" + std::string(77, 'x') + "...'", "utility --help"},
        Case{{"module", "nope"}, "unknown command 'nope' in group module", "utility module --help"},
        Case{{"module", "file-name"},
             "missing argument: file-name expects <path>, 0 given",
             "utility module file-name --help"},
        Case{{"module", "file-name", "a", "b"},
             "too many arguments: file-name expects <path>, 2 given (the first extra one is 'b')",
             "utility module file-name --help"},
        Case{{"module", "path", "--colour"}, "unknown option '--colour'", "utility module path --help"},
        Case{{"module", "path", "--json=yes"}, "option --json takes no value", "utility module path --help"},
        Case{{"demo", "extra"}, "demo takes no arguments", "utility --help"}}) {
    SCOPED_TRACE(c.error);
    const auto r = RunProgram(UtilityProgram(), c.args, dir.path());
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "utility: " + c.error + "\nTry '" + c.hint + "'.\n");
  }
}

// "--" ends the options once: a second one is an argument like any other.
TEST(Grammar, DoubleDashEndsOptionsOnce) {
  TempDir dir;
  const auto r = RunProgram(UtilityProgram(), {"names", "check", "--json", "--", "--"}, dir.path());
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find("\"code\""), std::string::npos) << r.out;
  const auto dashed = RunProgram(UtilityProgram(), {"module", "file-name", "--", "--", "x"}, dir.path());
  EXPECT_EQ(dashed.status, 2);
  EXPECT_NE(dashed.err.find("2 given (the first extra one is 'x')"), std::string::npos) << dashed.err;
}

TEST(Grammar, NoArgumentsShowsHelpWithStatus2) {
  TempDir dir;
  const auto r = RunProgram(UtilityProgram(), {}, dir.path());
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("usage:"), std::string::npos);
}

TEST(Grammar, VersionAndCompletionComeFromTheProgram) {
  TempDir dir;
  const auto version = RunProgram(UtilityProgram(), {"--version"}, dir.path());
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("utility ", 0), 0u);

  // That the completion lists every command of the help pages is Product_test's to check.
  const auto completion = RunProgram(UtilityProgram(), {"completion", "bash"}, dir.path());
  EXPECT_EQ(completion.status, 0);
  EXPECT_NE(completion.out.find("complete -F _utility utility"), std::string::npos);
}

TEST(ModuleCommands, PrintWhereTheProgramLies) {
  TempDir dir;
  const auto path = RunProgram(UtilityProgram(), {"module", "path"}, dir.path());
  EXPECT_EQ(path.status, 0);
  std::string expected = UtilityProgram().parent_path().string();
  for (char& c : expected) {
    if (c == '/') c = '\\';
  }
  EXPECT_EQ(path.out, expected + "\n");

  const auto name = RunProgram(UtilityProgram(), {"module", "name", "--json"}, dir.path());
  EXPECT_EQ(name.status, 0);
  EXPECT_EQ(name.out, "{\"name\": \"utility\"}\n");

  const auto file = RunProgram(UtilityProgram(), {"module", "file-name", "C:\\dir\\name.txt"}, dir.path());
  EXPECT_EQ(file.out, "name.txt\n");

  const auto missing = RunProgram(UtilityProgram(), {"module", "name", "libNoSuch.so"}, dir.path());
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_NE(missing.err.find("no loaded module is named 'libNoSuch.so'"), std::string::npos);
}
