// Track log appends under failing writes: a log read back holds whole entries only, every
// entry whose write was not failed is there, and an interrupted or short write is completed.
#include <Utility/Utility.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "faults/LibcFaults.h"
#include "support/Files.h"
#include "support/TempDir.h"
#include "support/TrackLog.h"

namespace {

namespace fs = std::filesystem;
using faults::Fault;
using utility::testsupport::ReadBytes;
using utility::testsupport::TempDir;

struct Append {
  CString text;
  int startNew;
  std::string bytes;  // the text as the log holds it (code page 936, CR LF)
};

TEST(SaveTrackLogUnderFaults, ALogHoldsOnlyWholeEntriesAndEveryEntryNotFailed) {
  const std::string longText(9000, 'L');
  // Appends to a log that holds entries already, starting afresh, appending again.
  const std::vector<Append> appends = {{CString(u"first"), 0, "first"},
                                       {CString(longText.c_str()), 0, longText},
                                       {CString(u"\u4e2d\u6587 line\nnext"), 0, "\xD6\xD0\xCE\xC4 line\r\nnext"},
                                       {CString(u"fresh"), 1, "fresh"},
                                       {CString(u"after fresh"), 0, "after fresh"}};
  const std::vector<std::string> before = {"old one", "old two"};
  for (Fault fault : faults::kEveryFileFault) {
    SCOPED_TRACE(faults::Name(fault));
    TempDir dir;
    const CString log = dir.Windows("track.log");
    const int points = faults::Sweep([&](int n) {
      fs::remove(dir.path() / "track.log");
      for (const std::string& text : before) CUtility::SaveTrackLog(log, CString(text.c_str()), 0);
      std::vector<std::string> expected = before;
      bool fired = false;
      {
        faults::FaultScope scope(dir.path(), faults::CallsFor(fault, faults::kWrite), n, fault);
        for (const Append& a : appends) {
          const bool firedBefore = scope.Fired();
          CUtility::SaveTrackLog(log, a.text, a.startNew);
          if (a.startNew != 0) expected.clear();
          // The disk stays full once a write met ENOSPC: no later entry can be written.
          const bool failedHere = !firedBefore && scope.Fired();
          const bool lost = (firedBefore && fault == Fault::kNoSpace) ||
                            (failedHere && fault != Fault::kInterrupted && fault != Fault::kShortWrite);
          if (!lost) expected.push_back(a.bytes);
        }
        fired = scope.Fired();
      }
      std::vector<std::string> texts;
      EXPECT_TRUE(utility::testsupport::TrackLogEntries(ReadBytes(dir.path() / "track.log"), texts)) << "a torn entry";
      EXPECT_EQ(texts, expected);
      return fired;
    });
    EXPECT_EQ(points, static_cast<int>(appends.size()));
  }
}

}  // namespace
