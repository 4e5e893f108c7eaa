// Registry writes under failing store I/O: every write, sync and truncation of the hive's files
// fails in turn (through the VFS shim), and every call must report the failure with its code,
// change nothing, keep every value written before, and leave a hive that passes the integrity
// check, in this process and after the hive is opened afresh.
#include <Utility/Platform/HiveFiles.h>
#include <Utility/Platform/Registry.h>
#include <Utility/Utility.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "faults/Hives.h"
#include "faults/LibcFaults.h"
#include "support/LoadedHive.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using faults::Bytes;
using faults::Fault;
using faults::LoadHive;
using faults::ReadValues;
using faults::Values;
using faults::W;
using utility::testsupport::TempDir;

// SQLite reports a failed sync or truncation as an I/O failure whatever the cause; only a write
// that finds no space is a full disk.
LONG ExpectedCode(Fault fault, unsigned call) {
  return fault == Fault::kIoError || call != faults::kStoreWrite ? ERROR_REGISTRY_IO_FAILED : ERROR_DISK_FULL;
}

// What every hive of these tests holds before the call under test: Software\Kept, which no call
// touches, and Software\Target, which the calls change.
const Values kKept = {{u"text", {REG_SZ, std::string("k\0e\0p\0t\0\0\0", 10)}},
                      {u"number", {REG_DWORD, std::string("\x2a\0\0\0", 4)}},
                      {u"blob", {REG_BINARY, Bytes(3000, 1)}}};
const Values kTarget = {{u"v", {REG_SZ, std::string("o\0l\0d\0\0\0", 8)}},
                        {u"gone", {REG_DWORD, std::string("\7\0\0\0", 4)}}};
constexpr const char16_t* kCreated = u"Software\\New\\Deeper\\Deepest";

// One registry write and what the target key holds once it succeeded.
struct Operation {
  const char* what;
  std::function<LONG(HKEY root, HKEY target)> run;
  Values after;
};

