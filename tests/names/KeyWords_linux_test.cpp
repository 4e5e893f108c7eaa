// IsKeyWords on the files of Linux that cannot be read as a list: a FIFO and a file without
// read permission.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <Utility/Utility.h>

#include "support/Files.h"
#include "support/TempDir.h"

namespace {

TEST(IsKeyWords, FifosAndFilesWithoutReadPermissionListNothing) {
  utility::testsupport::TempDir dir;
  ASSERT_EQ(mkfifo((dir.path() / "fifo").c_str(), 0600), 0);
  EXPECT_EQ(CUtility::IsKeyWords(dir.Windows("fifo"), CString(u"")), 0);  // must not wait for a writer

  utility::testsupport::WriteBytes(dir.path() / "locked.ini", "if\n");
  ASSERT_EQ(chmod((dir.path() / "locked.ini").c_str(), 0), 0);
  if (geteuid() != 0) {  // root reads it regardless of the mode bits
    EXPECT_EQ(CUtility::IsKeyWords(dir.Windows("locked.ini"), CString(u"if")), 0);
  }
}

}  // namespace
