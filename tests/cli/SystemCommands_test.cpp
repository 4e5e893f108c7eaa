// The system and identity command groups: answers, exit statuses and one-line failures.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include <Utility/Utility.h>

#include "support/RunProgram.h"
#include "support/TempDir.h"

using utility::testsupport::RunProgram;
using utility::testsupport::TempDir;
using utility::testsupport::UtilityProgram;

TEST(SystemCommands, AnswerWithTheLibrarysResults) {
  TempDir dir;
  struct Case {
    std::vector<std::string> args;
    std::string out;
  };
  const Case cases[] = {
      {{"system", "processors"}, std::to_string(CUtility::GetNumberOfProcessors()) + "\n"},
      {{"system", "error-text", "2"}, "No such file or directory\n"},
      {{"system", "error-text", "2", "--json"}, "{\"text\": \"No such file or directory\\r\\n\"}\n"},
      {{"identity", "guid-of", "0x12345678"}, "34567800-6780-59E0-0080-9EF056679E3C\n"},
      {{"identity", "guid-of", "-2"}, "FFFFFE00-FFE0-FFF8-00E0-FFFCFFFFFFFF\n"},
      {{"identity", "guid-of", "4294967295"}, "FFFFFF00-FFF0-FFFC-00F0-FFFEFFFFFFFF\n"},
      {{"system", "affinity", "1"}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[1]);
    const auto r = RunProgram(UtilityProgram(), c.args, dir.path(), "", {"LC_ALL=C"});
    if (c.args[1] == "affinity") {
      // The previous mask is the program's own, whatever the machine: check its form.
      EXPECT_EQ(r.status, 0) << r.err;
      EXPECT_TRUE(std::regex_match(r.out, std::regex("previous mask: 0x[0-9A-F]+\n"))) << r.out;
      continue;
    }
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, c.out);
  }
}

TEST(SystemCommands, ReportRefusalsAsFailures) {
  TempDir dir;
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* error;
  };
  for (const Case& c : {Case{{"system", "error-text", "0x12345"}, 1, "no message for code 0x12345"},
                        Case{{"system", "affinity", "0"}, 1, "refused mask 0x0"},
                        Case{{"system", "affinity", "0x100000000"}, 2, "mask out of range"},
                        Case{{"system", "affinity", "1", "--thread", "2147483647"}, 1, "no thread has the id"},
                        Case{{"system", "string", "missing.so", "1"}, 1, "cannot load the module"},
                        Case{{"identity", "guid-of", "x"}, 2, "malformed identifier"}}) {
    SCOPED_TRACE(c.args[1] + " " + c.args[2]);
    const auto r = RunProgram(UtilityProgram(), c.args, dir.path(), "", {"LC_ALL=C"});
    EXPECT_EQ(r.status, c.status);
    EXPECT_NE(r.err.find(c.error), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
}

TEST(IdentityCommands, GiveTheStagedModulesIdentifiers) {
  TempDir dir;
  const auto id = RunProgram(UtilityProgram(), {"identity", "disk-id"}, dir.path());
  const auto guid = RunProgram(UtilityProgram(), {"identity", "computer-guid"}, dir.path());
  const auto cpu = RunProgram(UtilityProgram(), {"identity", "cpu-id"}, dir.path());
  ASSERT_EQ(id.status, 0);
  ASSERT_EQ(guid.status, 0);
  ASSERT_EQ(cpu.status, 0);
  EXPECT_EQ(guid.out, std::string(CUtility::CreateGuidByID(static_cast<ULONG>(std::stol(id.out)))) + "\n");
  EXPECT_EQ(RunProgram(UtilityProgram(), {"identity", "disk-id"}, dir.path()).out, id.out);
  EXPECT_EQ(RunProgram(UtilityProgram(), {"identity", "cpu-id"}, dir.path()).out, cpu.out);
}
