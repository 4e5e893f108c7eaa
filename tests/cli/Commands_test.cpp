// The answers of the command groups: one row per command and option shows that the program
// reaches the library and prints what it returned; what the library returns is its own tests'
// to check. Rows that expect something on stderr name a part of it; the others expect nothing.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include <Utility/Utility.h>

#include "support/RunProgram.h"
#include "support/TempDir.h"

using utility::testsupport::RunProgram;
using utility::testsupport::TempDir;
using utility::testsupport::UtilityProgram;

namespace {

struct Row {
  std::vector<std::string> args;
  int status;
  std::string out;
  std::string err = "";
};

void ExpectRows(const std::vector<Row>& rows) {
  TempDir dir;
  for (const Row& row : rows) {
    SCOPED_TRACE(utility::testsupport::CommandLine(row.args));
    const auto r = RunProgram(UtilityProgram(), row.args, dir.path(), "", {"LC_ALL=C"});
    EXPECT_EQ(r.status, row.status) << r.err;
    EXPECT_EQ(r.out, row.out);
    if (row.err.empty()) {
      EXPECT_EQ(r.err, "");
    } else {
      EXPECT_NE(r.err.find(row.err), std::string::npos) << r.err;
    }
  }
}

}  // namespace

// One row per output form and status rule of a group; the values are the library's tests'.
TEST(Commands, NamesAndBitsAnswerWithTheirExitStatus) {
  TempDir keys;
  const std::string file = (keys.path() / "Reserved.ini").string();
  std::ofstream(file, std::ios::binary) << "  while \r\n";
  ExpectRows({
      {{"names", "check", "  Count_1  "}, 0, "code: 0\nmeaning: valid\n"},
      {{"names", "check", "my var", "--allow-space", "--free-form"}, 0, "code: 0\nmeaning: valid\n"},
      {{"names", "check", "If", "--json"}, 1, "{\"code\": 4, \"meaning\": \"is a keyword listed in KeyWords.ini\"}\n"},
      {{"names", "keyword", "While", "--file", file}, 0, "true\n"},
      {{"names", "keyword", "if", "--file", file}, 1, "false\n"},
      {{"names", "numeric", "1.5", "--decimal"}, 0, "true\n"},
      {{"bits", "set", "float", "1.0", "31", "0"}, 0, "value: -1\nbits: 0xBF800000\n"},
  });
}

// Each input form and option of the conversions once, and each kind of result, with the units
// and bytes the program shows in upper-case hex.
TEST(Commands, ConversionsTakeEachInputFormAndOption) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> conversions = {
      {{"to-wide", "caf\xc3\xa9"}, R"("via": "ANSIToUnicode2", "units": ["0063", "0061", "0066", "00E9"], "count": 4)"},
      {{"to-wide", "--bytes", "e4 b8 ad ff", "--via", "ANSIToUnicode1"},
       R"("via": "ANSIToUnicode1", "units": ["4E2D", "FFFD"], "count": 2)"},
      {{"to-wide", "abcdef", "--via", "ToWideString", "--length", "2"},
       R"("via": "ToWideString", "units": ["0061", "0062"], "count": 2, "result": "returned 2")"},
      {{"to-wide", "x", "--via", "AnsiToUnicode"},
       R"("via": "AnsiToUnicode", "units": ["0078"], "count": 1, "result": "0x00000000")"},
      {{"to-ansi", "--units", "4E2D"}, R"("via": "UnicodeToANSI", "bytes": ["E4", "B8", "AD"], "count": 3)"},
      {{"to-ansi", "ab", "--via", "ToMultiBytes", "--length", "1", "--terminate"},
       R"("via": "ToMultiBytes", "bytes": ["61"], "count": 1, "result": "returned 1")"},
      {{"to-ansi", "\xe4\xb8\xad\xe6\x96\x87", "--via", "UnicodeToAnsi"},
       R"("via": "UnicodeToAnsi", "bytes": [], "count": 0, "result": "0x8007007A")"},
  };
  std::vector<Row> rows;
  for (const auto& [args, json] : conversions) {
    std::vector<std::string> line = {"encoding"};
    line.insert(line.end(), args.begin(), args.end());
    line.push_back("--json");
    rows.push_back({line, 0, "{" + json + "}\n"});
  }
  ExpectRows(rows);
}

