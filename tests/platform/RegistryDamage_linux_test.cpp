// A hive after damage: what is intact still reads, writes are refused from the moment the
// store meets the damage (and by every later opening of the file), and a salvage copies every
// readable key and value into a new, sound hive while the damaged file stays as it was.
#include <filesystem>
#include <map>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include <Utility/Platform/HiveFiles.h>
#include <Utility/Platform/Registry.h>
#include <Utility/Utility.h>

#include "support/Files.h"
#include "support/LoadedHive.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

using utility::testsupport::LoadedHive;
using utility::testsupport::ReadBytes;
using utility::testsupport::ReadValue;
using utility::testsupport::W;
using utility::testsupport::WriteBytes;
using utility::testsupport::WriteValue;

constexpr int kKeys = 8, kValuesPerKey = 40;
constexpr DWORD kSeven = 7;

CString KeyName(int k) { return CString(("Software\\App\\K" + std::to_string(k)).c_str()); }
CString ValueName(int k, int v) { return CString(("v" + std::to_string(k) + "-" + std::to_string(v)).c_str()); }
std::string Data(int k, int v) { return std::string(150 + (k * 7 + v) % 50, static_cast<char>('a' + (k + v) % 26)); }

// A hive of kKeys keys with kValuesPerKey binary values each, closed so that its log is folded
// into the file; then the file as it was, and the same with two pages in its middle overwritten.
struct DamagedHive {
  std::string sound;
  std::string damaged;
};

DamagedHive MakeDamaged(const fs::path& file) {
  {
    LoadedHive hive(file);
    EXPECT_EQ(hive.rc, ERROR_SUCCESS);
    for (int k = 0; k < kKeys; ++k) {
      for (int v = 0; v < kValuesPerKey; ++v) {
        const std::string d = Data(k, v);
        EXPECT_EQ(
            WriteValue(hive.root, KeyName(k), ValueName(k, v), REG_BINARY, d.data(), static_cast<DWORD>(d.size())),
            ERROR_SUCCESS);
      }
    }
  }  // the last handle: the hive is closed
  DamagedHive h;
  h.sound = ReadBytes(file);
  h.damaged = utility::testsupport::WithPagesOverwritten(h.sound, h.sound.size() / 4096 / 2, 2, 5);
  WriteBytes(file, h.damaged);
  return h;
}

// What each value reads as in the hive file: the data of every value that reads.
std::map<std::pair<int, int>, std::string> Readable(const fs::path& file, int* failures) {
  std::map<std::pair<int, int>, std::string> found;
  LoadedHive hive(file, KEY_READ);
  for (int k = 0; k < kKeys; ++k) {  // a hive that does not open reads nothing
    for (int v = 0; v < kValuesPerKey; ++v) {
      BYTE data[512];
      DWORD size = sizeof data, type = 0;
      if (ReadValue(hive.root, KeyName(k), ValueName(k, v), &type, data, &size) == ERROR_SUCCESS &&
          type == REG_BINARY) {
        found[{k, v}] = std::string(reinterpret_cast<const char*>(data), size);
      } else {
        ++*failures;
      }
    }
  }
  return found;
}

LONG WriteOne(const fs::path& file, const CString& keyName) {
  LoadedHive hive(file);
  return hive.rc != ERROR_SUCCESS ? hive.rc : WriteValue(hive.root, keyName, W(u"written"), REG_DWORD, &kSeven, 4);
}

LONG CheckFile(const fs::path& file) {
  LoadedHive hive(file, KEY_READ);
  return hive.rc != ERROR_SUCCESS ? hive.rc : utility::platform::CheckHive(hive.root);
}

}  // namespace

