// The bits and names command groups end to end: what each prints and its exit status.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "support/RunProgram.h"
#include "support/TempDir.h"

using utility::testsupport::RunProgram;
using utility::testsupport::TempDir;
using utility::testsupport::UtilityProgram;

namespace {

struct Case {
  std::vector<std::string> args;
  int status;
  std::string out;
};

void RunCases(const std::vector<Case>& cases, const TempDir& dir) {
  for (const Case& c : cases) {
    SCOPED_TRACE(utility::testsupport::CommandLine(c.args));
    const auto r = RunProgram(UtilityProgram(), c.args, dir.path());
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_EQ(r.out, c.out);
  }
}

TEST(NamesCommands, AnswerAndExitStatus) {
  TempDir dir;
  {
    std::ofstream out(dir.path() / "Reserved.ini", std::ios::binary);
    out << "  while \r\n";
  }
  RunCases(
      {
          {{"names", "check", "  Count_1  "}, 0, "code: 0\nmeaning: valid\n"},
          {{"names", "check", "my var"}, 1, "code: 2\nmeaning: holds a space\n"},
          {{"names", "check", "my var", "--allow-space", "--free-form"}, 0, "code: 0\nmeaning: valid\n"},
          {{"names", "check", "If", "--json"},
           1,
           "{\"code\": 4, \"meaning\": \"is a keyword listed in KeyWords.ini\"}\n"},
          {{"names", "path", "a/b"}, 0, "true\n"},
          {{"names", "path", "a//b"}, 1, "false\n"},
          {{"names", "keyword", "if"}, 0, "true\n"},
          {{"names", "keyword", "While", "--file", (dir.path() / "Reserved.ini").string()}, 0, "true\n"},
          {{"names", "keyword", "if", "--file", (dir.path() / "Reserved.ini").string()}, 1, "false\n"},
          {{"names", "replace", "A+B*A", "+-*/", "A", "X"}, 0, "X+B*X\n"},
          {{"names", "replace", "AB+A", "+-*/", "A", "X"}, 0, "AB+X\n"},
          {{"names", "numeric", "12-"}, 0, "true\n"},
          {{"names", "numeric", "1.5"}, 1, "false\n"},
          {{"names", "numeric", "1.5", "--decimal"}, 0, "true\n"},
          {{"names", "ip", "192.168.1.1"}, 0, "true\n"},
          {{"names", "ip", "0.1.2.3"}, 1, "false\n"},
          {{"names", "same-ip", "10.0.0.8", "10.0.0.010"}, 0, "true\n"},
          {{"names", "same-ip", "10.0.0.10", "10.0.0.010"}, 1, "false\n"},
      },
      dir);
}

TEST(BitsCommands, AnswerAndExitStatus) {
  TempDir dir;
  RunCases(
      {
          {{"bits", "get", "char", "-128", "9"}, 0, "1\n"},
          {{"bits", "get", "uchar", "128", "9"}, 0, "0\n"},
          {{"bits", "set", "int", "0", "3", "0"}, 0, "value: 8\nbits: 0x00000008\n"},
          {{"bits", "set", "int", "15", "3", "1"}, 0, "value: 7\nbits: 0x00000007\n"},
          {{"bits", "set", "float", "1.0", "31", "0"}, 0, "value: -1\nbits: 0xBF800000\n"},
          {{"bits", "set-variant", "I4", "15", "3", "0"}, 0, "7\n"},
          {{"bits", "get-variant", "BOOL", "-1", "20"}, 0, "1\n"},
          {{"bits", "digit", "12345", "2"}, 0, "3\n"},
          {{"bits", "set-digit", "-123", "1", "5"}, 0, "result: 4294967243\nsigned: -53\n"},
          {{"bits", "field", "-1", "28", "8"}, 0, "field: 255\nhex: 0xFF\n"},
          {{"bits", "byte", "010203", "2"}, 0, "3\n"},
          {{"bits", "byte", "010203", "3"}, 2, ""},
          {{"bits", "get", "long", "1", "1"}, 2, ""},
          {{"bits", "set", "int", "1", "1", "maybe"}, 2, ""},
      },
      dir);
}

}  // namespace
