// CFile's share modes as another process meets them: the lock is the file's, not the process's.
#include <Utility/Platform/Error.h>
#include <Utility/Platform/File.h>

#include <gtest/gtest.h>

#include "support/Files.h"
#include "support/TempDir.h"
#include "support/posix/Child.h"

namespace {

TEST(CFile, AnExclusiveOpenShutsOutAnotherProcess) {
  utility::testsupport::TempDir dir;
  utility::testsupport::WriteBytes(dir.path() / "f", "x");
  const CString path = dir.Windows("f");
  CFile holder;
  ASSERT_TRUE(holder.Open(path, CFile::modeWrite));
  EXPECT_EQ(utility::testsupport::RunInChild([&] {
              CFile other;
              return !other.Open(path, CFile::modeRead) && GetLastError() == ERROR_SHARING_VIOLATION ? 0 : 1;
            }),
            0);
  holder.Close();
  EXPECT_EQ(utility::testsupport::RunInChild([&] {
              CFile other;
              return other.Open(path, CFile::modeRead) ? 0 : 1;
            }),
            0);
}

}  // namespace
