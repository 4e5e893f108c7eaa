// The platform's file layer under failing writes, syncs, renames and directory creation: every
// failure is reported, what was reported written is there, and an interrupted call is retried.
#include <Utility/Platform/File.h>
#include <Utility/Platform/FileSystem.h>
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
using utility::testsupport::ReadBytes;
using utility::testsupport::TempDir;

// The code a failed call reports for a fault, or 0 where the call must succeed.
LONG ExpectedCode(Fault fault) {
  if (fault == Fault::kIoError) return ERROR_GEN_FAILURE;
  return fault == Fault::kNoSpace || fault == Fault::kShortThenFull ? ERROR_DISK_FULL : ERROR_SUCCESS;
}

std::string Pattern(std::size_t n, char seed) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>(seed + static_cast<char>(i % 61));
  return s;
}

TEST(CFileUnderFaults, WritesAndFlushReportEveryFailureAndKeepWhatWasWritten) {
  // Chunks of a page, more than a page, one byte and many pages.
  const std::vector<std::string> chunks = {Pattern(4096, 'a'), Pattern(5000, 'A'), "z", Pattern(70000, '0')};
  for (Fault fault : faults::kEveryFault) {
    SCOPED_TRACE(faults::Name(fault));
    TempDir dir;
    const CString name = dir.Windows("data.bin");
    const int points = faults::Sweep([&](int n) {
      fs::remove(dir.path() / "data.bin");
      std::string written;  // what the returned writes put in the file
      std::string failing;  // the chunk whose write failed
      LONG code = ERROR_SUCCESS;
      bool fired = false;
      {
        CFile file;
        EXPECT_TRUE(file.Open(name, CFile::modeCreate | CFile::modeWrite));
        LibcFaultScope scope(dir.path(), faults::CallsFor(fault, faults::kWrite | faults::kSync), n, fault);
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
      if (!fired || ExpectedCode(fault) == ERROR_SUCCESS) {
        EXPECT_EQ(code, ERROR_SUCCESS);
        EXPECT_EQ(content.size(), written.size());
        EXPECT_TRUE(content == written) << "the file does not hold exactly what was written";
        return fired;
      }
      EXPECT_EQ(code, ExpectedCode(fault));
      // Every write that returned is there; of the failing one at most a prefix.
      EXPECT_GE(content.size(), written.size());
      EXPECT_LE(content.size(), written.size() + failing.size());
      EXPECT_TRUE(content.compare(0, written.size(), written) == 0);
      EXPECT_TRUE(content.compare(written.size(), std::string::npos, failing, 0, content.size() - written.size()) == 0);
      return true;
    });
    // One call per chunk for the plain faults (a short write needs a second call), and the sync.
    EXPECT_GE(points,
              static_cast<int>(faults::CallsFor(fault, faults::kSync) != 0 ? chunks.size() + 1 : chunks.size()));
  }
}

// A rename that fails leaves the source whole where it was; an interrupted one is retried.
TEST(RenameUnderFaults, FailedRenamesLeaveTheSourceAndInterruptedOnesAreRetried) {
  struct Operation {
    const char* what;
    bool directory;  // renaming a folder (ReNameFolder) or a file (CFile::Rename)
  };
  for (const Operation& op : {Operation{"ReNameFolder", true}, Operation{"CFile::Rename", false}}) {
    for (Fault fault : {Fault::kNoSpace, Fault::kIoError, Fault::kInterrupted}) {
      SCOPED_TRACE(std::string(op.what) + ", " + faults::Name(fault));
      TempDir dir;
      const fs::path from = dir.path() / "from", to = dir.path() / "to";
      const int points = faults::Sweep([&](int n) {
        fs::remove_all(from);
        fs::remove_all(to);
        if (op.directory) {
          fs::create_directory(from);
          utility::testsupport::WriteBytes(from / "inside.txt", "kept");
        } else {
          utility::testsupport::WriteBytes(from, "kept");
        }
        bool renamed = false;
        bool fired = false;
        {
          LibcFaultScope scope(dir.path(), faults::kRename, n, fault);
          if (op.directory) {
            renamed = CUtility::ReNameFolder(dir.Windows("from"), dir.Windows("to")) == 1;
          } else {
            try {
              CFile::Rename(dir.Windows("from"), dir.Windows("to"));
              renamed = true;
            } catch (const CFileException& e) {
              EXPECT_EQ(e.m_lOsError, ExpectedCode(fault));
            }
          }
          fired = scope.Fired();
        }
        const bool mustSucceed = !fired || ExpectedCode(fault) == ERROR_SUCCESS;
        EXPECT_EQ(renamed, mustSucceed);
        const fs::path holder = renamed ? to : from;
        EXPECT_FALSE(fs::exists(renamed ? from : to));
        EXPECT_EQ(ReadBytes(op.directory ? holder / "inside.txt" : holder), "kept");
        return fired;
      });
      EXPECT_EQ(points, 1);
    }
  }
}

// Directory creation stops at the level that fails, reports it, and creates nothing below it.
TEST(CreateAllDirectoriesUnderFaults, AFailedLevelIsReportedAndNothingBelowItIsMade) {
  const std::vector<std::string> levels = {"a", "a/b", "a/b/c", "a/b/c/d"};
  struct Operation {
    const char* what;
    bool ex;  // CreateAllDirectoriesEx, which takes a file's path
  };
  for (const Operation& op : {Operation{"CreateAllDirectories", false}, Operation{"CreateAllDirectoriesEx", true}}) {
    for (Fault fault : {Fault::kNoSpace, Fault::kIoError, Fault::kInterrupted}) {
      SCOPED_TRACE(std::string(op.what) + ", " + faults::Name(fault));
      TempDir dir;
      const int points = faults::Sweep([&](int n) {
        fs::remove_all(dir.path() / "a");
        int result = 0;
        bool fired = false;
        {
          LibcFaultScope scope(dir.path(), faults::kMkdir, n, fault);
          result = op.ex ? CUtility::CreateAllDirectoriesEx((dir.path() / "a/b/c/d/file.txt").string().c_str())
                         : CUtility::CreateAllDirectories(dir.Windows("a\\b\\c\\d"));
          fired = scope.Fired();
        }
        const bool mustSucceed = !fired || ExpectedCode(fault) == ERROR_SUCCESS;
        EXPECT_EQ(result, mustSucceed ? 1 : 0);
        for (std::size_t i = 0; i < levels.size(); ++i) {
          const bool made = mustSucceed || static_cast<int>(i) < n - 1;
          EXPECT_EQ(fs::is_directory(dir.path() / levels[i]), made) << levels[i];
        }
        return fired;
      });
      EXPECT_EQ(points, static_cast<int>(levels.size()));
    }
  }
}

}  // namespace
