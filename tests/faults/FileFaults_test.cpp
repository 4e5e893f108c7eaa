// CFile under failing writes, syncs and renames: every failure is reported, what was reported
// written is there, a failed rename leaves the source, and an interrupted call is completed.
#include <Utility/Platform/Error.h>
#include <Utility/Platform/File.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "faults/LibcFaults.h"
#include "support/Files.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using faults::Fault;
using utility::testsupport::ReadBytes;
using utility::testsupport::TempDir;

// The code a failed call reports for a fault, or 0 where the call must succeed.
LONG ExpectedCode(Fault fault) {
  if (fault == Fault::kIoError) return ERROR_GEN_FAILURE;
  return fault == Fault::kNoSpace ? ERROR_DISK_FULL : ERROR_SUCCESS;
}

TEST(CFileUnderFaults, WritesAndFlushReportEveryFailureAndKeepWhatWasWritten) {
  // Chunks of a page, more than a page, one byte and many pages.
  std::vector<std::string> chunks = {std::string(4096, 'a'), std::string(5000, 'A'), "z", std::string(70000, '0')};
  for (std::string& chunk : chunks) {
    for (std::size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<char>(chunk[i] + i % 61);
  }
  for (Fault fault : faults::kEveryFileFault) {
    SCOPED_TRACE(faults::Name(fault));
    TempDir dir;
    const CString name = dir.Windows("data.bin");
    const int points = faults::Sweep([&](int n) {
      std::string written, failing;  // what the returned writes put in the file; the failing chunk
      LONG code = ERROR_SUCCESS;
      bool fired = false;
      {
        CFile file;
        EXPECT_TRUE(file.Open(name, CFile::modeCreate | CFile::modeWrite));
        faults::FaultScope scope(dir.path(), faults::CallsFor(fault, faults::kWrite | faults::kSync), n, fault);
        try {
          for (const std::string& chunk : chunks) {
            failing = chunk;
            file.Write(chunk.data(), static_cast<UINT>(chunk.size()));
            written += chunk;
          }
          failing.clear();
          file.Flush();
          file.Close();
        } catch (const CFileException& e) {
          code = e.m_lOsError;
          EXPECT_EQ(CString(e.m_strFileName), name);
        }
        fired = scope.Fired();
      }
      const std::string content = ReadBytes(dir.path() / "data.bin");
      EXPECT_EQ(code, fired ? ExpectedCode(fault) : ERROR_SUCCESS);
      // Every write that returned is there; of the failing one at most a prefix.
      EXPECT_TRUE(content.starts_with(written)) << "a write that returned is missing";
      EXPECT_TRUE(content.size() >= written.size() && failing.starts_with(content.substr(written.size())))
          << "more than the failing write's prefix";
      return fired;
    });
    // One call per chunk for the plain faults (a short write needs a second call), and the sync.
    EXPECT_GE(points, static_cast<int>(chunks.size() + (faults::CallsFor(fault, faults::kSync) != 0 ? 1 : 0)));
  }
}

// A rename that fails leaves the source whole where it was; an interrupted one is retried.
TEST(RenameUnderFaults, FailedRenamesLeaveTheSourceAndInterruptedOnesAreRetried) {
  for (Fault fault : {Fault::kNoSpace, Fault::kIoError, Fault::kInterrupted}) {
    SCOPED_TRACE(faults::Name(fault));
    TempDir dir;
    const int points = faults::Sweep([&](int n) {
      fs::remove(dir.path() / "to");
      utility::testsupport::WriteBytes(dir.path() / "from", "kept");
      LONG code = ERROR_SUCCESS;
      faults::FaultScope scope(dir.path(), faults::kRename, n, fault);
      try {
        CFile::Rename(dir.Windows("from"), dir.Windows("to"));
      } catch (const CFileException& e) {
        code = e.m_lOsError;
      }
      EXPECT_EQ(code, scope.Fired() ? ExpectedCode(fault) : ERROR_SUCCESS);
      EXPECT_EQ(ReadBytes(dir.path() / (code == ERROR_SUCCESS ? "to" : "from")), "kept");
      EXPECT_FALSE(fs::exists(dir.path() / (code == ERROR_SUCCESS ? "from" : "to")));
      return scope.Fired();
    });
    EXPECT_EQ(points, 1);
  }
}

}  // namespace
