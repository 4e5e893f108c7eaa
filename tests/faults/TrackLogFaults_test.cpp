// Track log appends under failing writes: a log read back holds whole entries only, every
// entry whose write was not failed is there, and an interrupted or short write is completed.
#include <Utility/Utility.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "faults/LibcFaults.h"
#include "faults/Sweep.h"
#include "support/Files.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using faults::Fault;
using faults::LibcFaultScope;
using testsupport::ReadBytes;
using testsupport::TempDir;

// Splits a log into the texts of its entries; false at the first byte that is not part of a
// whole entry (a torn entry included).
bool WholeEntries(const std::string& log, std::vector<std::string>& texts) {
  const std::string head = std::string(58, '=') + "\r\n";
  std::size_t at = 0;
  while (at < log.size()) {
    if (log.compare(at, head.size(), head) != 0) return false;
    at += head.size();
    // yyyy/mm/dd hh:mm:ss.mmm followed by " : "
    if (log.size() < at + 26) return false;
    for (std::size_t i = 0; i < 23; ++i) {
      const char c = log[at + i];
      const char want = i == 4 || i == 7 ? '/' : i == 10 ? ' ' : i == 13 || i == 16 ? ':' : i == 19 ? '.' : '0';
      if (want == '0' ? (c < '0' || c > '9') : c != want) return false;
    }
    if (log.compare(at + 23, 3, " : ") != 0) return false;
    at += 26;
    const std::size_t end = log.find("\r\n\r\n", at);
    if (end == std::string::npos) return false;
    texts.push_back(log.substr(at, end - at));
    at = end + 4;
  }
  return true;
}

struct Append {
  CString text;
  int startNew;
  std::string bytes;  // the text as the log holds it (code page 936, CR LF)
};

TEST(SaveTrackLogUnderFaults, ALogHoldsOnlyWholeEntriesAndEveryEntryNotFailed) {
  const std::string longText(9000, 'L');
  const std::vector<std::vector<Append>> workloads = {
      // Appends to a log that holds entries already.
      {{CString(u"first"), 0, "first"},
       {CString(longText.c_str()), 0, longText},
       {CString(u"\u4e2d\u6587 line\nnext"), 0, "\xD6\xD0\xCE\xC4 line\r\nnext"}},
      // Starting afresh, then appending.
      {{CString(u"fresh"), 1, "fresh"}, {CString(u"after fresh"), 0, "after fresh"}},
  };
  const std::vector<std::string> before = {"old one", "old two"};
  for (Fault fault : {Fault::kNoSpace, Fault::kIoError, Fault::kInterrupted, Fault::kShortWrite, Fault::kShortThenFull}) {
    for (std::size_t w = 0; w < workloads.size(); ++w) {
      SCOPED_TRACE(::testing::Message() << faults::Name(fault) << ", workload " << w);
      const std::vector<Append>& appends = workloads[w];
      TempDir dir;
      const CString log = dir.LibraryPath("track.log");
      const int points = faults::Sweep([&](int n) {
        fs::remove(dir.path() / "track.log");
        for (const std::string& text : before) CUtility::SaveTrackLog(log, CString(text.c_str()), 0);
        std::vector<std::string> expected = before;
        bool fired = false;
        {
          LibcFaultScope scope(dir.path(), faults::CallsFor(fault, faults::kWrite), n, fault);
          for (const Append& a : appends) {
            const bool firedBefore = scope.Fired();
            CUtility::SaveTrackLog(log, a.text, a.startNew);
            if (a.startNew != 0) expected.clear();
            // The disk stays full once a write met ENOSPC: no later entry can be written.
            const bool diskFull = firedBefore && (fault == Fault::kNoSpace || fault == Fault::kShortThenFull);
            const bool failedHere = !firedBefore && scope.Fired();
            const bool lost = diskFull || (failedHere && fault != Fault::kInterrupted && fault != Fault::kShortWrite);
            if (!lost) expected.push_back(a.bytes);
          }
          fired = scope.Fired();
        }
        std::vector<std::string> texts;
        EXPECT_TRUE(WholeEntries(ReadBytes(dir.path() / "track.log"), texts)) << "a torn entry";
        EXPECT_EQ(texts, expected);
        return fired;
      });
      EXPECT_EQ(points, static_cast<int>(appends.size()));
      ::testing::Test::RecordProperty(std::string("points ") + faults::Name(fault) + " " + std::to_string(w), points);
    }
  }
}

}  // namespace
