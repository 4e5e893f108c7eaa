// `utility reg`: values of every type set from the shell, export and import that keep every
// byte, read-only marks, and damaged hives reported with status 1.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include <Utility/Platform/Registry.h>
#include <Utility/Platform/String.h>

#include "support/RunProgram.h"
#include "support/TempDir.h"

using utility::testsupport::RunProgram;
using utility::testsupport::TempDir;
using utility::testsupport::UtilityProgram;

namespace {

struct Reg {
  TempDir dir;
  std::string hive = (dir.path() / "a.db").string();

  utility::testsupport::ProgramResult operator()(std::vector<std::string> args, const std::string& input = "",
                                                 const std::string& hiveFile = "") {
    args.insert(args.begin(), "reg");
    args.push_back("--hive");
    args.push_back(hiveFile.empty() ? hive : hiveFile);
    return RunProgram(UtilityProgram(), args, dir.path(), input);
  }
};

// The raw bytes and type of a value in a hive file, read through the platform calls.
std::vector<BYTE> Raw(const std::string& file, const char16_t* key, const char16_t* name, DWORD& type) {
  HKEY root = nullptr;
  HKEY k = nullptr;
  std::vector<BYTE> data(4096);
  DWORD size = 4096;
  EXPECT_EQ(RegLoadAppKeyW(CString(file.c_str()), &root, KEY_ALL_ACCESS, 0, 0), ERROR_SUCCESS);
  EXPECT_EQ(RegOpenKeyExW(root, reinterpret_cast<const WCHAR*>(key), 0, KEY_READ, &k), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExW(k, reinterpret_cast<const WCHAR*>(name), nullptr, &type, data.data(), &size),
            ERROR_SUCCESS);
  data.resize(size);
  RegCloseKey(k);
  RegCloseKey(root);
  return data;
}

TEST(RegCommand, SetsEveryTypeAndExportImportKeepsEveryByte) {
  Reg reg;
  struct Case {
    const char* name;
    const char* typed;
    const char* shown;
  };
  const Case cases[] = {
      {"text", "sz:plain words", "sz:\"plain words\""},
      {"quoted", "sz:\"a \\\"b\\\" \\\\ c\\n\"", "sz:\"a \\\"b\\\" \\\\ c\\n\""},
      {"unicode", "sz:caf\xC3\xA9 \xF0\x9F\x98\x80", "sz:\"caf\xC3\xA9 \xF0\x9F\x98\x80\""},
      {"lone surrogate", "sz:\"\\uD800x\"", "sz:\"\\uD800x\""},
      {"empty", "sz:", "sz:\"\""},
      {"expand", "expand_sz:%HOME%\\bin", "expand_sz:\"%HOME%\\\\bin\""},
      {"multi", "multi_sz:\"a\",\"b c\"", "multi_sz:\"a\",\"b c\""},
      {"no items", "multi_sz:", "multi_sz:"},
      {"dword", "dword:42", "dword:0000002a"},
      {"dword hex", "dword:0xFFFFFFFF", "dword:ffffffff"},
      {"qword", "qword:18446744073709551615", "qword:ffffffffffffffff"},
      {"binary", "binary:00,ff,10", "binary:00,ff,10"},
      {"no bytes", "binary:", "binary:"},
      {"text without terminator", "hex(1):61,00,62,00", "hex(1):61,00,62,00"},
      {"short dword", "hex(4):01,02,03", "hex(4):01,02,03"},
      {"long dword", "hex(4):01,02,03,04,05", "hex(4):01,02,03,04,05"},
      {"own type", "hex(305419896):09", "hex(305419896):09"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto set = reg({"set", "Software\\T", c.name, c.typed});
    ASSERT_EQ(set.status, 0) << set.err;
    const auto query = reg({"query", "Software\\T", c.name});
    EXPECT_EQ(query.out, "\"" + std::string(c.name) + "\"=" + c.shown + "\n");
  }
  ASSERT_EQ(reg({"readonly", "Software\\T", "on"}).status, 0);
  const auto exported = reg({"export", "Software"});
  ASSERT_EQ(exported.status, 0) << exported.err;
  const std::string second = (reg.dir.path() / "b.db").string();
  const auto imported = reg({"import", "-"}, exported.out, second);
  ASSERT_EQ(imported.status, 0) << imported.err;
  EXPECT_EQ(imported.out, std::to_string(std::size(cases)) + "\n");
  EXPECT_EQ(reg({"export", "Software"}, "", second).out, exported.out);
  for (const char16_t* name : {u"lone surrogate", u"text without terminator", u"short dword", u"empty", u"no items"}) {
    SCOPED_TRACE(utility::testsupport::Utf8(name));
    DWORD t1 = 0, t2 = 0;
    EXPECT_EQ(Raw(reg.hive, u"Software\\T", name, t1), Raw(second, u"Software\\T", name, t2));
    EXPECT_EQ(t1, t2);
  }
  DWORD type = 0;
  EXPECT_EQ(Raw(second, u"Software\\T", u"lone surrogate", type), (std::vector<BYTE>{0x00, 0xD8, 'x', 0, 0, 0}));
  EXPECT_EQ(reg({"readonly", "Software\\T"}, "", second).out, "read-only\n");
}

TEST(RegCommand, ReadOnlyKeysRefuseChangesUntilTheMarkIsCleared) {
  Reg reg;
  ASSERT_EQ(reg({"set", "App", "v", "dword:1"}).status, 0);
  ASSERT_EQ(reg({"readonly", "App", "on"}).status, 0);
  for (const std::vector<std::string>& args : {std::vector<std::string>{"set", "App", "v", "dword:2"},
                                               {"set", "App\\Below", "v", "dword:2"},
                                               {"delete", "App", "v"}}) {
    SCOPED_TRACE(args[0] + " " + args[1]);
    const auto r = reg(args);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("(5)"), std::string::npos) << r.err;
  }
  EXPECT_EQ(reg({"query", "App", "v"}).out, "\"v\"=dword:00000001\n");
  ASSERT_EQ(reg({"readonly", "App", "off"}).status, 0);
  EXPECT_EQ(reg({"delete", "App", "v"}).status, 0);
  EXPECT_EQ(reg({"query", "App"}).out, "(no values)\n");
}

TEST(RegCommand, BadInputIsUsageAndDamageIsAFailure) {
  Reg reg;
  for (const std::vector<std::string>& args : {std::vector<std::string>{"set", "K", "v", "dword:-1"},
                                               {"set", "K", "v", "dword:4294967296"},
                                               {"set", "K", "v", "nosuch:1"},
                                               {"set", "K", "v", "binary:0g"},
                                               {"set", "K", "v", "multi_sz:\"a\",\"\""}}) {
    SCOPED_TRACE(args[3]);
    EXPECT_EQ(reg(args).status, 2);
  }
  const auto badImport = reg({"import", "-"}, "[K]\n\"v\"=dword:zz\n");
  EXPECT_EQ(badImport.status, 2);
  EXPECT_NE(badImport.err.find("line 2"), std::string::npos) << badImport.err;
  const std::string broken = (reg.dir.path() / "broken.db").string();
  std::ofstream(broken) << "not a hive at all";
  const auto check = reg({"check"}, "", broken);
  EXPECT_EQ(check.status, 1);
  EXPECT_NE(check.err.find("(1009)"), std::string::npos) << check.err;
  const auto missingKey = reg({"query", "Nowhere"});
  EXPECT_EQ(missingKey.status, 1);
  EXPECT_NE(missingKey.err.find("(2)"), std::string::npos);
}

TEST(RegCommand, PredefinedRootsFollowTheRegistryDirectory) {
  TempDir dir;
  const std::vector<std::string> env = {"UTILITY_REGISTRY_DIR=" + (dir.path() / "hives").string()};
  ASSERT_EQ(
      RunProgram(UtilityProgram(), {"reg", "set", "HKCU\\Software\\T", "n", "dword:7"}, dir.path(), "", env).status, 0);
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "hives" / "current-user.db"));
  // The program closed the hive at exit: its log is folded into the file.
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "hives" / "current-user.db-wal"));
  EXPECT_EQ(
      RunProgram(UtilityProgram(), {"reg", "query", "HKEY_CURRENT_USER\\software\\t", "N"}, dir.path(), "", env).out,
      "\"N\"=dword:00000007\n");
  EXPECT_EQ(RunProgram(UtilityProgram(), {"reg", "query", "HKLM\\Software\\T"}, dir.path(), "", env).status, 1);
  EXPECT_EQ(RunProgram(UtilityProgram(), {"reg", "query", "HKXX\\Software"}, dir.path(), "", env).status, 2);
}

}  // namespace
