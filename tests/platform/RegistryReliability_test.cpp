// Reliability of the registry store: the predefined hives' files, several processes and
// threads writing one hive, a writer killed in the middle of its writes, and damaged files
// that must give error codes, never a crash or a reset.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <Utility/Platform/HiveFiles.h>
#include <Utility/Platform/Registry.h>
#include <Utility/Utility.h>

#include "support/Files.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

using utility::testsupport::W;

using utility::testsupport::ReadBytes;
using utility::testsupport::WriteBytes;

CString Name(const char* prefix, int a, int b = -1) {
  std::string s = std::string(prefix) + std::to_string(a);
  if (b >= 0) s += "-" + std::to_string(b);
  return CString(s.c_str());
}

// Points the predefined hives into this test's own directory for the length of the test.
class PredefinedHives : public ::testing::Test {
 protected:
  fs::path UserFile() const { return hives / "current-user.db"; }

  utility::testsupport::TempDir dir;
  fs::path hives = dir.path() / "hives";

 private:
  utility::testsupport::ScopedEnv m_registryDir{"UTILITY_REGISTRY_DIR", hives.string()};
};

// Runs body in a child process; the child's exit status is body's result.
pid_t Spawn(const std::function<int()>& body) {
  const pid_t pid = fork();
  if (pid == 0) _exit(body());
  return pid;
}

