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
#include "faults/Sweep.h"
#include "faults/VfsShim.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using faults::Bytes;
using faults::LoadHive;
using faults::ReadValues;
using faults::Values;
using faults::VfsFault;
using faults::VfsFaultScope;
using faults::W;
using utility::testsupport::TempDir;

constexpr VfsFault kStoreFaults[] = {VfsFault::kFull, VfsFault::kIoError, VfsFault::kShortWrite};

LONG ExpectedCode(VfsFault fault) { return fault == VfsFault::kIoError ? ERROR_REGISTRY_IO_FAILED : ERROR_DISK_FULL; }

// What every hive of these tests holds before the call under test.
const Values& KeptValues() {
  static const Values kept = {
      {u"text", {REG_SZ, std::string("k\0e\0p\0t\0\0\0", 10)}},
      {u"number", {REG_DWORD, std::string("\x2a\0\0\0", 4)}},
      {u"blob", {REG_BINARY, Bytes(3000, 1)}},
  };
  return kept;
}
const Values& TargetValues() {
  static const Values target = {
      {u"v", {REG_SZ, std::string("o\0l\0d\0\0\0", 8)}},
      {u"gone", {REG_DWORD, std::string("\7\0\0\0", 4)}},
  };
  return target;
}

// A closed hive file holding the kept values, to copy for each attempt.
void MakeTemplate(const fs::path& file) {
  HKEY root = nullptr;
  ASSERT_EQ(LoadHive(file, root), ERROR_SUCCESS);
  for (const auto& [path, values] :
       {std::pair{u"Software\\Kept", &KeptValues()}, std::pair{u"Software\\Target", &TargetValues()}}) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(root, W(path), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
    for (const auto& [name, v] : *values) ASSERT_EQ(faults::SetValue(key, name.c_str(), v.type, v.data), ERROR_SUCCESS);
    RegCloseKey(key);
  }
  ASSERT_EQ(RegCloseKey(root), ERROR_SUCCESS);  // the last handle: the log is folded into the file
  ASSERT_FALSE(fs::exists(file.string() + "-wal"));
}

// One registry write and what the target key holds after it succeeded.
struct Operation {
  const char* what;
  std::function<LONG(HKEY root, HKEY target)> run;
  Values after;                          // the target key's values once the call succeeded
  const char16_t* createdKey = nullptr;  // a key the call creates
};

std::vector<Operation> Operations() {
  Values set = TargetValues();
  set[u"fresh"] = {REG_BINARY, Bytes(5000, 2)};
  Values replaced = TargetValues();
  replaced[u"v"] = {REG_SZ, Bytes(6000, 3)};
  Values deleted = TargetValues();
  deleted.erase(u"gone");
  return {
      {"RegSetValueExW, a new value",
       [](HKEY, HKEY target) { return faults::SetValue(target, u"fresh", REG_BINARY, Bytes(5000, 2)); }, set},
      {"RegSetValueExW, a value replaced by a larger one",
       [](HKEY, HKEY target) { return faults::SetValue(target, u"v", REG_SZ, Bytes(6000, 3)); }, replaced},
      {"RegDeleteValueW", [](HKEY, HKEY target) { return RegDeleteValueW(target, W(u"gone")); }, deleted},
      {"RegCreateKeyExW, three new levels",
       [](HKEY root, HKEY) {
         HKEY key = nullptr;
         DWORD how = 0;
         const LONG rc = RegCreateKeyExW(root, W(u"Software\\New\\Deeper\\Deepest"), 0, nullptr, 0, KEY_ALL_ACCESS,
                                         nullptr, &key, &how);
         if (rc == ERROR_SUCCESS) {
           EXPECT_EQ(how, static_cast<DWORD>(REG_CREATED_NEW_KEY));
           RegCloseKey(key);
         } else {
           EXPECT_EQ(key, nullptr);
         }
         return rc;
       },
       TargetValues(), u"Software\\New\\Deeper\\Deepest"},
  };
}

