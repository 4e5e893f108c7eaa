// `utility variant`: each command's answer and exit status, and clear errors for bad input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/RunProgram.h"
#include "support/TempDir.h"

using utility::testsupport::RunProgram;
using utility::testsupport::TempDir;
using utility::testsupport::UtilityProgram;

namespace {

TEST(VariantCommands, AnswerAsTheLibraryDoes) {
  TempDir dir;
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* out;
  };
  const Case cases[] = {
      {{"variant", "show", "I4", "-5", "--places", "2"}, 0, "-5.00\n"},
      {{"variant", "show", "I2", "-1", "--hex"}, 0, "0xFFFFFFFF\n"},
      {{"variant", "show", "vt_r8", "1.5"}, 0, "1.500000000000000\n"},
      {{"variant", "show", "R8", "-0.0001", "--places", "2"}, 0, "0.00\n"},
      {{"variant", "show", "R8", "1", "--hex"}, 0, "0x3FF0000000000000\n"},
      {{"variant", "show", "DATE", "45356.5"}, 0, "2024-03-05 12:00:00\n"},
      {{"variant", "show", "DATE", "March 5, 2024 2:07:09 PM", "--places", "3"}, 0, "2024-03-05 14:07:09\n"},
      {{"variant", "show", "BOOL", "true", "--places", "2"}, 0, "1.00\n"},
      {{"variant", "show", "I8", "5"}, 0, "***\n"},
      {{"variant", "show", "EMPTY"}, 0, "***\n"},
      {{"variant", "show", "0x13", "4294967295"}, 0, "4294967295\n"},
      {{"variant", "parse", "I2", " 2.5 "}, 0, "type: VT_I2\ntext: 3\nnumber: 3\n"},
      {{"variant", "parse", "UI1", "255.9", "--json"},
       0,
       "{\"type\": \"VT_UI1\", \"text\": \"255\", \"number\": 255}\n"},
      {{"variant", "parse", "I2", "-32768.4"}, 0, "type: VT_I2\ntext: -32768\nnumber: -32768\n"},
      {{"variant", "parse", "DATE", "abc"}, 0, "type: VT_DATE\ntext: 1899-12-30 00:00:00\ndate: 0\n"},
      {{"variant", "parse", "CY", "5"}, 0, "type: VT_EMPTY\ntext: ***\nnumber: 0\n"},
      {{"variant", "number", "R8", "3.7", "--as", "I2"}, 0, "4\n"},
      {{"variant", "number", "R8", "3.7", "--as", "I2", "--raw"}, 0, "3.7000000000000002\n"},
      {{"variant", "number", "BSTR", "12"}, 0, "0\n"},
      {{"variant", "store", "I2", "40000"}, 0, "type: VT_I2\ntext: -25536\nbits: 0x0000000000009C40\n"},
      {{"variant", "compare", "I2", "5", "R8", "5.0"}, 0, "same: false\nequal: true\n"},
      {{"variant", "compare", "BSTR", "5", "I4", "5"}, 1, "same: false\nequal: false\n"},
      {{"variant", "compare", "BSTR", "ab", "BSTR", "ab"}, 0, "same: true\nequal: true\n"},
      {{"variant", "type", "ARRAY|UI1", "--json"},
       0,
       "{\"type\": \"VT_ARRAY|VT_UI1\", \"code\": 8209, \"name\": \"unsigned char Array\", \"size\": -1, "
       "\"numeric\": false, \"range-result\": false, \"range-min\": \"unwritten\", \"range-max\": \"unwritten\"}\n"},
      {{"variant", "type", "BOOL", "--format", "6"},
       0,
       "type: VT_BOOL\ncode: 11\nname: bool\nsize: 1\nnumeric: true\nrange-result: true\nrange-min: 0\n"
       "range-max: 1\nformat-result: false\nformat-min: 0\nformat-max: unwritten\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(utility::testsupport::CommandLine(c.args));
    const auto r = RunProgram(UtilityProgram(), c.args, dir.path());
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err, "");
  }
}

TEST(VariantCommands, ANumberThatDoesNotFitItsTypeIsReported) {
  TempDir dir;
  struct Case {
    std::vector<std::string> args;
    const char* out;
    const char* error;
  };
  const Case cases[] = {
      {{"variant", "parse", "I2", "99999999999999999999"},
       "type: VT_I2\ntext: 0\nnumber: 0\n",
       "utility: 99999999999999999999 does not fit VT_I2 (-32768 to 32767); stored as 0\n"},
      {{"variant", "parse", "UI1", "300", "--json"},
       "{\"type\": \"VT_UI1\", \"text\": \"44\", \"number\": 44}\n",
       "utility: 300 does not fit VT_UI1 (0 to 255); stored as 44\n"},
      {{"variant", "parse", "I2", "32767.6"},
       "type: VT_I2\ntext: -32768\nnumber: -32768\n",
       "utility: 32767.6 does not fit VT_I2 (-32768 to 32767); stored as -32768\n"},
      {{"variant", "parse", "R8", "1e999"}, "type: VT_R8\ntext: inf\nnumber: inf\n", "does not fit VT_R8"},
      {{"variant", "parse", "I4", std::string(100, '9')},
       nullptr,
       "utility: 99999999999999999999999999999999999999999"
       "999999999999999999999999999999999999... does not fit VT_I4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.back());
    const auto r = RunProgram(UtilityProgram(), c.args, dir.path());
    EXPECT_EQ(r.status, 1);
    if (c.out != nullptr) {
      EXPECT_EQ(r.out, c.out);
    }
    EXPECT_NE(r.err.find(c.error), std::string::npos) << r.err;
  }
}

TEST(VariantCommands, BadTypesAndNumbersAreUsageErrors) {
  TempDir dir;
  struct Case {
    std::vector<std::string> args;
    const char* error;
  };
  const Case cases[] = {
      {{"variant", "show", "FLOAT", "1"}, "unknown variant type 'FLOAT'"},
      {{"variant", "type", "I4|BOGUS"}, "unknown variant type 'I4|BOGUS'"},
      {{"variant", "show", "I4", "12x"}, "malformed VT_I4 value: '12x'"},
      {{"variant", "show", "I2", "40000"}, "VT_I2 value out of range"},
      {{"variant", "show", "R8", "pi"}, "malformed VT_R8 value"},
      {{"variant", "show", "I4"}, "missing value for VT_I4"},
      {{"variant", "show", "NULL", "1"}, "VT_NULL takes no value"},
      {{"variant", "show", "DATE", "someday"}, "malformed date"},
      {{"variant", "show", "DATE", "10000-01-01"}, "date out of range"},
      {{"variant", "show", "UNKNOWN", "1"}, "cannot be given on the command line"},
      {{"variant", "show", "I4", "1", "--places", "two"}, "malformed place count"},
      {{"variant", "store", "I2", "lots"}, "malformed number"},
      {{"variant", "type", "70000"}, "variant type code out of range"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(utility::testsupport::CommandLine(c.args));
    const auto r = RunProgram(UtilityProgram(), c.args, dir.path());
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(c.error), std::string::npos) << r.err;
  }
}

}  // namespace
