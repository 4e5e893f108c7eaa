// The platform's file-system calls: attributes, creation and removal, deletion of read-only
// files and links, directory searches and the shell's rename.
#include <Utility/Platform/Error.h>
#include <Utility/Platform/FileSystem.h>

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "support/Files.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using utility::testsupport::TempDir;
using utility::testsupport::Utf8;

namespace {

std::set<std::string> SearchAll(const CString& pattern, std::vector<std::string>* order = nullptr) {
  std::set<std::string> names;
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW(pattern, &data);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = CString(data.cFileName).ToUtf8();
    EXPECT_TRUE(names.insert(name).second) << "reported twice: " << name;
    if (order != nullptr) order->push_back(name);
  } while (FindNextFileW(h, &data));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
  EXPECT_TRUE(FindClose(h));
  return names;
}

}  // namespace

TEST(GetFileAttributesW, ReportsWin32AttributesWithoutFollowingLinks) {
  TempDir dir;
  utility::testsupport::WriteBytes(dir.path() / "file.txt", "x");
  utility::testsupport::WriteBytes(dir.path() / "locked.txt", "x");
  utility::testsupport::MakeReadOnly(dir.path() / "locked.txt");
  utility::testsupport::WriteBytes(dir.path() / ".hidden", "x");
  fs::create_directory(dir.path() / "sub");
  fs::create_directory_symlink(dir.path() / "sub", dir.path() / "dirlink");
  fs::create_symlink(dir.path() / "file.txt", dir.path() / "filelink");
  fs::create_symlink(dir.path() / "nowhere", dir.path() / "dangling");
  struct Case {
    const char* name;
    DWORD attributes;
  };
  for (const Case& c :
       {Case{"file.txt", FILE_ATTRIBUTE_ARCHIVE}, Case{"locked.txt", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY},
        Case{".hidden", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN}, Case{"sub", FILE_ATTRIBUTE_DIRECTORY},
        Case{"dirlink", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT},
        Case{"filelink", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT},
        Case{"dangling", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT}}) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(GetFileAttributesW(dir.Windows(c.name)), c.attributes);
    // The native separator works as well as the backslash.
    EXPECT_EQ(GetFileAttributesW(CString((dir.path() / c.name).string().c_str())), c.attributes);
  }
}