// The hive holds the kept values, the target key as expected, and passes the integrity check.
void ExpectHive(HKEY root, const Values& target, bool created, const char16_t* createdKey) {
  LONG rc = 0;
  EXPECT_EQ(ReadValues(root, u"Software\\Kept", rc), KeptValues());
  EXPECT_EQ(rc, ERROR_SUCCESS);
  EXPECT_EQ(ReadValues(root, u"Software\\Target", rc), target);
  EXPECT_EQ(rc, ERROR_SUCCESS);
  if (createdKey != nullptr) {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(root, W(createdKey), 0, KEY_READ, &key), created ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
    if (key != nullptr) RegCloseKey(key);
    // Created whole or not at all: no level of the path is left behind.
    EXPECT_EQ(RegOpenKeyExW(root, W(u"Software\\New"), 0, KEY_READ, &key),
              created ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
    if (key != nullptr) RegCloseKey(key);
  }
  EXPECT_EQ(utility::platform::CheckHive(root), ERROR_SUCCESS);
}

TEST(RegistryUnderStoreFaults, EveryFailedWriteIsReportedAndChangesNothing) {
  TempDir dir;
  const fs::path templ = dir.path() / "template.db";
  MakeTemplate(templ);
  if (HasFatalFailure()) return;
  for (const Operation& op : Operations()) {
    for (VfsFault fault : kStoreFaults) {
      SCOPED_TRACE(std::string(op.what) + ", " + faults::Name(fault));
      const int points = faults::Sweep([&](int n) {
        const fs::path file = faults::NewAttempt(dir.path(), templ);
        HKEY root = nullptr, target = nullptr;
        EXPECT_EQ(LoadHive(file, root), ERROR_SUCCESS);
        EXPECT_EQ(RegOpenKeyExW(root, W(u"Software\\Target"), 0, KEY_ALL_ACCESS, &target), ERROR_SUCCESS);
        LONG rc = ERROR_SUCCESS;
        bool fired = false;
        {
          VfsFaultScope scope(file.parent_path(), faults::VfsCallsFor(fault, faults::kEveryVfsCall), n, fault);
          rc = op.run(root, target);
          fired = scope.Fired();
        }
        EXPECT_EQ(rc, fired ? ExpectedCode(fault) : ERROR_SUCCESS) << "a failed commit must be reported";
        const bool done = rc == ERROR_SUCCESS;
        ExpectHive(root, done ? op.after : TargetValues(), done, op.createdKey);
        // The hive takes writes again once the fault is gone.
        EXPECT_EQ(CUtility::WriteKey(root, W(u"Software\\Other"), W(u"later"), 5u), ERROR_SUCCESS);
        RegCloseKey(target);
        EXPECT_EQ(RegCloseKey(root), ERROR_SUCCESS);
        // And a process that opens it afresh finds the same.
        EXPECT_EQ(LoadHive(file, root), ERROR_SUCCESS);
        ExpectHive(root, done ? op.after : TargetValues(), done, op.createdKey);
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
void ExpectCreationOutcome(const fs::path& run, const fs::path& file, LONG rc, HKEY root) {
  EXPECT_FALSE(faults::LeftoverTemporaries(run));
  if (rc == ERROR_SUCCESS) {
    EXPECT_NE(root, nullptr);
    RegCloseKey(root);
  } else {
    EXPECT_EQ(root, nullptr);
  }
  HKEY again = nullptr;
  if (LoadHive(file, again) != ERROR_SUCCESS) {
    ADD_FAILURE() << "a hive file left by a failed creation must be a whole hive";
    return;
  }
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
  for (VfsFault fault : kStoreFaults) {
    SCOPED_TRACE(faults::Name(fault));
    const int points = faults::Sweep([&](int n) {
      const fs::path file = faults::NewAttempt(dir.path());
      HKEY root = nullptr;
      LONG rc = ERROR_SUCCESS;
      bool fired = false;
      {
        VfsFaultScope scope(file.parent_path(), faults::VfsCallsFor(fault, faults::kEveryVfsCall), n, fault);
        rc = LoadHive(file, root);
        fired = scope.Fired();
      }
      EXPECT_EQ(rc, fired ? ExpectedCode(fault) : ERROR_SUCCESS);
      ExpectCreationOutcome(file.parent_path(), file, rc, root);
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
        faults::LibcFaultScope scope(run, faults::kSync | faults::kLink | faults::kMkdir, n, fault);
        rc = LoadHive(file, root);
        fired = scope.Fired();
        call = scope.FiredCall();
      }
      // A failed link is made good by a rename (as on file systems without hard links).
      const LONG expected = !fired || fault == faults::Fault::kInterrupted || call == faults::kLink ? ERROR_SUCCESS
                            : fault == faults::Fault::kNoSpace                                      ? ERROR_DISK_FULL
                                                               : ERROR_REGISTRY_IO_FAILED;
      EXPECT_EQ(rc, expected);
      if (fs::is_directory(file.parent_path())) {
        ExpectCreationOutcome(file.parent_path(), file, rc, root);
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
