// Reliability of the registry store: the predefined hives' files, another process's changes,
// threads writing one hive, and a writer killed in the middle of its writes (many writer
// processes at once are the soak test's). Each test's hive lies in its own directory; the
// predefined hives are pointed there in a child process's own environment.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
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

// A hive in the test's own directory, open for the length of the test.
class SharedHive : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(hive.rc, ERROR_SUCCESS); }

  utility::testsupport::TempDir dir;
  utility::testsupport::LoadedHive hive{dir.path() / "shared.db"};
  HKEY root = hive.root;
};

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

TEST_F(SharedHive, KeyChangesInAnotherProcessAreSeenAtOnce) {
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
  // And a key re-created elsewhere is found again.
  ASSERT_EQ(ExitStatus(Spawn([&]() -> int {
              return CUtility::WriteKey(root, W(u"Soon\\Gone"), W(u"v"), 3u) == ERROR_SUCCESS ? 0 : 32;
            })),
            0);
  EXPECT_EQ(CUtility::ReadKey(root, W(u"Soon\\Gone"), W(u"v"), n), ERROR_SUCCESS);
  EXPECT_EQ(n, 3u);
}

TEST_F(SharedHive, ThreadsShareOneHive) {
  constexpr int kThreads = 4;
  constexpr int kWrites = 40;
  std::vector<std::thread> threads;
  std::vector<int> failures(kThreads, 0);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([this, t, &failures] {
      for (int i = 0; i < kWrites; ++i) {
        if (CUtility::WriteKey(root, W(u"Threads"), Name("v", t, i), Name("x", t, i)) != ERROR_SUCCESS) {
          ++failures[static_cast<std::size_t>(t)];
        }
      }
    });
  }
  for (std::thread& th : threads) th.join();
  EXPECT_EQ(failures, std::vector<int>(kThreads, 0));
  CStringList all;
  ASSERT_EQ(CUtility::ReadKey(root, W(u"Threads"), nullptr, all), ERROR_SUCCESS);
  EXPECT_EQ(all.GetCount(), kThreads * kWrites);
}

TEST_F(SharedHive, WriterKilledMidLoopLeavesASoundHiveWithEveryReportedValue) {
  for (int killAfter : {1, 40, 150}) {
    SCOPED_TRACE(killAfter);
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const CString key = Name("Killed", killAfter);
    const pid_t child = Spawn([&]() -> int {
      close(fds[0]);
      for (int i = 0;; ++i) {
        // Texts of growing length, so that writes span pages and the log grows.
        const CString text(static_cast<WCHAR>(u'a' + i % 26), 1 + (i * 37) % 3000);
        if (CUtility::WriteKey(root, key, Name("v", i), text) != ERROR_SUCCESS) return 20;
        if (write(fds[1], &i, sizeof i) != static_cast<ssize_t>(sizeof i)) return 21;  // reported only once committed
      }
    });
    close(fds[1]);
    std::vector<int> committed;
    int i = 0;
    while (static_cast<int>(committed.size()) < killAfter &&
           read(fds[0], &i, sizeof i) == static_cast<ssize_t>(sizeof i)) {
      committed.push_back(i);
    }
    kill(child, SIGKILL);
    EXPECT_EQ(ExitStatus(child), 128 + SIGKILL);
    while (read(fds[0], &i, sizeof i) == static_cast<ssize_t>(sizeof i)) committed.push_back(i);
    close(fds[0]);
    ASSERT_GE(static_cast<int>(committed.size()), killAfter);
    EXPECT_EQ(utility::platform::CheckHive(root), ERROR_SUCCESS);
    HKEY k = nullptr;
    ASSERT_EQ(RegOpenKeyExW(root, key, 0, KEY_READ, &k), ERROR_SUCCESS);
    for (int v : committed) {
      DWORD size = 0;
      EXPECT_EQ(RegQueryValueExW(k, Name("v", v), nullptr, nullptr, nullptr, &size), ERROR_SUCCESS) << v;
      EXPECT_EQ(size, static_cast<DWORD>((1 + (v * 37) % 3000 + 1) * 2)) << v;
    }
    RegCloseKey(k);
    // The hive stays writable after the crash.
    EXPECT_EQ(CUtility::WriteKey(root, key, W(u"after"), 1u), ERROR_SUCCESS);
  }
}