std::vector<Operation> Operations() {
  Values set = kTarget, replaced = kTarget, deleted = kTarget;
  set[u"fresh"] = {REG_BINARY, Bytes(5000, 2)};
  replaced[u"v"] = {REG_SZ, Bytes(6000, 3)};
  deleted.erase(u"gone");
  const auto create = [](HKEY root, HKEY) {
    HKEY key = nullptr;
    const LONG rc = RegCreateKeyExW(root, W(kCreated), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    EXPECT_EQ(rc == ERROR_SUCCESS, key != nullptr);
    if (key != nullptr) RegCloseKey(key);
    return rc;
  };
  return {{"a new value", [](HKEY, HKEY t) { return faults::SetValue(t, u"fresh", REG_BINARY, Bytes(5000, 2)); }, set},
          {"a larger value", [](HKEY, HKEY t) { return faults::SetValue(t, u"v", REG_SZ, Bytes(6000, 3)); }, replaced},
          {"RegDeleteValueW", [](HKEY, HKEY t) { return RegDeleteValueW(t, W(u"gone")); }, deleted},
          {"RegCreateKeyExW, three new levels", create, kTarget}};
}

// The hive holds the kept values and the target's, the new key whole or no level of it, and
// passes the integrity check.
void ExpectHive(HKEY root, const Values& target, bool created) {
  LONG rc = 0;
  EXPECT_EQ(ReadValues(root, u"Software\\Kept", rc), kKept);
  EXPECT_EQ(rc, ERROR_SUCCESS);
  EXPECT_EQ(ReadValues(root, u"Software\\Target", rc), target);
  EXPECT_EQ(rc, ERROR_SUCCESS);
  for (const char16_t* key : {kCreated, u"Software\\New"}) {
    ReadValues(root, key, rc);
    EXPECT_EQ(rc, created ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
  }
  EXPECT_EQ(utility::platform::CheckHive(root), ERROR_SUCCESS);
}

TEST(RegistryUnderStoreFaults, EveryFailedWriteIsReportedAndChangesNothing) {
  TempDir dir;
  const fs::path templ = dir.path() / "template.db";
  {
    HKEY root = nullptr;
    ASSERT_EQ(LoadHive(templ, root), ERROR_SUCCESS);
    for (const auto& [path, values] :
         {std::pair{u"Software\\Kept", &kKept}, std::pair{u"Software\\Target", &kTarget}}) {
      for (const auto& [name, v] : *values) {
        ASSERT_EQ(utility::testsupport::WriteValue(root, W(path), W(name.c_str()), v.type, v.data.data(),
                                                   static_cast<DWORD>(v.data.size())),
                  ERROR_SUCCESS);
      }
    }
    ASSERT_EQ(RegCloseKey(root), ERROR_SUCCESS);  // the last handle: the log is folded into the file
  }
  for (const Operation& op : Operations()) {
    for (Fault fault : faults::kEveryStoreFault) {
      SCOPED_TRACE(std::string(op.what) + ", " + faults::Name(fault));
      const bool creates = op.after == kTarget;  // only the creation leaves the target as it was
      const int points = faults::Sweep([&](int n) {
        const fs::path file = faults::NewAttempt(dir.path(), templ);
        HKEY root = nullptr, target = nullptr;
        EXPECT_EQ(LoadHive(file, root), ERROR_SUCCESS);
        EXPECT_EQ(RegOpenKeyExW(root, W(u"Software\\Target"), 0, KEY_ALL_ACCESS, &target), ERROR_SUCCESS);
        LONG rc = ERROR_SUCCESS;
        unsigned fired = 0;
        {
          faults::FaultScope scope(file.parent_path(), faults::CallsFor(fault, faults::kEveryStoreCall), n, fault);
          rc = op.run(root, target);
          fired = scope.Fired();
        }
        EXPECT_EQ(rc, fired != 0 ? ExpectedCode(fault, fired) : ERROR_SUCCESS) << "a failed commit must be reported";
        const bool done = rc == ERROR_SUCCESS;
        ExpectHive(root, done ? op.after : kTarget, done && creates);
        // The hive takes writes again once the fault is gone, and one opened afresh holds the same.
        EXPECT_EQ(CUtility::WriteKey(root, W(u"Software\\Other"), W(u"later"), 5u), ERROR_SUCCESS);
        RegCloseKey(target);
        EXPECT_EQ(RegCloseKey(root), ERROR_SUCCESS);
        EXPECT_EQ(LoadHive(file, root), ERROR_SUCCESS);
        ExpectHive(root, done ? op.after : kTarget, done && creates);
        RegCloseKey(root);
        fs::remove_all(file.parent_path());
        return fired;
      });
      EXPECT_GE(points, 2) << "at least one write and one sync";
    }
  }
}

// A hive that is created under faults is either not there, or complete; nothing half-made is
// left beside it, and the next attempt creates it.
void ExpectCreationOutcome(const fs::path& file, LONG rc, HKEY root) {
  EXPECT_FALSE(faults::LeftoverTemporaries(file.parent_path()));
  EXPECT_EQ(root != nullptr, rc == ERROR_SUCCESS);
  if (root != nullptr) RegCloseKey(root);
  HKEY again = nullptr;
  ASSERT_EQ(LoadHive(file, again), ERROR_SUCCESS) << "a hive file left by a failed creation must be a whole hive";
  EXPECT_EQ(utility::platform::CheckHive(again), ERROR_SUCCESS);
  EXPECT_EQ(CUtility::WriteKey(again, W(u"Software\\T"), W(u"n"), 9u), ERROR_SUCCESS);
  RegCloseKey(again);
  EXPECT_EQ(LoadHive(file, again), ERROR_SUCCESS);
  DWORD n = 0;
  EXPECT_EQ(CUtility::ReadKey(again, W(u"Software\\T"), W(u"n"), n), ERROR_SUCCESS);
  EXPECT_EQ(n, 9u);
  RegCloseKey(again);
}

TEST(RegistryUnderStoreFaults, HiveCreationFailsWholeOrMakesAWholeHive) {
  TempDir dir;
  for (Fault fault : faults::kEveryStoreFault) {
    SCOPED_TRACE(faults::Name(fault));
    const int points = faults::Sweep([&](int n) {
      const fs::path file = faults::NewAttempt(dir.path());
      HKEY root = nullptr;
      LONG rc = ERROR_SUCCESS;
      unsigned fired = 0;
      {
        faults::FaultScope scope(file.parent_path(), faults::CallsFor(fault, faults::kEveryStoreCall), n, fault);
        rc = LoadHive(file, root);
        fired = scope.Fired();
      }
      EXPECT_EQ(rc, fired != 0 ? ExpectedCode(fault, fired) : ERROR_SUCCESS);
      ExpectCreationOutcome(file, rc, root);
      fs::remove_all(file.parent_path());
      return fired;
    });
    EXPECT_GE(points, 2);
  }
}

// The platform's own calls in hive creation: the parent directories, the sync of the new file
// and of its directory, and the link that puts it in place.
TEST(RegistryUnderFileFaults, HiveCreationReportsFailedSyncsAndLinksAndRetriesInterruptedOnes) {
  TempDir dir;
  for (faults::Fault fault : {faults::Fault::kNoSpace, faults::Fault::kIoError, faults::Fault::kInterrupted}) {
    SCOPED_TRACE(faults::Name(fault));
    const int points = faults::Sweep([&](int n) {
      const fs::path run = faults::NewAttempt(dir.path()).parent_path();
      const fs::path file = run / "new" / "dir" / "hive.db";
      HKEY root = nullptr;
      LONG rc = ERROR_SUCCESS;
      bool fired = false;
      unsigned call = 0;
      {
        faults::FaultScope scope(run, faults::kSync | faults::kLink | faults::kMkdir, n, fault);
        rc = LoadHive(file, root);
        fired = scope.Fired();
        call = scope.Fired();
      }
      // A failed link is made good by a rename (as on file systems without hard links).
      const LONG expected = !fired || fault == faults::Fault::kInterrupted || call == faults::kLink ? ERROR_SUCCESS
                            : fault == faults::Fault::kNoSpace                                      ? ERROR_DISK_FULL
                                                               : ERROR_REGISTRY_IO_FAILED;
      EXPECT_EQ(rc, expected);
      if (fs::is_directory(file.parent_path())) {
        ExpectCreationOutcome(file, rc, root);
      } else {
        EXPECT_EQ(root, nullptr);
      }
      fs::remove_all(run);
      return fired;
    });
    // Two directories, the new file's sync, the link and the directory's sync.
    EXPECT_EQ(points, 5);
  }
}

}  // namespace