int ExitStatus(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST_F(PredefinedHives, EachRootHasItsFileAndReadsCreateNothing) {
  DWORD n = 5;
  EXPECT_EQ(CUtility::ReadKey(HKEY_CURRENT_USER, W(u"Software\\T"), W(u"n"), n), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(fs::exists(UserFile()));  // a read of a hive that does not exist leaves no file
  ASSERT_EQ(CUtility::WriteKey(HKEY_CURRENT_USER, W(u"Software\\T"), W(u"n"), 1u), ERROR_SUCCESS);
  ASSERT_EQ(CUtility::WriteKey(HKEY_LOCAL_MACHINE, W(u"Software\\T"), W(u"n"), 2u), ERROR_SUCCESS);
  EXPECT_TRUE(fs::exists(UserFile()));
  EXPECT_TRUE(fs::exists(hives / "local-machine.db"));
  EXPECT_EQ(CUtility::ReadKey(HKEY_CURRENT_USER, W(u"Software\\T"), W(u"n"), n), ERROR_SUCCESS);
  EXPECT_EQ(n, 1u);
  EXPECT_EQ(CUtility::ReadKey(HKEY_LOCAL_MACHINE, W(u"Software\\T"), W(u"n"), n), ERROR_SUCCESS);
  EXPECT_EQ(n, 2u);
  WCHAR path[512];
  DWORD size = 512;
  ASSERT_EQ(utility::platform::GetHiveFile(HKEY_CURRENT_USER, path, &size), ERROR_SUCCESS);
  EXPECT_EQ(CString(path).ToUtf8(), UserFile().string());
}

TEST_F(PredefinedHives, FourProcessesLoseNoCommittedWrite) {
  constexpr int kProcesses = 4;
  constexpr int kWrites = 60;
  // The parent has the hive open before it forks: children must not share its connection.
  ASSERT_EQ(CUtility::WriteKey(HKEY_CURRENT_USER, W(u"Shared"), W(u"start"), 0u), ERROR_SUCCESS);
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    children.push_back(Spawn([p]() -> int {
      for (int i = 0; i < kWrites; ++i) {
        const DWORD value = static_cast<DWORD>(p * 1000 + i);
        if (CUtility::WriteKey(HKEY_CURRENT_USER, W(u"Shared"), Name("n", p, i), value) != ERROR_SUCCESS) return 10;
        if (CUtility::WriteKey(HKEY_CURRENT_USER, Name("Own", p), Name("t", i), Name("text", p, i)) != ERROR_SUCCESS) {
          return 11;
        }
        DWORD back = 0;
        if (CUtility::ReadKey(HKEY_CURRENT_USER, W(u"Shared"), Name("n", p, i), back) != ERROR_SUCCESS ||
            back != value) {
          return 12;
        }
        CStringList list;
        if (CUtility::ReadKey(HKEY_CURRENT_USER, W(u"Shared"), nullptr, list) != ERROR_SUCCESS) return 13;
        if (list.GetCount() < i + 2) return 14;  // at least "start" and this process's own values
      }
      return 0;
    }));
  }
  for (pid_t child : children) EXPECT_EQ(ExitStatus(child), 0);
  EXPECT_EQ(utility::platform::CheckHive(HKEY_CURRENT_USER), ERROR_SUCCESS);
  for (int p = 0; p < kProcesses; ++p) {
    for (int i = 0; i < kWrites; ++i) {
      DWORD n = 0;
      ASSERT_EQ(CUtility::ReadKey(HKEY_CURRENT_USER, W(u"Shared"), Name("n", p, i), n), ERROR_SUCCESS) << p << " " << i;
      EXPECT_EQ(n, static_cast<DWORD>(p * 1000 + i));
      CString text;
      ASSERT_EQ(CUtility::ReadKey(HKEY_CURRENT_USER, Name("Own", p), Name("t", i), text), ERROR_SUCCESS);
      EXPECT_EQ(text, Name("text", p, i));
    }
  }
  CStringList all;
  ASSERT_EQ(CUtility::ReadKey(HKEY_CURRENT_USER, W(u"Shared"), nullptr, all), ERROR_SUCCESS);
  EXPECT_EQ(all.GetCount(), kProcesses * kWrites + 1);
}

TEST_F(PredefinedHives, KeyChangesInAnotherProcessAreSeenAtOnce) {
  // This process knows the keys (it has opened them) before another process changes them.
  ASSERT_EQ(CUtility::WriteKey(HKEY_CURRENT_USER, W(u"Soon\\Gone"), W(u"v"), 1u), ERROR_SUCCESS);
  ASSERT_EQ(CUtility::WriteKey(HKEY_CURRENT_USER, W(u"Soon\\Locked"), W(u"v"), 1u), ERROR_SUCCESS);
  DWORD n = 0;
  ASSERT_EQ(CUtility::ReadKey(HKEY_CURRENT_USER, W(u"Soon\\Gone"), W(u"v"), n), ERROR_SUCCESS);
  const pid_t child = Spawn([]() -> int {
    if (RegDeleteKeyW(HKEY_CURRENT_USER, W(u"Soon\\Gone")) != ERROR_SUCCESS) return 30;
    if (utility::platform::SetKeyReadOnly(HKEY_CURRENT_USER, W(u"Soon\\Locked"), TRUE) != ERROR_SUCCESS) return 31;
    return 0;
  });
  ASSERT_EQ(ExitStatus(child), 0);
  n = 7;
  EXPECT_EQ(CUtility::ReadKey(HKEY_CURRENT_USER, W(u"Soon\\Gone"), W(u"v"), n), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(n, 7u);  // a missing key, not a failed read
  EXPECT_EQ(CUtility::WriteKey(HKEY_CURRENT_USER, W(u"Soon\\Locked"), W(u"v"), 2u), ERROR_ACCESS_DENIED);
  // And a key re-created elsewhere is found again.
  ASSERT_EQ(ExitStatus(Spawn([]() -> int {
              return CUtility::WriteKey(HKEY_CURRENT_USER, W(u"Soon\\Gone"), W(u"v"), 3u) == ERROR_SUCCESS ? 0 : 32;
            })),
            0);
  EXPECT_EQ(CUtility::ReadKey(HKEY_CURRENT_USER, W(u"Soon\\Gone"), W(u"v"), n), ERROR_SUCCESS);
  EXPECT_EQ(n, 3u);
}

TEST_F(PredefinedHives, ThreadsShareOneHive) {
  constexpr int kThreads = 4;
  constexpr int kWrites = 40;
  std::vector<std::thread> threads;
  std::vector<int> failures(kThreads, 0);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &failures] {
      for (int i = 0; i < kWrites; ++i) {
        if (CUtility::WriteKey(HKEY_CURRENT_USER, W(u"Threads"), Name("v", t, i), Name("x", t, i)) != ERROR_SUCCESS) {
          ++failures[static_cast<std::size_t>(t)];
        }
      }
    });
  }
  for (std::thread& th : threads) th.join();
  EXPECT_EQ(failures, std::vector<int>(kThreads, 0));
  CStringList all;
  ASSERT_EQ(CUtility::ReadKey(HKEY_CURRENT_USER, W(u"Threads"), nullptr, all), ERROR_SUCCESS);
  EXPECT_EQ(all.GetCount(), kThreads * kWrites);
}

