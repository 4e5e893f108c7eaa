// Registry writes and hive creation with each file call failing in turn: the failure is reported,
// nothing changes, and the hive stays sound, also when opened afresh.
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

// The code of a call whose `call` failed (0: none did). SQLite reports a failed sync or truncation
// as an I/O failure whatever the cause; a write or a platform call that finds no space is a full
// disk. A failed link is made good by a rename (as on file systems without hard links), and an
// interrupted platform call is tried again.
LONG ExpectedCode(Fault fault, unsigned call) {
  if (call == 0 || call == faults::kLink || fault == Fault::kInterrupted) return ERROR_SUCCESS;
  const bool io = fault == Fault::kIoError || call == faults::kStoreSync || call == faults::kTruncate;
  return io ? ERROR_REGISTRY_IO_FAILED : ERROR_DISK_FULL;
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
  Values set = kTarget;
  set[u"fresh"] = {REG_BINARY, Bytes(5000, 2)};
  const auto create = [](HKEY root, HKEY) {
    HKEY key = nullptr;
    const LONG rc = RegCreateKeyExW(root, W(kCreated), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    EXPECT_EQ(rc == ERROR_SUCCESS, key != nullptr);
    if (key != nullptr) RegCloseKey(key);
    return rc;
  };
  return {{"a new value", [](HKEY, HKEY t) { return faults::SetValue(t, u"fresh", REG_BINARY, Bytes(5000, 2)); }, set},
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

TEST(RegistryUnderFaults, EveryFailedWriteIsReportedAndChangesNothing) {
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
    for (Fault fault : {Fault::kNoSpace, Fault::kIoError}) {  // SQLite tries EINTR and short writes again
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
          faults::FaultScope scope(file.parent_path(), faults::kEveryStoreCall, n, fault);
          rc = op.run(root, target);
          fired = scope.Fired();
        }
        EXPECT_EQ(rc, ExpectedCode(fault, fired)) << "a failed commit must be reported";
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

// Under faults in the parent directories, SQLite's calls, the sync of the new file and of its
// directory, and the link that puts it in place, a hive is created whole or not at all: nothing
// half-made is left beside it, and the next attempt creates it.
TEST(RegistryUnderFaults, HiveCreationFailsWholeOrMakesAWholeHive) {
  TempDir dir;
  for (Fault fault : {Fault::kNoSpace, Fault::kIoError, Fault::kInterrupted}) {
    SCOPED_TRACE(faults::Name(fault));
    // SQLite does not try an interrupted sync again: EINTR is for the platform's calls.
    const unsigned calls =
        faults::kSync | faults::kLink | faults::kMkdir | (fault == Fault::kInterrupted ? 0 : faults::kEveryStoreCall);
    const int points = faults::Sweep([&](int n) {
      const fs::path run = faults::NewAttempt(dir.path()).parent_path();
      const fs::path file = run / "new" / "dir" / "hive.db";
      HKEY root = nullptr;
      LONG rc = ERROR_SUCCESS;
      unsigned fired = 0;
      {
        faults::FaultScope scope(run, calls, n, fault);
        rc = LoadHive(file, root);
        fired = scope.Fired();
      }
      EXPECT_EQ(rc, ExpectedCode(fault, fired));
      EXPECT_EQ(root != nullptr, rc == ERROR_SUCCESS);
      if (root != nullptr) RegCloseKey(root);
      if (fs::is_directory(file.parent_path())) {
        EXPECT_FALSE(faults::LeftoverTemporaries(file.parent_path()));
        EXPECT_EQ(LoadHive(file, root), ERROR_SUCCESS) << "a hive file left by a failed creation must be whole";
        EXPECT_EQ(utility::platform::CheckHive(root), ERROR_SUCCESS);
        EXPECT_EQ(CUtility::WriteKey(root, W(u"Software\\T"), W(u"n"), 9u), ERROR_SUCCESS);
        RegCloseKey(root);
      }
      fs::remove_all(run);
      return fired != 0;
    });
    // Two directories, the new file's sync, the link and the directory's sync; SQLite's writes
    // and syncs besides.
    EXPECT_GE(points, fault == Fault::kInterrupted ? 5 : 7);
  }
}

}  // namespace
