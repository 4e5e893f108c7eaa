// The platform's file-system calls, `..` at the root, and names mapped to native ones on chosen
// cases (fuzz/NativeName.cpp checks the round trips over any input).
#include <Utility/Platform/Error.h>
#include <Utility/Platform/FileException.h>
#include <Utility/Platform/FileSystem.h>
#include <Utility/Platform/Path.h>

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

// Every name a search reports; each must come once, and "." and ".." before the rest.
std::set<std::string> SearchAll(const CString& pattern) {
  std::set<std::string> names;
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW(pattern, &data);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = CString(data.cFileName).ToUtf8();
    EXPECT_TRUE(names.insert(name).second) << "reported twice: " << name;
    // "." first when it matches, ".." right after it.
    EXPECT_TRUE(name != "." || names.size() == 1) << ". out of order";
    EXPECT_TRUE(name != ".." || names.size() == names.count(".") + 1) << ".. out of order";
  } while (FindNextFileW(h, &data));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
  EXPECT_TRUE(FindClose(h));
  return names;
}

}  // namespace

// Each kind of entry as GetFileAttributesW reports it, and as both searches report it: the full
// one alike, the one by entry type alike but for the read-only attribute, which needs a stat.
TEST(FileSystemCallsLinux, AttributesAsTheSearchesReportThemAndCallsOnTheEntryTheyName) {
  // Files (one read-only, one hidden), directories (one not empty), links to a directory, a file, nothing.
  TempDir dir;
  const fs::path d = dir.path();
  fs::create_directories(d / "full" / "inner");
  fs::create_directory(d / "empty");
  utility::testsupport::WriteBytes(d / "file", "x");
  utility::testsupport::WriteBytes(d / ".hidden", "x");
  utility::testsupport::WriteBytes(d / "locked", "keep");
  utility::testsupport::MakeReadOnly(d / "locked");
  fs::create_directory_symlink(d / "full", d / "dirlink");
  fs::create_symlink(d / "locked", d / "filelink");
  fs::create_symlink(d / "nowhere", d / "dangling");
  const std::map<std::string, DWORD> expected = {
      {"file", FILE_ATTRIBUTE_ARCHIVE},
      {"locked", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY},
      {".hidden", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN},
      {"full", FILE_ATTRIBUTE_DIRECTORY},
      {"empty", FILE_ATTRIBUTE_DIRECTORY},
      {"dirlink", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT},
      {"filelink", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT},  // not read-only: the link's own
      {"dangling", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT}};
  for (const auto& [name, attributes] : expected) {
    SCOPED_TRACE(name);
    EXPECT_EQ(GetFileAttributesW(dir.Windows(name)), attributes);
  }
  for (DWORD flags : {DWORD{0}, DWORD{FIND_FIRST_EX_ENTRY_TYPE_ONLY}}) {
    SCOPED_TRACE(flags);
    std::map<std::string, DWORD> found;
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileExW(dir.Windows() + u"\\*", FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, flags);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    do {
      const std::string name = CString(data.cFileName).ToUtf8();
      if (name != "." && name != "..") found[name] = data.dwFileAttributes;
      EXPECT_TRUE(flags == 0 || data.nFileSizeLow == 0) << name;  // no stat: no size
    } while (FindNextFileW(h, &data));
    FindClose(h);
    std::map<std::string, DWORD> wanted = expected;
    if (flags != 0) wanted["locked"] &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(found, wanted);
  }
  // The calls that create, remove and probe one entry: each result and code, and afterwards the
  // tree holds exactly what the successful calls left; links go as links.
  using Call = BOOL (*)(const WCHAR*);
  const Call create = [](const WCHAR* path) { return CreateDirectoryW(path, nullptr); };
  const Call remove = RemoveDirectoryW, erase = DeleteFileW, exists = PathFileExistsW;
  // error 0: the call succeeds.
  const auto check = [&](Call call, const char* name, DWORD error) {
    SCOPED_TRACE(name);
    EXPECT_EQ(call(dir.Windows(name)), error == 0 ? TRUE : FALSE);
    EXPECT_TRUE(error == 0 || GetLastError() == error) << GetLastError();
  };
  check(create, "new", 0);
  check(create, "new", ERROR_ALREADY_EXISTS);
  check(create, "x\\y", ERROR_PATH_NOT_FOUND);
  check(remove, "full", ERROR_DIR_NOT_EMPTY);
  check(remove, "file", ERROR_DIRECTORY);
  check(remove, "dirlink", 0);
  check(remove, "empty", 0);
  check(erase, "locked", ERROR_ACCESS_DENIED);  // read-only, even for the superuser
  check(erase, "full", ERROR_ACCESS_DENIED);
  check(erase, "filelink", 0);
  check(exists, "dangling", 0);
  check(exists, "none", ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(utility::testsupport::EntriesBelow(dir.path()),
            (std::set<std::string>{"new", "full", "full/inner", "file", ".hidden", "locked", "dangling"}));
  EXPECT_EQ(utility::testsupport::ReadBytes(dir.path() / "locked"), "keep");
}

TEST(FindFirstFileW, YieldsDotEntriesFirstThenEveryEntryOnce) {
  TempDir dir;
  const std::set<std::string> names = {"a.txt", "B.TXT", "README", ".profile", "x.tar.gz", "\xe4\xb8\xad.txt"};
  for (const std::string& n : names) utility::testsupport::WriteBytes(dir.path() / utility::testsupport::PathOf(n), n);
  fs::create_directory(dir.path() / "sub");
  utility::testsupport::WriteBytes(dir.path() / "size", std::string(70000, 'z'));
  std::set<std::string> expected = names;
  expected.insert({".", "..", "sub", "size"});
  EXPECT_EQ(SearchAll(dir.Windows() + u"/*.*"), expected);
  // A plain name: that entry alone, with its size in full.
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW(dir.Windows("size"), &data);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(CString(data.cFileName), CString(u"size"));
  EXPECT_EQ(data.dwFileAttributes, DWORD{FILE_ATTRIBUTE_ARCHIVE});
  EXPECT_EQ(data.nFileSizeLow, 70000u);
  EXPECT_FALSE(FindNextFileW(h, &data));
  FindClose(h);
  const auto fails = [&](const CString& pattern, DWORD error) {
    EXPECT_EQ(FindFirstFileW(pattern, &data), INVALID_HANDLE_VALUE) << Utf8(pattern);
    EXPECT_EQ(GetLastError(), error) << Utf8(pattern);
  };
  fails(dir.Windows("sub") + u"\\*.txt", ERROR_FILE_NOT_FOUND);
  fails(dir.Windows("none") + u"\\*.*", ERROR_PATH_NOT_FOUND);
  fails(dir.Windows("none"), ERROR_FILE_NOT_FOUND);
  fails(dir.Windows() + u"\\", ERROR_FILE_NOT_FOUND);
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

TEST(FindFirstFileWLinux, WildcardsAgreeWithALiteralMatcher) {
  TempDir dir;
  std::mt19937 random(20240305);
  const auto generate = [&](const std::string& alphabet, int longest) {
    std::string s(1 + random() % static_cast<unsigned>(longest), ' ');
    for (char& c : s) c = alphabet[random() % alphabet.size()];
    return s;
  };
  // Names distinct ignoring case, as Win32 keeps them, on a case-sensitive file system.
  std::set<std::string> names = {".", ".."}, folded;
  while (names.size() < 42) {
    const std::string n = generate("abAB.x", 6);
    std::string upper = n;
    for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    if (n != "." && n != ".." && folded.insert(upper).second) {
      names.insert(n);
      utility::testsupport::WriteBytes(dir.path() / n, "");
    }
  }
  for (int round = 0; round < 300; ++round) {
    std::string pattern = generate("abAB.*?", 5);
    if (pattern.find_first_of("*?") == std::string::npos) pattern += '*';
    SCOPED_TRACE("round " + std::to_string(round) + ", pattern " + pattern);
    std::set<std::string> expected;
    for (const std::string& n : names) {
      if (pattern == "*.*" || OracleMatch(pattern, n)) expected.insert(n);
    }
    EXPECT_EQ(SearchAll(dir.Windows() + u"\\" + CString(pattern.c_str())), expected);
  }
}

TEST(MakeSureDirectoryPathExists, CreatesEveryLevelBeforeTheLastSeparator) {
  // The entries afterwards besides the file "plain"; error 0: TRUE.
  const auto check = [](const char* path, DWORD error, std::set<std::string> made) {
    SCOPED_TRACE(path);
    TempDir dir;
    utility::testsupport::WriteBytes(dir.path() / "plain", "");
    EXPECT_EQ(MakeSureDirectoryPathExists((dir.path().string() + "/" + path).c_str()), error == 0 ? TRUE : FALSE);
    EXPECT_EQ(GetLastError(), error);
    made.insert("plain");
    EXPECT_EQ(utility::testsupport::EntriesBelow(dir.path()), made);
  };
  check("a\\b", 0, {"a"});
  check("a/b/c/file.txt", 0, {"a", "a/b", "a/b/c"});
  check("a\\\\b\\", 0, {"a", "a/b"});
  check("plain\\sub\\", ERROR_DIRECTORY, {});  // "plain" is a file
}

namespace {

// Names in the shell's list form: each ends in a zero, and the list in one more.
std::vector<WCHAR> List(const std::vector<CString>& names) {
  std::vector<WCHAR> list;
  for (const CString& n : names) list.insert(list.end(), n.GetString(), n.GetString() + n.GetLength() + 1);
  list.push_back(0);
  return list;
}

int Shell(UINT function, const std::vector<CString>& from, const CString& to) {
  std::vector<WCHAR> source = List(from), target = List({to});
  SHFILEOPSTRUCTW op{nullptr, function, source.data(), target.data(), 0x0610, 0, nullptr, nullptr};
  return SHFileOperationW(&op);
}

}  // namespace

TEST(SHFileOperationW, RenamesOneItemInPlaceAndNeverReplaces) {
  TempDir dir;
  fs::create_directories(dir.path() / "old" / "inner");
  fs::create_directory(dir.path() / "elsewhere");
  utility::testsupport::WriteBytes(dir.path() / "taken", "keep");
  EXPECT_EQ(Shell(FO_RENAME, {dir.Windows("old")}, dir.Windows("taken")), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(Shell(FO_RENAME, {dir.Windows("old")}, dir.Windows("elsewhere\\old")), DE_DIFFDIR);
  EXPECT_EQ(Shell(FO_RENAME, {dir.Windows("old"), dir.Windows("taken")}, dir.Windows("new")), DE_MANYSRC1DEST);
  EXPECT_EQ(Shell(FO_RENAME, {dir.Windows("old")}, dir.Windows("new")), 0);
  EXPECT_EQ(utility::testsupport::EntriesBelow(dir.path()),
            (std::set<std::string>{"new", "new/inner", "elsewhere", "taken"}));
  EXPECT_EQ(utility::testsupport::ReadBytes(dir.path() / "taken"), "keep");
}

// The ways of writing "this name, as a directory" that the kernel alone would resolve through a
// link: each still names the link, which is what the library's walks rely on to stay in a tree.
// After a file, a trailing separator names nothing.
TEST(PathSpellingsLinux, ALinkNamedAsADirectoryIsTheLinkAndAFileNamedSoIsNothing) {
  for (const char16_t* tail : {u"\\", u"/.", u"\\.\\", u"\\\\", u"\\sub\\.."}) {
    SCOPED_TRACE(Utf8(tail));
    TempDir dir;
    fs::create_directories(dir.path() / "outside" / "sub");
    utility::testsupport::WriteBytes(dir.path() / "outside" / "sub" / "deeper", "keep");
    fs::create_directory_symlink(dir.path() / "outside", dir.path() / "link");
    EXPECT_EQ(GetFileAttributesW(dir.Windows("link") + tail),
              DWORD{FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT});
    EXPECT_TRUE(RemoveDirectoryW(dir.Windows("link") + tail));
    EXPECT_EQ(utility::testsupport::EntriesBelow(dir.path()),
              (std::set<std::string>{"outside", "outside/sub", "outside/sub/deeper"}));
    if (std::u16string_view(tail) != u"\\") continue;
    const CString file = dir.Windows("outside\\sub\\deeper") + tail;
    EXPECT_EQ(GetFileAttributesW(file), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME));
    EXPECT_FALSE(DeleteFileW(file));
    EXPECT_EQ(utility::testsupport::ReadBytes(dir.path() / "outside" / "sub" / "deeper"), "keep");
  }
}

namespace {

// `..` never climbs above the root a path starts from (`\`, or `Z:\` with its drive): the
// directory's path climbing one level above its root, then coming back down, as
// "\tmp\d\..\..\..\tmp\d" or "Z:\tmp\d\..\..\..\tmp\d".
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
  EXPECT_TRUE(RemoveDirectoryW(made.GetString())) << GetLastError();
}

CString Units(std::initializer_list<char16_t> units) {
  const std::u16string s(units);
  return CString(s.c_str(), static_cast<int>(s.size()));
}

}  // namespace

TEST(NativePath, InvalidBytesReadAsEscapeUnitsAndUnitsThatNoNameDecodesToAreRefused) {
  const auto check = [](const std::string& native, const std::u16string& units) {
    SCOPED_TRACE(native);
    const CString library = utility::platform::WindowsPath(native);
    EXPECT_EQ(library, CString(units.c_str(), static_cast<int>(units.size())));
    std::string back;
    EXPECT_TRUE(utility::platform::NativePath(CStringRef(library), back));
    EXPECT_EQ(back, native);
  };
  check("a\x80z", u"a\xDC80z");
  check("\xE2\x82\xC3\xA9", u"\xDCE2\xDC82\u00E9");  // a truncated sequence, then a valid character
  check("\xED\xA0\x80", u"\xDCED\xDCA0\xDC80");      // an encoded surrogate
  EXPECT_EQ(utility::platform::NativeText("a/\xFF"), Units({u'a', u'/', 0xDCFF}));
  // A name's native length: a lone surrogate takes three bytes, a pair four, an escape one.
  EXPECT_EQ(utility::platform::GetNativeNameLength(Units({0xD800, u'x', 0xD83D, 0xDE00, 0xDCFF}), 5), 9u);
  // The native length of a path counts the bytes of its lexically resolved native form.
  EXPECT_EQ(utility::platform::GetNativePathLength(CString(u"\\tmp\\.\\x\\..\\y\\\u4e2d\xDCFF")), 11u);
  const CString refused[] = {
      Units({u'a', 0xD800}),    // a lone high surrogate
      Units({0xDC00, u'b'}),    // a lone low surrogate below the escapes
      Units({0xDCC3, 0xDCA9}),  // the bytes of "é" spelled as escapes
  };
  for (const CString& path : refused) {
    SCOPED_TRACE(utility::testsupport::Utf8(path));
    std::string native = "untouched";
    EXPECT_FALSE(utility::platform::NativePath(CStringRef(path), native));
    EXPECT_THROW(utility::platform::NativePath(CStringRef(path)), CFileException);
  }
}
