// Many writers on one log at once, from threads of this process and from a second process:
// afterwards the file is a sequence of whole entries, none torn or interleaved, each writer's
// entries in the order it wrote them.
#include <Utility/Utility.h>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "support/Files.h"
#include "support/TempDir.h"
#include "support/TrackLog.h"

using utility::testsupport::TempDir;

namespace {

constexpr int kEntriesPerWriter = 300;

void Write(const CString& log, int writer) {
  for (int i = 0; i < kEntriesPerWriter; ++i) {
    CString text;
    // A long text, with a line break inside, makes a torn entry easy to see.
    text.Format(u"writer %d entry %d\n%s", writer, i, CString(u'x', 200 + writer).GetString());
    CUtility::SaveTrackLog(log, text, 0);
    // A pause of varying length between entries, as a working host makes: without it the
    // writer that holds the file reopens it at once and the others rarely get a turn.
    usleep(static_cast<useconds_t>(50 + (i * 37 + writer * 11) % 150));
  }
}

}  // namespace

TEST(SaveTrackLogStress, ConcurrentWritersNeverInterleave) {
  TempDir dir;
  const CString log = dir.Windows("shared.log");
  CUtility::SaveTrackLog(log, u"writer 0 entry 0\nstart", 1);

  const pid_t child = fork();
  ASSERT_NE(child, -1);
  if (child == 0) {
    // The second process: two writers of its own, then out without running anything else.
    std::thread a(Write, log, 101), b(Write, log, 102);
    a.join();
    b.join();
    _exit(0);
  }
  std::vector<std::thread> threads;
  for (int w = 1; w <= 4; ++w) threads.emplace_back(Write, log, w);
  for (std::thread& t : threads) t.join();
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  const std::string bytes = utility::testsupport::ReadBytes(dir.path() / "shared.log");
  std::vector<std::string> texts;
  std::size_t badAt = 0;
  ASSERT_TRUE(utility::testsupport::TrackLogEntries(bytes, texts, &badAt)) << "torn at byte " << badAt;
  std::map<int, int> lastSeen;  // writer -> last entry number
  int entries = 0;
  for (const std::string& text : texts) {
    int writer = -1, number = -1, consumed = 0;
    ASSERT_EQ(std::sscanf(text.c_str(), "writer %d entry %d\r\n%n", &writer, &number, &consumed), 2) << text;
    const std::string tail =
        writer == 0 ? std::string("start") : std::string(static_cast<std::size_t>(200 + writer), 'x');
    ASSERT_EQ(text.substr(static_cast<std::size_t>(consumed)), tail) << "entry " << entries;
    auto last = lastSeen.find(writer);
    if (last != lastSeen.end()) {
      EXPECT_GT(number, last->second) << "writer " << writer;
    }
    lastSeen[writer] = number;
    ++entries;
  }
  // Entries that met a busy file were dropped; many still got through, from both processes.
  EXPECT_GT(entries, kEntriesPerWriter);
  EXPECT_TRUE(lastSeen.count(1) || lastSeen.count(2) || lastSeen.count(3) || lastSeen.count(4)) << entries;
  EXPECT_TRUE(lastSeen.count(101) || lastSeen.count(102)) << entries;
  RecordProperty("entries", entries);
}
