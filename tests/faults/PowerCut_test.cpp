// Power cuts at every sync (only what was synced survives) and at every write, sync and truncation
// (later writes kept, torn or lost at random): the hive must stay sound and keep what was committed.
#include <Utility/Platform/HiveFiles.h>
#include <Utility/Platform/Registry.h>
#include <Utility/Utility.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "faults/Hives.h"
#include "faults/LibcFaults.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using faults::AfterCut;
using faults::Bytes;
using faults::Fault;
using faults::LoadHive;
using faults::ReadValues;
using faults::Values;
using faults::W;
using utility::testsupport::TempDir;

constexpr const char16_t* kKey = u"Software\\App";

// One step of the workload: a value set on the key, or deleted (no data).
struct Step {
  const char16_t* name;
  std::optional<faults::Value> value;

  LONG Run(HKEY key) const {
    return value ? faults::SetValue(key, name, value->type, value->data) : RegDeleteValueW(key, W(name));
  }
  // What the step does to the key's values when it succeeds.
  void Apply(Values& v) const {
    if (value) {
      v[name] = *value;
    } else {
      v.erase(name);
    }
  }
};

const std::vector<Step> kSteps = {
    {u"a", faults::Value{REG_DWORD, std::string("\1\0\0\0", 4)}},
    {u"b", faults::Value{REG_SZ, std::string("b\0e\0\0\0", 6)}},
    {u"c", faults::Value{REG_BINARY, Bytes(5000, 4)}},  // more than a page
    {u"a", faults::Value{REG_DWORD, std::string("\2\0\0\0", 4)}},
    {u"b", std::nullopt},
    {u"d", faults::Value{REG_BINARY, Bytes(9000, 5)}},
    {u"c", faults::Value{REG_BINARY, Bytes(100, 6)}},
    {u"e", faults::Value{REG_QWORD, std::string("\3\0\0\0\0\0\0\0", 8)}},
};

TEST(RegistryPowerCut, EveryValueReportedWrittenSurvivesACutAtAnyPoint) {
  TempDir dir;
  const fs::path templ = dir.path() / "template.db";
  {
    HKEY root = nullptr;
    ASSERT_EQ(LoadHive(templ, root), ERROR_SUCCESS);
    ASSERT_EQ(RegCloseKey(root), ERROR_SUCCESS);
  }
  for (AfterCut mode : {AfterCut::kLoseUnsynced, AfterCut::kRandomMix}) {
    const int points = faults::Sweep([&](int n) {
      const std::uint32_t seed = static_cast<std::uint32_t>(n) * 7919u + 13u;
      SCOPED_TRACE(::testing::Message() << (mode == AfterCut::kLoseUnsynced ? "unsynced writes lost" : "random mix")
                                        << ", seed " << seed);
      const fs::path file = faults::NewAttempt(dir.path(), templ);
      const fs::path run = file.parent_path();
      Values committed;                // what the calls that returned success made
      std::optional<Values> inFlight;  // what the call cut short would have made
      bool fired = false;
      {
        // When nothing unsynced survives, a cut before a write ends like a cut at the next sync.
        const unsigned armed = mode == AfterCut::kLoseUnsynced ? faults::kStoreSync : faults::kEveryStoreCall;
        faults::FaultScope scope(run, armed, n, Fault::kPowerCut);
        HKEY root = nullptr, key = nullptr;
        EXPECT_EQ(LoadHive(file, root), ERROR_SUCCESS);
        LONG rc = RegCreateKeyExW(root, W(kKey), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        for (std::size_t i = 0; rc == ERROR_SUCCESS && i < kSteps.size() && !scope.Fired(); ++i) {
          Values next = committed;
          kSteps[i].Apply(next);
          rc = kSteps[i].Run(key);
          if (rc == ERROR_SUCCESS) {
            committed = next;
          } else {
            inFlight = next;
          }
        }
        fired = scope.Fired();
        EXPECT_TRUE(fired || rc == ERROR_SUCCESS) << rc;
        if (key != nullptr) RegCloseKey(key);
        if (root != nullptr) RegCloseKey(root);
        if (fired) {
          EXPECT_TRUE(scope.Restore(mode, seed)) << "a hive file is still open";
        }
      }
      HKEY root = nullptr;
      EXPECT_EQ(LoadHive(file, root), ERROR_SUCCESS);
      EXPECT_EQ(utility::platform::CheckHive(root), ERROR_SUCCESS);
      LONG rc = 0;
      const Values found = ReadValues(root, kKey, rc);
      EXPECT_TRUE(rc == ERROR_SUCCESS || (rc == ERROR_FILE_NOT_FOUND && committed.empty())) << rc;
      // The call that the cut interrupted may have reached the disk or not; nothing else may differ.
      EXPECT_TRUE(found == committed || (inFlight && found == *inFlight))
          << "found " << found.size() << " values, " << committed.size() << " committed";
      // The hive takes writes again.
      EXPECT_EQ(CUtility::WriteKey(root, W(kKey), W(u"after"), 1u), ERROR_SUCCESS);
      RegCloseKey(root);
      fs::remove_all(run);
      return fired;
    });
    EXPECT_GE(points, static_cast<int>(kSteps.size()) * (mode == AfterCut::kLoseUnsynced ? 1 : 2));
  }
}

}  // namespace
