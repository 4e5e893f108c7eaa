// `utility reg recover` and a damaged hive seen from the shell: the check reports it, a later
// process refuses to write to it, and the recovery writes a new, sound hive beside it and says
// how much it kept, leaving the damaged file as it was. What a salvage keeps, value by value,
// is checked on the platform's own calls (RegistryDamage_test).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "support/Files.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using utility::testsupport::ReadBytes;
using utility::testsupport::RunProgram;
using utility::testsupport::UtilityProgram;

namespace {

constexpr int kKeys = 4, kValues = 30;

std::string Text(int k, int v) {
  return std::string(120 + (k * 13 + v) % 80, static_cast<char>('a' + (k * 3 + v) % 26));
}

long long Count(const std::string& out, const std::string& name) {
  std::smatch m;
  return std::regex_search(out, m, std::regex(name + ": ([0-9]+)")) ? std::stoll(m[1]) : -1;
}

std::size_t Occurrences(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

}  // namespace

TEST(RegRecover, ADamagedHiveRefusesWritesAndRecoversIntoANewSoundHive) {
  utility::testsupport::TempDir dir;
  const fs::path hive = dir.path() / "settings.db";
  const fs::path recovered = dir.path() / "settings.db.recovered";
  auto reg = [&](std::vector<std::string> args, const fs::path& file, const std::string& input = "") {
    args.insert(args.begin(), "reg");
    args.insert(args.end(), {"--hive", file.string()});
    return RunProgram(UtilityProgram(), args, dir.path(), input);
  };
  std::string text = "; utility registry export\n";
  for (int k = 0; k < kKeys; ++k) {
    text += "[A\\K" + std::to_string(k) + "]\n";
    for (int v = 0; v < kValues; ++v) text += "\"v" + std::to_string(v) + "\"=sz:\"" + Text(k, v) + "\"\n";
  }
  auto r = reg({"import", "-"}, hive, text);
  ASSERT_EQ(r.status, 0) << r.err;
  // Two pages in the middle of the file overwritten, as a failing disk would leave them.
  const std::string sound = ReadBytes(hive);
  ASSERT_GT(sound.size(), 8u * 4096);
  const std::string bytes = utility::testsupport::WithPagesOverwritten(sound, sound.size() / 4096 / 2, 2, 17);
  utility::testsupport::WriteBytes(hive, bytes);

  r = reg({"check"}, hive);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("damaged"), std::string::npos) << r.out;
  // A process of its own: the damage is known from the mark beside the file.
  r = reg({"set", "A\\K0", "new", "dword:1"}, hive);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("(1009)"), std::string::npos) << r.err;

  r = reg({"recover"}, hive);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find(recovered.filename().string()), std::string::npos) << r.out;
  EXPECT_EQ(ReadBytes(hive), bytes) << "the damaged file stays as it was";
  EXPECT_EQ(reg({"check"}, recovered).status, 0);
  // The counts told are those of the new hive: every value in it, and some lost.
  const auto exported = reg({"export", "A"}, recovered);
  ASSERT_EQ(exported.status, 0) << exported.err;
  EXPECT_EQ(Count(r.out, "values"), static_cast<long long>(Occurrences(exported.out, "=sz:"))) << r.out;
  EXPECT_GT(Count(r.out, "values"), 0) << r.out;
  EXPECT_GT(Count(r.out, "lost"), 0) << r.out;
  EXPECT_GE(Count(r.out, "values") + Count(r.out, "lost"), kKeys * kValues) << r.out;

  // The new hive carries no mark: it takes writes.
  r = reg({"set", "A\\K0", "after", "dword:2"}, recovered);
  EXPECT_EQ(r.status, 0) << r.err;
  // An existing file is kept unless --force.
  const std::string before = ReadBytes(recovered);
  r = reg({"recover"}, hive);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("exists already"), std::string::npos) << r.err;
  EXPECT_EQ(ReadBytes(recovered), before);
  r = reg({"recover", "--force", "--output", recovered.string()}, hive);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(reg({"check"}, recovered).status, 0);
  EXPECT_EQ(ReadBytes(hive), bytes);
}
