// `utility reg`: the text of each form, export and import, messages and exit statuses. What the
// store does (marks, damage, what a salvage keeps) is the platform's to check.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "support/Files.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using utility::testsupport::ReadBytes;
using utility::testsupport::RunProgram;
using utility::testsupport::TempDir;
using utility::testsupport::UtilityProgram;

namespace {

// `utility reg <args> --hive <file>`, in a directory of its own.
struct Reg {
  TempDir dir;
  std::string hive = (dir.path() / "a.db").string();

  utility::testsupport::ProgramResult operator()(std::vector<std::string> args, const std::string& input = "",
                                                 const std::string& hiveFile = "") {
    args.insert(args.begin(), "reg");
    args.insert(args.end(), {"--hive", hiveFile.empty() ? hive : hiveFile});
    return RunProgram(UtilityProgram(), args, dir.path(), input);
  }
};

}  // namespace

TEST(RegCommandLinux, SetsEveryTypeAndExportImportKeepsEveryByte) {
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
      {"expand", "expand_sz:%HOME%\\bin", "expand_sz:\"%HOME%\\\\bin\""},
      {"multi", "multi_sz:\"a\",\"b c\"", "multi_sz:\"a\",\"b c\""},
      {"dword", "dword:0xFFFFFFFF", "dword:ffffffff"},
      {"qword", "qword:18446744073709551615", "qword:ffffffffffffffff"},
      {"binary", "binary:00,ff,10", "binary:00,ff,10"},
      {"text without terminator", "hex(1):61,00,62,00", "hex(1):61,00,62,00"},
      {"long dword", "hex(4):01,02,03,04,05", "hex(4):01,02,03,04,05"},
      {"own type", "hex(305419896):09", "hex(305419896):09"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(reg({"set", "Software\\T", c.name, c.typed}).status, 0);
    EXPECT_EQ(reg({"query", "Software\\T", c.name}).out, "\"" + std::string(c.name) + "\"=" + c.shown + "\n");
  }
  ASSERT_EQ(reg({"readonly", "Software\\T", "on"}).status, 0);
  const auto exported = reg({"export", "Software"});
  ASSERT_EQ(exported.status, 0) << exported.err;
  const std::string second = (reg.dir.path() / "b.db").string();
  const auto imported = reg({"import", "-"}, exported.out, second);
  ASSERT_EQ(imported.status, 0) << imported.err;
  EXPECT_EQ(reg({"export", "Software"}, "", second).out, exported.out);
  EXPECT_EQ(reg({"readonly", "Software\\T"}, "", second).out, "read-only\n");

  // The standard export file carries every value too (not the read-only mark, which it has
  // no line for): UTF-16LE with its byte order mark, read back into a third hive.
  const std::string file = (reg.dir.path() / "t.reg").string();
  ASSERT_EQ(reg({"export", "--format", "reg", "Software", "--file", file}).status, 0);
  EXPECT_EQ(ReadBytes(file).substr(0, 6), std::string("\xFF\xFEW\0i\0", 6));
  const std::string third = (reg.dir.path() / "c.db").string();
  const auto fromFile = reg({"import", file}, "", third);
  ASSERT_EQ(fromFile.status, 0) << fromFile.err;
  EXPECT_EQ(fromFile.out, "imported " + std::to_string(std::size(cases)) + " values from " + file + "\n");
  std::string unmarked = exported.out;
  unmarked.erase(unmarked.find("!readonly\n"), 10);
  EXPECT_EQ(reg({"export", "Software"}, "", third).out, unmarked);
}

TEST(RegCommand, ImportsStandardFilesOfBothVersions) {
  Reg reg;
  ASSERT_EQ(reg({"set", "K", "Gone", "dword:1"}).status, 0);
  ASSERT_EQ(reg({"set", "K\\Sub\\Deeper", "v", "dword:1"}).status, 0);
  // Version 5 as UTF-16LE: a continued hex line, a deleted value, a deleted tree, CR LF.
  const std::string v5 =
      "Windows Registry Editor Version 5.00\r\n\r\n[K]\r\n@=\"de\\\\fault \\\"x\\\"\"\r\n"
      "\"Path\"=hex(2):25,00,41,00,\\\r\n  25,00,00,00\r\n\"Gone\"=-\r\n\"Big\"=hex(b):01,00,00,00,00,00,00,00\r\n"
      "\"Bytes\"=hex:0a,ff\r\n\"N\"=dword:0000002a\r\n\r\n[-K\\Sub]\r\n[-K\\Never\\There]\r\n";
  std::string utf16 = "\xFF\xFE";
  for (char c : v5) utf16 += std::string{c, '\0'};
  auto r = reg({"import", "-"}, utf16);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "imported 5 values from standard input\n");
  EXPECT_EQ(reg({"query", "K", "--json"}).out,
            "{\"values\": [{\"name\": \"\", \"type\": \"sz\", \"data\": \"de\\\\fault \\\"x\\\"\"}, "
            "{\"name\": \"Big\", \"type\": \"qword\", \"data\": 1}, "
            "{\"name\": \"Bytes\", \"type\": \"binary\", \"data\": [10, 255]}, "
            "{\"name\": \"N\", \"type\": \"dword\", \"data\": 42}, "
            "{\"name\": \"Path\", \"type\": \"expand_sz\", \"data\": \"%A%\"}]}\n");
  EXPECT_EQ(reg({"keys", "K"}).out, "(no sub-keys)\n");
  // Version 4 is 8-bit, and so is the text of its hex(2) data.
  r = reg({"import", "-"}, "REGEDIT4\n\n[K4]\n\"e\"=hex(2):25,41,25,00\n\"s\"=\"plain\"\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(reg({"query", "K4"}).out, "\"e\"=expand_sz:\"%A%\"\n\"s\"=sz:\"plain\"\n");
  // Malformed data names its line, counted in the file's own lines.
  r = reg({"import", "-"}, "REGEDIT4\n\n[K4]\n\"x\"=hex:01,\\\n  0\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("line 5: malformed hexadecimal bytes"), std::string::npos) << r.err;
}

