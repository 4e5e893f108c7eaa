// `utility encoding`: each conversion reachable by name, hex input and output, and one-line
// errors for bad names and bad hex.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/RunProgram.h"
#include "support/TempDir.h"

using utility::testsupport::RunProgram;
using utility::testsupport::TempDir;
using utility::testsupport::UtilityProgram;

TEST(EncodingCommands, EveryConversionGivesItsUnitsOrBytes) {
  TempDir dir;
  struct Case {
    std::vector<std::string> args;
    std::string json;
  };
  const Case cases[] = {
      {{"to-wide", "caf\xc3\xa9"},
       R"({"via": "ANSIToUnicode2", "units": ["0063", "0061", "0066", "00E9"], "count": 4})"},
      {{"to-wide", "--bytes", "e4 b8 ad ff", "--via", "ANSIToUnicode1"},
       R"({"via": "ANSIToUnicode1", "units": ["4E2D", "FFFD"], "count": 2})"},
      {{"to-wide", "abcdef", "--via", "ToWideString", "--length", "2"},
       R"({"via": "ToWideString", "units": ["0061", "0062"], "count": 2, "result": "returned 2"})"},
      {{"to-wide", "x", "--via", "AnsiToUnicode"},
       R"({"via": "AnsiToUnicode", "units": ["0078"], "count": 1, "result": "0x00000000"})"},
      {{"to-wide", "x", "--via", "ConvertCharToString"},
       R"({"via": "ConvertCharToString", "units": ["0078"], "count": 1})"},
      {{"to-ansi", "\xe4\xb8\xad"}, R"({"via": "UnicodeToANSI", "bytes": ["E4", "B8", "AD"], "count": 3})"},
      {{"to-ansi", "--units", "0061 0000 0062", "--via", "UnicodeToANSI-string"},
       R"({"via": "UnicodeToANSI-string", "bytes": ["61"], "count": 1})"},
      {{"to-ansi", "--units", "D800", "--via", "ConvertStringToChar"},
       R"({"via": "ConvertStringToChar", "bytes": ["EF", "BF", "BD"], "count": 3})"},
      {{"to-ansi", "ab", "--via", "ToMultiBytes", "--length", "1", "--terminate"},
       R"({"via": "ToMultiBytes", "bytes": ["61"], "count": 1, "result": "returned 1"})"},
      {{"to-ansi", "\xe4\xb8\xad\xe6\x96\x87", "--via", "UnicodeToAnsi"},
       R"({"via": "UnicodeToAnsi", "bytes": [], "count": 0, "result": "0x8007007A"})"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"encoding"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    args.push_back("--json");
    SCOPED_TRACE(c.json);
    const auto r = RunProgram(UtilityProgram(), args, dir.path());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, c.json + "\n");
  }
}

TEST(EncodingCommands, BadInputGivesOneLineAndUsageStatus) {
  TempDir dir;
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"encoding", "to-wide", "--bytes", "zz"},
        std::vector<std::string>{"encoding", "to-ansi", "--units", "123"},
        std::vector<std::string>{"encoding", "to-wide", "x", "--via", "ToWideString", "--length", "-2"}}) {
    SCOPED_TRACE(args.back());
    const auto r = RunProgram(UtilityProgram(), args, dir.path());
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("utility: "), std::string::npos) << r.err;
  }
}
