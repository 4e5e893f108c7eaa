// `..` never climbs above the root a path starts from: `\`, and on Windows its drive too. A
// path that climbs too far names the same place below the root as Windows reads it, never a
// place relative to the current directory.
#include <Utility/Platform/Error.h>
#include <Utility/Platform/FileSystem.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "support/Files.h"
#include "support/TempDir.h"

namespace {

// The directory's path written so that it climbs one level above its root, then comes back
// down: "\tmp\d\..\..\..\tmp\d" on Linux, "Z:\tmp\d\..\..\..\tmp\d" on Windows. Were the
// drive taken for a name that `..` can take back, the path would be relative to the current
// directory.
CString ClimbedPast(const CString& directory) {
  const int rootEnd = directory.Find(u'\\') + 1;  // "\" or "Z:\"
  const CString below = directory.Mid(rootEnd);
  CString path = directory + u"\\..";
  for (int i = 0; i < below.GetLength(); ++i) path += below[i] == u'\\' ? u"\\.." : u"";
  return path + u"\\..\\" + below;
}

TEST(PathRoots, DotDotStopsAtTheRootOfThePath) {
  utility::testsupport::TempDir dir;
  const CString made = ClimbedPast(dir.Windows()) + u"\\made";
  ASSERT_TRUE(CreateDirectoryW(made.GetString(), nullptr)) << GetLastError();
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "made"));
  EXPECT_EQ(GetFileAttributesW(made.GetString()) & FILE_ATTRIBUTE_DIRECTORY, DWORD{FILE_ATTRIBUTE_DIRECTORY});
  EXPECT_TRUE(RemoveDirectoryW(made.GetString())) << GetLastError();
  EXPECT_EQ(utility::testsupport::EntriesBelow(dir.path()).size(), 0u);
  // A directory climbed to and named with a trailing separator is the same directory.
  utility::testsupport::WriteBytes(dir.path() / "f", "keep");
  EXPECT_EQ(GetFileAttributesW((ClimbedPast(dir.Windows()) + u"\\").GetString()) & FILE_ATTRIBUTE_DIRECTORY,
            DWORD{FILE_ATTRIBUTE_DIRECTORY});
  EXPECT_FALSE(RemoveDirectoryW((ClimbedPast(dir.Windows()) + u"\\").GetString()));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_DIR_NOT_EMPTY});
  EXPECT_EQ(utility::testsupport::ReadBytes(dir.path() / "f"), "keep");
}

}  // namespace