TEST_F(PredefinedHives, WriterKilledMidLoopLeavesASoundHiveWithEveryReportedValue) {
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
        if (CUtility::WriteKey(HKEY_CURRENT_USER, key, Name("v", i), text) != ERROR_SUCCESS) return 20;
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
    EXPECT_EQ(utility::platform::CheckHive(HKEY_CURRENT_USER), ERROR_SUCCESS);
    for (int v : committed) {
      HKEY k = nullptr;
      ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &k), ERROR_SUCCESS);
      DWORD size = 0;
      EXPECT_EQ(RegQueryValueExW(k, Name("v", v), nullptr, nullptr, nullptr, &size), ERROR_SUCCESS) << v;
      EXPECT_EQ(size, static_cast<DWORD>((1 + (v * 37) % 3000 + 1) * 2)) << v;
      RegCloseKey(k);
    }
    // The hive stays writable after the crash.
    EXPECT_EQ(CUtility::WriteKey(HKEY_CURRENT_USER, key, W(u"after"), 1u), ERROR_SUCCESS);
  }
}

// A damaged hive file: every call reports a registry error and the file is left as it was.
void ExpectReportedAndUntouched(const fs::path& file, std::initializer_list<LONG> allowed) {
  const std::string before = ReadBytes(file);
  auto isAllowed = [&](LONG rc) { return std::find(allowed.begin(), allowed.end(), rc) != allowed.end(); };
  DWORD n = 0;
  CString text;
  CStringList list;
  EXPECT_PRED1(isAllowed, CUtility::ReadKey(HKEY_CURRENT_USER, W(u"Software\\T"), W(u"n"), n));
  EXPECT_PRED1(isAllowed, CUtility::ReadKey(HKEY_CURRENT_USER, W(u"Software\\T"), W(u"s"), text));
  EXPECT_PRED1(isAllowed, CUtility::ReadKey(HKEY_CURRENT_USER, W(u"Software\\T"), nullptr, list));
  EXPECT_PRED1(isAllowed, CUtility::WriteKey(HKEY_CURRENT_USER, W(u"Software\\T"), W(u"n"), 1u));
  EXPECT_PRED1(isAllowed, CUtility::WriteKey(HKEY_CURRENT_USER, W(u"New"), W(u"s"), CString(u"x")));
  EXPECT_PRED1(isAllowed, utility::platform::CheckHive(HKEY_CURRENT_USER));
  EXPECT_EQ(ReadBytes(file), before) << "a damaged hive must never be rewritten";
}

TEST_F(PredefinedHives, GarbageEmptyAndForeignFilesAreNotHives) {
  fs::create_directories(hives);
  std::mt19937 rng(7);
  std::string garbage(8192, '\0');
  for (char& c : garbage) c = static_cast<char>(rng());
  const std::string sqliteHeader("SQLite format 3\0", 16);
  // A database of another program: a real hive with a different application id.
  utility::testsupport::TempDir other;
  HKEY app = nullptr;
  const fs::path foreignFile = other.path() / "foreign.db";
  ASSERT_EQ(RegLoadAppKeyW(CString(foreignFile.c_str()), &app, KEY_ALL_ACCESS, 0, 0), ERROR_SUCCESS);
  ASSERT_EQ(CUtility::WriteKey(app, W(u"Software\\T"), W(u"n"), 3u), ERROR_SUCCESS);
  ASSERT_EQ(RegCloseKey(app), ERROR_SUCCESS);
  std::string foreign = ReadBytes(foreignFile);
  ASSERT_GT(foreign.size(), 100u);
  foreign[68] = 'X';  // the application id field of the header
  struct Case {
    const char* what;
    std::string bytes;
  };
  const Case cases[] = {
      {"random bytes", garbage},
      {"an empty file", ""},
      {"a text file", "[Settings]\nname=value\n"},
      {"a header and nothing else", sqliteHeader},
      {"another program's database", foreign},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(UserFile(), c.bytes);
    ExpectReportedAndUntouched(UserFile(), {ERROR_BADDB, ERROR_REGISTRY_CORRUPT});
    HKEY k = nullptr;
    EXPECT_NE(RegLoadAppKeyW(CString(UserFile().c_str()), &k, KEY_ALL_ACCESS, 0, 0), ERROR_SUCCESS);
    fs::remove(UserFile());
  }
}

