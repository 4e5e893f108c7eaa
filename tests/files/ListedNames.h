// The names of GetDirInfo's answers below the directory they were listed from.
#pragma once

#include <Utility/Utility.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace utility::testsupport {

// The paths below prefix, in their order; a path outside it fails the test.
inline std::vector<std::string> Names(const CStringArray& paths, const CString& prefix) {
  std::vector<std::string> names;
  for (INT_PTR i = 0; i < paths.GetSize(); ++i) {
    EXPECT_EQ(paths[i].Left(prefix.GetLength()), prefix) << Utf8(paths[i]);
    names.push_back(paths[i].Mid(prefix.GetLength()).ToUtf8());
  }
  return names;
}

inline std::set<std::string> NameSet(const CStringArray& paths, const CString& prefix) {
  const std::vector<std::string> names = Names(paths, prefix);
  return std::set<std::string>(names.begin(), names.end());
}

}  // namespace utility::testsupport