TEST(RegCommand, DeletesAKeyWithItsSubKeysOnlyWhenAsked) {
  Reg reg;
  ASSERT_EQ(reg({"set", "K\\A\\B", "v", "dword:1"}).status, 0);
  auto r = reg({"delete", "K\\A"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "utility: K\\A has 1 sub-key; --recursive deletes them too\n");
  EXPECT_EQ(reg({"keys", "K"}).out, "A\n");
  r = reg({"delete", "-r", "K\\A"});
  EXPECT_EQ(r.out, "deleted the key K\\A and everything below it\n");
  EXPECT_EQ(reg({"keys", "K"}).out, "(no sub-keys)\n");
  EXPECT_EQ(reg({"delete", "K"}).out, "deleted the key K\n");
  EXPECT_EQ(reg({"delete", "\\"}).status, 2);                                        // never a whole root
  EXPECT_EQ(reg({"set", "L", "v", "dword:1"}).out, "set L \"v\"=dword:00000001\n");  // what set changed is said
}

TEST(RegCommandLinux, RefusalsAndBadInput) {
  Reg reg;
  ASSERT_EQ(reg({"set", "App", "v", "dword:1"}).status, 0);
  ASSERT_EQ(reg({"readonly", "App", "on"}).status, 0);
  // Which calls a mark refuses is the store's to check; the program reports the refusal.
  const auto refused = reg({"delete", "App", "v"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("(5)"), std::string::npos) << refused.err;
  ASSERT_EQ(reg({"readonly", "App", "off"}).status, 0);
  EXPECT_EQ(reg({"delete", "App", "v"}).status, 0);
  EXPECT_EQ(reg({"query", "App"}).out, "(no values)\n");
  EXPECT_NE(reg({"query", "Nowhere"}).err.find("(2)"), std::string::npos);

  for (const char* data : {"dword:-1", "dword:4294967296", "binary:0g", "multi_sz:\"a\",\"\""}) {
    SCOPED_TRACE(data);
    EXPECT_EQ(reg({"set", "K", "v", data}).status, 2);
  }
}

TEST(RegCommandLinux, PredefinedRootsFollowTheRegistryDirectory) {
  TempDir dir;
  const auto reg = [&](const std::vector<std::string>& args) {
    return RunProgram(UtilityProgram(), args, dir.path(), "",
                      {"UTILITY_REGISTRY_DIR=" + (dir.path() / "hives").string()});
  };
  ASSERT_EQ(reg({"reg", "set", "HKCU\\Software\\T", "n", "dword:7"}).status, 0);
  // The program closed the hive at exit: its log is folded into the file.
  EXPECT_FALSE(fs::exists(dir.path() / "hives" / "current-user.db-wal"));
  EXPECT_EQ(reg({"reg", "query", "HKEY_CURRENT_USER\\software\\t", "N"}).out, "\"N\"=dword:00000007\n");
  EXPECT_EQ(reg({"reg", "query", "HKLM\\Software\\T"}).status, 1);
}

TEST(RegRecoverLinux, ADamagedHiveIsReportedAndRecoversIntoANewSoundHive) {
  Reg reg;
  const fs::path hive = reg.hive, recovered = reg.hive + ".recovered";
  std::string text = "; utility registry export\n";
  for (int k = 0; k < 4; ++k) {
    text += "[A\\K" + std::to_string(k) + "]\n";
    for (int v = 0; v < 30; ++v)
      text += "\"v" + std::to_string(v) + "\"=sz:\"" + std::string(160, static_cast<char>('a' + v)) + "\"\n";
  }
  ASSERT_EQ(reg({"import", "-"}, text).status, 0);
  // Two pages in the middle of the file overwritten, as a failing disk would leave them.
  const std::string sound = ReadBytes(hive);
  ASSERT_GT(sound.size(), 8u * 4096);
  utility::testsupport::WriteBytes(hive,
                                   utility::testsupport::WithPagesOverwritten(sound, sound.size() / 4096 / 2, 2, 17));

  auto r = reg({"check"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("damaged"), std::string::npos) << r.out;
  // What the salvage keeps is the platform's; the program names the new file and tells the counts.
  r = reg({"recover"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find(recovered.filename().string()), std::string::npos) << r.out;
  EXPECT_TRUE(std::regex_search(r.out, std::regex("values: [1-9][\\s\\S]*lost: [1-9]"))) << r.out;
  EXPECT_EQ(reg({"check"}, "", recovered.string()).status, 0);
  // An existing file is kept unless --force.
  const std::string before = ReadBytes(recovered);
  r = reg({"recover"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("the file exists already; --force replaces it"), std::string::npos) << r.err;
  EXPECT_EQ(ReadBytes(recovered), before);
  EXPECT_EQ(reg({"recover", "--force", "--output", recovered.string()}).status, 0);
}
