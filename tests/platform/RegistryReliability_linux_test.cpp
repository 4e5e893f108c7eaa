// The registry store's predefined hives' files, another process's changes and threads writing one
// hive (power cuts are tests/faults', many writer processes the soak test's).
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <Utility/Platform/HiveFiles.h>
#include <Utility/Platform/Registry.h>
#include <Utility/Utility.h>

#include "support/LoadedHive.h"
#include "support/TempDir.h"
#include "support/posix/Child.h"

namespace {

namespace fs = std::filesystem;

using utility::testsupport::ExitStatus;
using utility::testsupport::Spawn;
using utility::testsupport::W;

CString Name(const char* prefix, int a, int b = -1) {
  std::string s = std::string(prefix) + std::to_string(a);
  if (b >= 0) s += "-" + std::to_string(b);
  return CString(s.c_str());
}

using SharedHive = utility::testsupport::HiveTest;

}  // namespace

TEST(PredefinedHives, EachRootHasItsFileAndReadsCreateNothing) {
  utility::testsupport::TempDir dir;
  const fs::path hives = dir.path() / "hives", user = hives / "current-user.db";
  const pid_t child = Spawn([&]() -> int {
    setenv("UTILITY_REGISTRY_DIR", hives.c_str(), 1);  // the child's environment only
    DWORD n = 5;
    if (CUtility::ReadKey(HKEY_CURRENT_USER, W(u"Software\\T"), W(u"n"), n) != ERROR_FILE_NOT_FOUND) return 10;
    if (fs::exists(user)) return 11;  // a read of a hive that does not exist leaves no file
    if (CUtility::WriteKey(HKEY_CURRENT_USER, W(u"Software\\T"), W(u"n"), 1u) != ERROR_SUCCESS ||
        CUtility::WriteKey(HKEY_LOCAL_MACHINE, W(u"Software\\T"), W(u"n"), 2u) != ERROR_SUCCESS) {
      return 12;
    }
    if (CUtility::ReadKey(HKEY_CURRENT_USER, W(u"Software\\T"), W(u"n"), n) != ERROR_SUCCESS || n != 1) return 13;
    if (CUtility::ReadKey(HKEY_LOCAL_MACHINE, W(u"Software\\T"), W(u"n"), n) != ERROR_SUCCESS || n != 2) return 14;
    WCHAR path[512];
    DWORD size = 512;
    if (utility::platform::GetHiveFile(HKEY_CURRENT_USER, path, &size) != ERROR_SUCCESS) return 15;
    return CString(path).ToUtf8() == user.string() ? 0 : 16;
  });
  EXPECT_EQ(ExitStatus(child), 0);
  EXPECT_TRUE(fs::exists(user));
  EXPECT_TRUE(fs::exists(hives / "local-machine.db"));
}

TEST_F(SharedHive, KeyChangesOfAnotherProcessAreSeenAtOnceAndThreadsShareTheHive) {
  // This process knows the keys (it has opened them) before another process changes them.
  ASSERT_EQ(CUtility::WriteKey(root, W(u"Soon\\Gone"), W(u"v"), 1u), ERROR_SUCCESS);
  ASSERT_EQ(CUtility::WriteKey(root, W(u"Soon\\Locked"), W(u"v"), 1u), ERROR_SUCCESS);
  DWORD n = 0;
  ASSERT_EQ(CUtility::ReadKey(root, W(u"Soon\\Gone"), W(u"v"), n), ERROR_SUCCESS);
  ASSERT_EQ(ExitStatus(Spawn([&]() -> int {
              if (RegDeleteKeyW(root, W(u"Soon\\Gone")) != ERROR_SUCCESS) return 30;
              return utility::platform::SetKeyReadOnly(root, W(u"Soon\\Locked"), TRUE) == ERROR_SUCCESS ? 0 : 31;
            })),
            0);
  n = 7;
  EXPECT_EQ(CUtility::ReadKey(root, W(u"Soon\\Gone"), W(u"v"), n), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(n, 7u);  // a missing key, not a failed read
  EXPECT_EQ(CUtility::WriteKey(root, W(u"Soon\\Locked"), W(u"v"), 2u), ERROR_ACCESS_DENIED);
  // Threads of this process share the hive.
  constexpr int kThreads = 4;
  constexpr int kWrites = 40;
  std::vector<std::thread> threads;
  std::atomic<int> failures{0};
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([this, t, &failures] {
      for (int i = 0; i < kWrites; ++i) {
        if (CUtility::WriteKey(root, W(u"Threads"), Name("v", t, i), Name("x", t, i)) != ERROR_SUCCESS) ++failures;
      }
    });
  }
  for (std::thread& th : threads) th.join();
  EXPECT_EQ(failures, 0);
  CStringList all;
  ASSERT_EQ(CUtility::ReadKey(root, W(u"Threads"), nullptr, all), ERROR_SUCCESS);
  EXPECT_EQ(all.GetCount(), kThreads * kWrites);
}