TEST_F(PredefinedHives, ADirectoryInPlaceOfTheHiveFileHasItsOwnCode) {
  fs::create_directories(UserFile() / "inside");
  EXPECT_EQ(CUtility::WriteKey(HKEY_CURRENT_USER, W(u"Software\\T"), W(u"n"), 3u), ERROR_DIRECTORY);
  HKEY k = nullptr;
  EXPECT_EQ(RegLoadAppKeyW(CString(UserFile().c_str()), &k, KEY_ALL_ACCESS, 0, 0), ERROR_DIRECTORY);
  EXPECT_EQ(k, nullptr);
  EXPECT_TRUE(fs::is_directory(UserFile() / "inside"));  // nothing is created or removed in it
  EXPECT_EQ(std::distance(fs::directory_iterator(UserFile()), fs::directory_iterator()), 1);
}

TEST_F(PredefinedHives, TruncatedAndOverwrittenHivesAreReportedAsCorrupt) {
  const fs::path source = dir.path() / "source.db";
  HKEY app = nullptr;
  ASSERT_EQ(RegLoadAppKeyW(CString(source.c_str()), &app, KEY_ALL_ACCESS, 0, 0), ERROR_SUCCESS);
  for (int i = 0; i < 300; ++i) {
    ASSERT_EQ(CUtility::WriteKey(app, W(u"Software\\T"), Name("v", i), CString(u'q', 100)), ERROR_SUCCESS);
  }
  ASSERT_EQ(RegCloseKey(app), ERROR_SUCCESS);  // the last handle: the hive is closed and its log folded in
  const std::string sound = ReadBytes(source);
  ASSERT_GT(sound.size(), 40000u);
  ASSERT_FALSE(fs::exists(source.string() + "-wal"));
  fs::create_directories(hives);
  const std::string overwritten = utility::testsupport::WithPagesOverwritten(sound, 3, 3, 11);
  struct Case {
    const char* what;
    std::string bytes;
  };
  const Case cases[] = {
      {"truncated to half", sound.substr(0, sound.size() / 2)},
      {"cut in the middle of a page", sound.substr(0, 4096 * 5 + 1000)},
      {"pages overwritten", overwritten},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(UserFile(), c.bytes);
    EXPECT_EQ(utility::platform::CheckHive(HKEY_CURRENT_USER), ERROR_REGISTRY_CORRUPT);
    // Reading every value meets the damage as an error code.
    HKEY k = nullptr;
    LONG rc = RegOpenKeyExW(HKEY_CURRENT_USER, W(u"Software\\T"), 0, KEY_READ, &k);
    int readable = 0;
    if (rc == ERROR_SUCCESS) {
      for (int i = 0; i < 300 && rc == ERROR_SUCCESS; ++i) {
        DWORD size = 0;
        rc = RegQueryValueExW(k, Name("v", i), nullptr, nullptr, nullptr, &size);
        if (rc == ERROR_SUCCESS) ++readable;
      }
      RegCloseKey(k);
    }
    EXPECT_LT(readable, 300);
    EXPECT_TRUE(rc == ERROR_REGISTRY_CORRUPT || rc == ERROR_FILE_NOT_FOUND || rc == ERROR_BADDB) << rc;
    EXPECT_EQ(ReadBytes(UserFile()), c.bytes);
    fs::remove(UserFile());
    fs::remove(UserFile().string() + "-wal");
    fs::remove(UserFile().string() + "-shm");
  }
}

}  // namespace