TEST(GetFileAttributesW, TellsMissingFilesFromMissingDirectories) {
  TempDir dir;
  EXPECT_EQ(GetFileAttributesW(dir.Windows("none")), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(GetFileAttributesW(dir.Windows("none") + u"\\deeper"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  // A path too long for the system is refused before it is converted.
  CString huge(u'a', 100000);
  EXPECT_EQ(GetFileAttributesW(huge), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
}

TEST(CreateDirectoryW, CreatesOneLevelAndReportsWhyNot) {
  TempDir dir;
  EXPECT_TRUE(CreateDirectoryW(dir.Windows("a"), nullptr));
  EXPECT_TRUE(fs::is_directory(dir.path() / "a"));
  EXPECT_FALSE(CreateDirectoryW(dir.Windows("a"), nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_FALSE(CreateDirectoryW(dir.Windows("x") + u"\\y", nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(fs::exists(dir.path() / "x"));
}

TEST(RemoveDirectoryW, RemovesOnlyEmptyDirectoriesAndLinksAsLinks) {
  TempDir dir;
  fs::create_directories(dir.path() / "full" / "inner");
  fs::create_directory(dir.path() / "empty");
  utility::testsupport::WriteBytes(dir.path() / "file", "x");
  fs::create_directory_symlink(dir.path() / "full", dir.path() / "link");

  EXPECT_FALSE(RemoveDirectoryW(dir.Windows("full")));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
  EXPECT_FALSE(RemoveDirectoryW(dir.Windows("file")));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
  EXPECT_TRUE(fs::exists(dir.path() / "file"));
  EXPECT_FALSE(RemoveDirectoryW(dir.Windows("none")));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

  EXPECT_TRUE(RemoveDirectoryW(dir.Windows("link")));
  EXPECT_FALSE(fs::exists(fs::symlink_status(dir.path() / "link")));
  EXPECT_TRUE(fs::is_directory(dir.path() / "full" / "inner"));  // the target is untouched
  EXPECT_TRUE(RemoveDirectoryW(dir.Windows("empty")));
  EXPECT_FALSE(fs::exists(dir.path() / "empty"));
}

TEST(DeleteFileW, RefusesReadOnlyFilesAndDirectoriesEvenForTheSuperuser) {
  TempDir dir;
  utility::testsupport::WriteBytes(dir.path() / "locked", "keep");
  utility::testsupport::MakeReadOnly(dir.path() / "locked");
  fs::create_directory(dir.path() / "sub");
  EXPECT_FALSE(DeleteFileW(dir.Windows("locked")));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(utility::testsupport::ReadBytes(dir.path() / "locked"), "keep");
  EXPECT_FALSE(DeleteFileW(dir.Windows("sub")));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(fs::is_directory(dir.path() / "sub"));
  EXPECT_FALSE(DeleteFileW(dir.Windows("none")));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(DeleteFileW, DeletesALinkAndNotWhatItLeadsTo) {
  TempDir dir;
  utility::testsupport::WriteBytes(dir.path() / "target", "keep");
  utility::testsupport::MakeReadOnly(dir.path() / "target");
  fs::create_symlink(dir.path() / "target", dir.path() / "link");
  EXPECT_TRUE(DeleteFileW(dir.Windows("link")));
  EXPECT_FALSE(fs::exists(fs::symlink_status(dir.path() / "link")));
  EXPECT_EQ(utility::testsupport::ReadBytes(dir.path() / "target"), "keep");
}

TEST(PathFileExistsW, SeesFilesDirectoriesAndDanglingLinks) {
  TempDir dir;
  utility::testsupport::WriteBytes(dir.path() / "f", "");
  fs::create_symlink(dir.path() / "nowhere", dir.path() / "dangling");
  EXPECT_TRUE(PathFileExistsW(dir.Windows("f")));
  EXPECT_TRUE(PathFileExistsW(dir.Windows()));
  EXPECT_TRUE(PathFileExistsW(dir.Windows("dangling")));
  EXPECT_FALSE(PathFileExistsW(dir.Windows("none")));
}

TEST(FindFirstFileW, YieldsDotEntriesFirstThenEveryEntryOnce) {
  TempDir dir;
  const std::vector<std::string> names = {"a.txt",    "B.TXT", "README",          ".profile",
                                          "x.tar.gz", "sub",   "\xe4\xb8\xad.txt"};
  for (const std::string& n : names) {
    if (n == "sub") {
      fs::create_directory(dir.path() / n);
    } else {
      utility::testsupport::WriteBytes(dir.path() / n, n);
    }
  }
  for (const char16_t* all : {u"\\*.*", u"\\*", u"/*.*"}) {
    SCOPED_TRACE(Utf8(all));
    std::vector<std::string> order;
    const std::set<std::string> found = SearchAll(dir.Windows() + all, &order);
    std::set<std::string> expected(names.begin(), names.end());
    expected.insert(".");
    expected.insert("..");
    EXPECT_EQ(found, expected);
    ASSERT_GE(order.size(), 2u);
    EXPECT_EQ(order[0], ".");
    EXPECT_EQ(order[1], "..");
  }
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW(dir.Windows("sub"), &data);  // a plain name: that entry alone
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(CString(data.cFileName), CString(u"sub"));
  EXPECT_EQ(data.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_FALSE(FindNextFileW(h, &data));
  FindClose(h);

  utility::testsupport::WriteBytes(dir.path() / "size", std::string(70000, 'z'));
  h = FindFirstFileW(dir.Windows("size"), &data);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.nFileSizeLow, 70000u);
  EXPECT_EQ(data.nFileSizeHigh, 0u);
  FindClose(h);
}

TEST(FindFirstFileW, FailsWithTheWin32Codes) {
  TempDir dir;
  fs::create_directory(dir.path() / "empty");
  utility::testsupport::WriteBytes(dir.path() / "file", "");
  WIN32_FIND_DATAW data;
  struct Case {
    CString pattern;
    DWORD error;
  };
  for (const Case& c :
       {Case{dir.Windows("empty") + u"\\*.txt", ERROR_FILE_NOT_FOUND},
        Case{dir.Windows("none") + u"\\*.*", ERROR_PATH_NOT_FOUND},
        Case{dir.Windows("file") + u"\\*.*", ERROR_PATH_NOT_FOUND}, Case{dir.Windows("none"), ERROR_FILE_NOT_FOUND},
        Case{dir.Windows() + u"\\", ERROR_FILE_NOT_FOUND}}) {
    SCOPED_TRACE(Utf8(c.pattern));
    EXPECT_EQ(FindFirstFileW(c.pattern, &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), c.error);
  }
}

namespace {

// The plain recursive reading of a pattern: `*` any run, `?` any unit, others ignoring ASCII
// case. Slow on purpose; only used to check the search over generated names and patterns.
bool OracleMatch(const std::string& pattern, const std::string& name) {
  if (pattern.empty()) return name.empty();
  if (pattern[0] == '*') {
    for (std::size_t skip = 0; skip <= name.size(); ++skip) {
      if (OracleMatch(pattern.substr(1), name.substr(skip))) return true;
    }
    return false;
  }
  if (name.empty()) return false;
  const bool same = pattern[0] == '?' || std::toupper(static_cast<unsigned char>(pattern[0])) ==
                                             std::toupper(static_cast<unsigned char>(name[0]));
  return same && OracleMatch(pattern.substr(1), name.substr(1));
}

}  // namespace

TEST(FindFirstFileW, WildcardsAgreeWithALiteralMatcher) {
  TempDir dir;
  const unsigned seed = 20240305;
  std::mt19937 random(seed);
  const std::string alphabet = "abAB.x";
  std::set<std::string> names, folded;
  while (names.size() < 40) {
    std::string n;
    const int length = 1 + static_cast<int>(random() % 6);
    for (int i = 0; i < length; ++i) n += alphabet[random() % alphabet.size()];
    if (n == "." || n == "..") continue;
    // The file system is case-sensitive; keep names distinct ignoring case, as Win32 would.
    std::string upper = n;
    for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    if (!folded.insert(upper).second) continue;
    names.insert(n);
    utility::testsupport::WriteBytes(dir.path() / n, "");
  }
  const std::string patternAlphabet = "abAB.*?";
  for (int round = 0; round < 300; ++round) {
    std::string pattern;
    const int length = 1 + static_cast<int>(random() % 5);
    for (int i = 0; i < length; ++i) pattern += patternAlphabet[random() % patternAlphabet.size()];
    if (pattern.find_first_of("*?") == std::string::npos) pattern += '*';
    SCOPED_TRACE("seed " + std::to_string(seed) + ", round " + std::to_string(round) + ", pattern " + pattern);
    std::set<std::string> expected;
    const bool all = pattern == "*" || pattern == "*.*";
    for (const std::string& n : names) {
      if (all || OracleMatch(pattern, n)) expected.insert(n);
    }
    for (const char* dot : {".", ".."}) {
      if (all || OracleMatch(pattern, dot)) expected.insert(dot);
    }
    EXPECT_EQ(SearchAll(dir.Windows() + u"\\" + CString(pattern.c_str())), expected);
  }
}

TEST(MakeSureDirectoryPathExists, CreatesEveryLevelBeforeTheLastSeparator) {
  struct Case {
    const char* path;
    BOOL result;
    std::vector<const char*> made;
    std::vector<const char*> absent;
  };
  const std::vector<Case> cases = {
      {"a\\b", TRUE, {"a"}, {"a/b"}},
      {"a\\b\\", TRUE, {"a", "a/b"}, {}},
      {"a/b/c/file.txt", TRUE, {"a", "a/b", "a/b/c"}, {"a/b/c/file.txt"}},
      {"a\\\\b\\", TRUE, {"a", "a/b"}, {}},
      {"name", TRUE, {}, {"name"}},
      {"plain\\sub\\", FALSE, {}, {"plain/sub"}},  // "plain" is a file
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    TempDir dir;
    utility::testsupport::WriteBytes(dir.path() / "plain", "");
    const std::string full = dir.path().string() + "/" + c.path;
    EXPECT_EQ(MakeSureDirectoryPathExists(full.c_str()), c.result);
    for (const char* made : c.made) EXPECT_TRUE(fs::is_directory(dir.path() / made)) << made;
    for (const char* absent : c.absent) EXPECT_FALSE(fs::is_directory(dir.path() / absent)) << absent;
  }
  EXPECT_FALSE(MakeSureDirectoryPathExists(nullptr));
}

namespace {

int Rename(const CString& from, const CString& to) {
  std::vector<WCHAR> source(from.GetString(), from.GetString() + from.GetLength());
  std::vector<WCHAR> target(to.GetString(), to.GetString() + to.GetLength());
  source.insert(source.end(), {0, 0});
  target.insert(target.end(), {0, 0});
  SHFILEOPSTRUCTW op{nullptr, FO_RENAME, source.data(), target.data(), 0x0610, 0, nullptr, nullptr};
  return SHFileOperationW(&op);
}

}  // namespace

TEST(SHFileOperationW, RenamesOneItemInPlaceAndNeverReplaces) {
  TempDir dir;
  fs::create_directories(dir.path() / "old" / "inner");
  fs::create_directory(dir.path() / "taken");
  fs::create_directory(dir.path() / "elsewhere");
  utility::testsupport::WriteBytes(dir.path() / "taken" / "keep", "keep");

  EXPECT_EQ(Rename(dir.Windows("old"), dir.Windows("taken")), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(utility::testsupport::ReadBytes(dir.path() / "taken" / "keep"), "keep");
  EXPECT_TRUE(fs::is_directory(dir.path() / "old" / "inner"));
  EXPECT_EQ(Rename(dir.Windows("old"), dir.Windows("elsewhere") + u"\\old"), DE_DIFFDIR);
  EXPECT_EQ(Rename(dir.Windows("none"), dir.Windows("new")), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Rename(dir.Windows("old"), dir.Windows("new")), 0);
  EXPECT_TRUE(fs::is_directory(dir.path() / "new" / "inner"));
  EXPECT_FALSE(fs::exists(dir.path() / "old"));

  // Two sources in one list are more than a rename takes.
  const CString a = dir.Windows("new"), b = dir.Windows("taken");
  std::vector<WCHAR> list(a.GetString(), a.GetString() + a.GetLength() + 1);
  list.insert(list.end(), b.GetString(), b.GetString() + b.GetLength() + 1);
  list.push_back(0);
  const CString to = dir.Windows("other");
  std::vector<WCHAR> target(to.GetString(), to.GetString() + to.GetLength() + 1);
  target.push_back(0);
  SHFILEOPSTRUCTW op{nullptr, FO_RENAME, list.data(), target.data(), 0, 0, nullptr, nullptr};
  EXPECT_EQ(SHFileOperationW(&op), DE_MANYSRC1DEST);
  op.wFunc = FO_DELETE;
  EXPECT_EQ(SHFileOperationW(&op), ERROR_CALL_NOT_IMPLEMENTED);
  EXPECT_TRUE(fs::is_directory(dir.path() / "new"));
  EXPECT_TRUE(fs::is_directory(dir.path() / "taken"));
}

TEST(FindFirstFileExW, TypeOnlySearchAgreesOnKindsWithTheFullSearch) {
  TempDir dir;
  utility::testsupport::WriteBytes(dir.path() / "file", "abc");
  utility::testsupport::WriteBytes(dir.path() / "locked", "abc");
  utility::testsupport::MakeReadOnly(dir.path() / "locked");
  utility::testsupport::WriteBytes(dir.path() / ".dot", "");
  fs::create_directory(dir.path() / "sub");
  fs::create_directory_symlink(dir.path() / "sub", dir.path() / "dirlink");
  fs::create_symlink(dir.path() / "file", dir.path() / "filelink");
  const auto collect = [&](DWORD flags) {
    std::map<std::string, DWORD> found;
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileExW(dir.Windows() + u"\\*", FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, flags);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    if (h == INVALID_HANDLE_VALUE) return found;
    do {
      found[CString(data.cFileName).ToUtf8()] = data.dwFileAttributes;
      if (flags != 0) {
        EXPECT_EQ(data.nFileSizeLow, 0u);
      }
    } while (FindNextFileW(h, &data));
    FindClose(h);
    return found;
  };
  const std::map<std::string, DWORD> full = collect(0), fast = collect(FIND_FIRST_EX_ENTRY_TYPE_ONLY);
  ASSERT_EQ(full.size(), 8u);
  ASSERT_EQ(fast.size(), full.size());
  for (const auto& [name, attributes] : full) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(fast.count(name));
    EXPECT_EQ(fast.at(name), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  }
  EXPECT_EQ(full.at("locked") & FILE_ATTRIBUTE_READONLY, static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  WIN32_FIND_DATAW data;
  EXPECT_EQ(
      FindFirstFileExW(dir.Windows() + u"\\*", FindExInfoBasic, &data, FindExSearchLimitToDirectories, nullptr, 0),
      INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
}
