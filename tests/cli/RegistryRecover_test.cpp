// `utility reg recover` and a damaged hive seen from the shell: the check reports it, every
// later process refuses to write to it, and the recovery writes a new, sound hive beside it
// with every value that could still be read, leaving the damaged file as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include <Utility/Platform/Registry.h>
#include <Utility/Platform/String.h>

#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using testsupport::RunProgram;
using testsupport::UtilityProgram;

namespace {

constexpr int kKeys = 4, kValues = 30;

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Text(int k, int v) { return std::string(120 + (k * 13 + v) % 80, static_cast<char>('a' + (k * 3 + v) % 26)); }

// The text of every value of the keys A\K<k> that reads in the hive file, by "k-v".
std::map<std::string, std::string> Readable(const fs::path& file) {
  std::map<std::string, std::string> found;
  HKEY root = nullptr;
  if (RegLoadAppKeyW(CString(file.c_str()), &root, KEY_READ, 0, 0) != ERROR_SUCCESS) return found;
  for (int k = 0; k < kKeys; ++k) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, CString(("A\\K" + std::to_string(k)).c_str()), 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
    for (int v = 0; v < kValues; ++v) {
      WCHAR data[512];
      DWORD size = sizeof data, type = 0;
      if (RegQueryValueExW(key, CString(("v" + std::to_string(v)).c_str()), nullptr, &type,
                           reinterpret_cast<BYTE*>(data), &size) == ERROR_SUCCESS && type == REG_SZ) {
        found[std::to_string(k) + "-" + std::to_string(v)] = CString(data, static_cast<int>(size / 2) - 1).ToUtf8();
      }
    }
    RegCloseKey(key);
  }
  RegCloseKey(root);
  return found;
}

long long Count(const std::string& out, const std::string& name) {
  std::smatch m;
  return std::regex_search(out, m, std::regex(name + ": ([0-9]+)")) ? std::stoll(m[1]) : -1;
}

}  // namespace

TEST(RegRecover, ADamagedHiveRefusesWritesAndRecoversIntoANewSoundHive) {
  testsupport::TempDir dir;
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
  std::string bytes = ReadFile(hive);
  ASSERT_GT(bytes.size(), 8u * 4096);
  std::mt19937 rng(17);
  const std::size_t middle = bytes.size() / 4096 / 2 * 4096;
  for (std::size_t i = middle; i < middle + 2 * 4096; ++i) bytes[i] = static_cast<char>(rng());
  std::ofstream(hive, std::ios::binary | std::ios::trunc) << bytes;

  r = reg({"check"}, hive);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("damaged"), std::string::npos) << r.out;
  // Each of these runs is a process of its own: the damage is known from the mark beside the file.
  for (const std::vector<std::string>& write : {std::vector<std::string>{"set", "A\\K0", "new", "dword:1"},
                                                std::vector<std::string>{"set", "B", "x", "sz:y"},
                                                std::vector<std::string>{"delete", "A\\K0", "v0"}}) {
    SCOPED_TRACE(write[0] + " " + write[1]);
    r = reg(write, hive);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("(1009)"), std::string::npos) << r.err;
  }
  const auto readable = Readable(hive);
  EXPECT_GT(readable.size(), 0u);
  EXPECT_LT(readable.size(), static_cast<std::size_t>(kKeys * kValues));

  r = reg({"recover"}, hive);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find(recovered.filename().string()), std::string::npos) << r.out;
  EXPECT_EQ(ReadFile(hive), bytes) << "the damaged file stays as it was";
  EXPECT_EQ(reg({"check"}, recovered).status, 0);
  const auto copied = Readable(recovered);
  for (const auto& [at, value] : readable) {
    SCOPED_TRACE(at);
    ASSERT_EQ(copied.count(at), 1u);
    EXPECT_EQ(copied.at(at), value);
  }
  EXPECT_EQ(Count(r.out, "values"), static_cast<long long>(copied.size())) << r.out;
  EXPECT_EQ(Count(r.out, "lost") > 0, true) << r.out;
  EXPECT_EQ(Count(r.out, "values") + Count(r.out, "lost") >= kKeys * kValues, true) << r.out;

  // The new hive carries no mark: it takes writes.
  r = reg({"set", "A\\K0", "after", "dword:2"}, recovered);
  EXPECT_EQ(r.status, 0) << r.err;
  // An existing file is kept unless --force.
  const std::string before = ReadFile(recovered);
  r = reg({"recover"}, hive);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("exists already"), std::string::npos) << r.err;
  EXPECT_EQ(ReadFile(recovered), before);
  r = reg({"recover", "--force", "--output", recovered.string()}, hive);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(reg({"check"}, recovered).status, 0);
  EXPECT_EQ(ReadFile(hive), bytes);
}