// Each option of the group once; a number beyond its type is stored as the library stores it
// and reported with status 1.
TEST(Commands, VariantsAreReadAndShownByTheirOptions) {
  ExpectRows({
      {{"variant", "show", "I4", "-5", "--places", "2"}, 0, "-5.00\n"},
      {{"variant", "show", "I2", "-1", "--hex"}, 0, "0xFFFFFFFF\n"},
      {{"variant", "show", "0x13", "4294967295"}, 0, "4294967295\n"},
      {{"variant", "show", "DATE", "March 5, 2024 2:07:09 PM"}, 0, "2024-03-05 14:07:09\n"},
      {{"variant", "parse", "UI1", "255.9", "--json"},
       0,
       "{\"type\": \"VT_UI1\", \"text\": \"255\", \"number\": 255}\n"},
      {{"variant", "parse", "DATE", "abc"}, 0, "type: VT_DATE\ntext: 1899-12-30 00:00:00\ndate: 0\n"},
      {{"variant", "number", "R8", "3.7", "--as", "I2", "--raw"}, 0, "3.7000000000000002\n"},
      {{"variant", "store", "I2", "40000"}, 0, "type: VT_I2\ntext: -25536\nbits: 0x0000000000009C40\n"},
      {{"variant", "compare", "I2", "5", "R8", "5.0"}, 0, "same: false\nequal: true\n"},
      {{"variant", "compare", "BSTR", "5", "I4", "5"}, 1, "same: false\nequal: false\n"},
      {{"variant", "type", "BOOL", "--format", "6"},
       0,
       "type: VT_BOOL\ncode: 11\nname: bool\nsize: 1\nnumeric: true\nrange-result: true\nrange-min: 0\n"
       "range-max: 1\nformat-result: false\nformat-min: 0\nformat-max: unwritten\n"},
      {{"variant", "parse", "I2", "99999999999999999999"},
       1,
       "type: VT_I2\ntext: 0\nnumber: 0\n",
       "utility: 99999999999999999999 does not fit VT_I2 (-32768 to 32767); stored as 0\n"},
      {{"variant", "parse", "R8", "1e999"}, 1, "type: VT_R8\ntext: inf\nnumber: inf\n", "does not fit VT_R8"},
  });
}

TEST(CommandsLinux, SystemIdentityAndModuleAnswers) {
  const std::string programDir = UtilityProgram().parent_path().string();
  std::string libraryForm;  // with the backslashes JSON doubles
  for (char c : programDir) libraryForm += c == '/' ? std::string("\\\\") : std::string(1, c);
  ExpectRows({
      {{"system", "processors"}, 0, std::to_string(CUtility::GetNumberOfProcessors()) + "\n"},
      {{"system", "error-text", "2", "--json"}, 0, "{\"text\": \"No such file or directory\\r\\n\"}\n"},
      {{"identity", "guid-of", "-2"}, 0, "FFFFFE00-FFE0-FFF8-00E0-FFFCFFFFFFFF\n"},
      {{"module", "path"}, 0, programDir + "\n"},
      {{"module", "help-file", "--json", "--library-paths"},
       0,
       "{\"help\": \"" + libraryForm + "\\\\Help\\\\TarnwellHelp.chm\"}\n"},
      {{"module", "name", "--json"}, 0, "{\"name\": \"utility\"}\n"},
      {{"module", "file-name", "C:\\dir\\name.txt"}, 0, "name.txt\n"},
  });
  TempDir dir;
  // The previous mask is the program's own, whatever the machine: only its form is known.
  const auto affinity = RunProgram(UtilityProgram(), {"system", "affinity", "1"}, dir.path());
  EXPECT_EQ(affinity.status, 0) << affinity.err;
  EXPECT_TRUE(std::regex_match(affinity.out, std::regex("previous mask: 0x[0-9A-F]+\n"))) << affinity.out;
  // The staged identity module answers a new process as it answers this one.
  EXPECT_EQ(RunProgram(UtilityProgram(), {"identity", "disk-id"}, dir.path()).out,
            std::to_string(CUtility::GetHardDriveComputerID()) + "\n");
  EXPECT_EQ(RunProgram(UtilityProgram(), {"identity", "computer-guid"}, dir.path()).out,
            CUtility::GetComputerGUID().ToUtf8() + "\n");
}