TEST(RegistryDamage, IntactKeysReadWritesAreRefusedASalvageKeepsThemAndTheFileStaysAsItWasUntilReplaced) {
  utility::testsupport::TempDir dir;
  const fs::path file = dir.path() / "hive.db", out = dir.path() / "hive.db.recovered";
  const DamagedHive h = MakeDamaged(file);
  EXPECT_EQ(CheckFile(file), ERROR_REGISTRY_CORRUPT);
  int failures = 0;
  const auto readable = Readable(file, &failures);
  EXPECT_GT(readable.size(), 0u);
  EXPECT_GT(failures, 0) << "the damage must reach some values";
  for (const auto& [at, data] : readable) EXPECT_EQ(data, Data(at.first, at.second));
  // A write is refused, even to a key that reads well (every write passes the same check).
  EXPECT_EQ(WriteOne(file, KeyName(readable.begin()->first.first)), ERROR_BADDB);
  // A salvage copies every readable value into a new hive, the damaged file only read.
  REG_SALVAGE_COUNTS counts{};
  ASSERT_EQ(utility::platform::SalvageHive(CString(file.c_str()), CString(out.c_str()), 0, &counts), ERROR_SUCCESS);
  EXPECT_EQ(ReadBytes(file), h.damaged) << "the damaged file is only read, and not written";
  EXPECT_EQ(CheckFile(out), ERROR_SUCCESS);
  int lostInCopy = 0;
  const auto copied = Readable(out, &lostInCopy);
  for (const auto& [at, data] : readable) {
    SCOPED_TRACE(std::to_string(at.first) + "-" + std::to_string(at.second));
    ASSERT_EQ(copied.count(at), 1u);
    EXPECT_EQ(copied.at(at), data);
  }
  for (const auto& [at, data] : copied) EXPECT_EQ(data, Data(at.first, at.second));  // nothing made up
  EXPECT_EQ(counts.values, copied.size());
  EXPECT_LT(counts.values, static_cast<DWORD>(kKeys * kValuesPerKey));
  EXPECT_GT(counts.lostRows, 0u);
  EXPECT_EQ(WriteOne(out, CString(u"Other")), ERROR_SUCCESS);  // a hive like any other
  // Never into the damaged file itself, even when asked to replace.
  EXPECT_EQ(utility::platform::SalvageHive(CString(file.c_str()), CString(file.c_str()), REG_SALVAGE_REPLACE, nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(ReadBytes(file), h.damaged);
  // A sound copy put back under the name takes writes again, though the old mark lies beside
  // it: the mark follows the file.
  fs::remove(file);
  WriteBytes(file, h.sound);
  EXPECT_EQ(CheckFile(file), ERROR_SUCCESS);
  EXPECT_EQ(WriteOne(file, KeyName(0)), ERROR_SUCCESS);
}

// Another program's database and a hive cut short (any other content is fuzz/RegistryHive.cpp's):
// each call reports an error code, and the file is left as it was.
TEST(RegistryDamage, FilesThatAreNoSoundHiveAreReportedAndLeftAsTheyWere) {
  utility::testsupport::TempDir dir;
  const std::string sound = MakeDamaged(dir.path() / "source.db").sound;
  const fs::path foreign = dir.path() / "foreign.db", cut = dir.path() / "cut.db", out = dir.path() / "out.db";
  std::string bytes = sound;
  bytes[68] = 'X';  // a hive's bytes with another application id
  WriteBytes(foreign, bytes);
  EXPECT_EQ(CheckFile(foreign), ERROR_BADDB);
  EXPECT_EQ(LoadedHive(foreign).root, nullptr);
  EXPECT_EQ(utility::platform::SalvageHive(CString(foreign.c_str()), CString(out.c_str()), 0, nullptr), ERROR_BADDB);
  EXPECT_FALSE(fs::exists(out));
  EXPECT_EQ(ReadBytes(foreign), bytes);
  // What a hive cut short lacks reads as damage.
  WriteBytes(cut, sound.substr(0, 4096 * 5 + 1000));
  EXPECT_EQ(CheckFile(cut), ERROR_REGISTRY_CORRUPT);
  int failures = 0;
  Readable(cut, &failures);
  EXPECT_GT(failures, 0);
  EXPECT_EQ(ReadBytes(cut), sound.substr(0, 4096 * 5 + 1000)) << "a damaged hive must never be rewritten";
  EXPECT_EQ(
      utility::platform::SalvageHive(CString((dir.path() / "missing.db").c_str()), CString(out.c_str()), 0, nullptr),
      ERROR_FILE_NOT_FOUND);
}
