// The platform's file-system calls: attributes, creation and removal, deletion of read-only
// files and links, directory searches and the shell's rename; `..` never climbing above the
// root a path starts from; and the lossless mapping of names to native ones on chosen cases
// (fuzz/NativeName.cpp checks the round trips and that no two library paths reach one native
// name over any input).
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

// The tree the Linux tests start from: files (one read-only, one hidden), directories (one with
// an entry in it), and links to a directory, to a file and to nothing.
void MakeTree(const fs::path& d) {
  fs::create_directories(d / "full" / "inner");
  fs::create_directory(d / "empty");
  utility::testsupport::WriteBytes(d / "file", "x");
  utility::testsupport::WriteBytes(d / ".hidden", "x");
  utility::testsupport::WriteBytes(d / "locked", "keep");
  utility::testsupport::MakeReadOnly(d / "locked");
  fs::create_directory_symlink(d / "full", d / "dirlink");
  fs::create_symlink(d / "locked", d / "filelink");
  fs::create_symlink(d / "nowhere", d / "dangling");
}

}  // namespace

// Each kind of entry as GetFileAttributesW reports it, and as both searches report it: the full
// one alike, the one by entry type alike but for the read-only attribute, which needs a stat.
TEST(GetFileAttributesWLinux, ReportsWin32AttributesWithoutFollowingLinksAsTheSearchesDo) {
  TempDir dir;
  MakeTree(dir.path());
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
    // The native separator works as well as the backslash.
    EXPECT_EQ(GetFileAttributesW(CString((dir.path() / name).string().c_str())), attributes);
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
  WIN32_FIND_DATAW data;
  EXPECT_EQ(
      FindFirstFileExW(dir.Windows() + u"\\*", FindExInfoBasic, &data, FindExSearchLimitToDirectories, nullptr, 0),
      INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
}

TEST(GetFileAttributesW, TellsMissingFilesFromMissingDirectories) {
  TempDir dir;
  struct Case {
    CString path;
    DWORD error;
  };
  for (const Case& c :
       {Case{dir.Windows("none"), ERROR_FILE_NOT_FOUND}, Case{dir.Windows("none") + u"\\deeper", ERROR_PATH_NOT_FOUND},
        Case{CString(u'a', 100000), ERROR_FILENAME_EXCED_RANGE}}) {  // refused before it is converted
    EXPECT_EQ(GetFileAttributesW(c.path), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), c.error);
  }
}

// The calls that create, remove and probe one entry: each result and code, and afterwards the
// tree holds exactly what the successful calls left; links go as links.
TEST(FileSystemCallsLinux, ActOnTheEntryTheyNameOrReportWhyNot) {
  TempDir dir;
  MakeTree(dir.path());
  using Call = BOOL (*)(const WCHAR*);
  const Call create = [](const WCHAR* path) { return CreateDirectoryW(path, nullptr); };
  const Call remove = RemoveDirectoryW, erase = DeleteFileW, exists = PathFileExistsW;
  struct Case {
    const char* what;
    Call call;
    const char* name;
    DWORD error;  // 0: the call succeeds
  };
  const Case cases[] = {
      {"create", create, "new", 0},
      {"create", create, "new", ERROR_ALREADY_EXISTS},
      {"create", create, "x\\y", ERROR_PATH_NOT_FOUND},
      {"remove", remove, "full", ERROR_DIR_NOT_EMPTY},
      {"remove", remove, "file", ERROR_DIRECTORY},
      {"remove", remove, "none", ERROR_FILE_NOT_FOUND},
      {"remove", remove, "dirlink", 0},
      {"remove", remove, "empty", 0},
      {"delete", erase, "locked", ERROR_ACCESS_DENIED},  // read-only, even for the superuser
      {"delete", erase, "full", ERROR_ACCESS_DENIED},
      {"delete", erase, "none", ERROR_FILE_NOT_FOUND},
      {"delete", erase, "filelink", 0},
      {"exists", exists, "file", 0},
      {"exists", exists, "dangling", 0},
      {"exists", exists, "none", ERROR_FILE_NOT_FOUND},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.what) + " " + c.name);
    SetLastError(0);
    EXPECT_EQ(c.call(dir.Windows(c.name)), c.error == 0 ? TRUE : FALSE);
    if (c.error != 0) {
      EXPECT_EQ(GetLastError(), c.error);
    }
  }
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
  for (const char16_t* all : {u"\\*.*", u"\\*", u"/*.*"})
    EXPECT_EQ(SearchAll(dir.Windows() + all), expected) << Utf8(all);
  // A plain name: that entry alone.
  struct Entry {
    const char* name;
    DWORD attributes;
    DWORD size;
  };
  for (const Entry& e : {Entry{"sub", FILE_ATTRIBUTE_DIRECTORY, 0}, Entry{"size", FILE_ATTRIBUTE_ARCHIVE, 70000}}) {
    SCOPED_TRACE(e.name);
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(dir.Windows(e.name), &data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(CString(data.cFileName), CString(e.name));
    EXPECT_EQ(data.dwFileAttributes, e.attributes);
    EXPECT_EQ(data.nFileSizeLow, e.size);
    EXPECT_EQ(data.nFileSizeHigh, 0u);
    EXPECT_FALSE(FindNextFileW(h, &data));
    FindClose(h);
  }
  struct Failure {
    CString pattern;
    DWORD error;
  };
  for (const Failure& f :
       {Failure{dir.Windows("sub") + u"\\*.txt", ERROR_FILE_NOT_FOUND},
        Failure{dir.Windows("none") + u"\\*.*", ERROR_PATH_NOT_FOUND},
        Failure{dir.Windows("size") + u"\\*.*", ERROR_PATH_NOT_FOUND},
        Failure{dir.Windows("none"), ERROR_FILE_NOT_FOUND}, Failure{dir.Windows() + u"\\", ERROR_FILE_NOT_FOUND}}) {
    SCOPED_TRACE(Utf8(f.pattern));
    WIN32_FIND_DATAW data;
    EXPECT_EQ(FindFirstFileW(f.pattern, &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), f.error);
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

TEST(FindFirstFileWLinux, WildcardsAgreeWithALiteralMatcher) {
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
    DWORD error;  // 0: TRUE
    std::vector<const char*> made;
    std::vector<const char*> absent;
  };
  const std::vector<Case> cases = {
      {"a\\b", 0, {"a"}, {"a/b"}},
      {"a\\b\\", 0, {"a", "a/b"}, {}},
      {"a/b/c/file.txt", 0, {"a", "a/b", "a/b/c"}, {"a/b/c/file.txt"}},
      {"a\\\\b\\", 0, {"a", "a/b"}, {}},
      {"name", 0, {}, {"name"}},
      {"\xe4\xb8\xad\\\xe6\x96\x87\\", 0, {"\xe4\xb8\xad", "\xe4\xb8\xad/\xe6\x96\x87"}, {}},  // UTF-8 text
      {"plain\\", ERROR_DIRECTORY, {}, {}},                                                    // "plain" is a file
      {"plain\\sub\\", ERROR_DIRECTORY, {}, {"plain/sub"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    TempDir dir;
    utility::testsupport::WriteBytes(dir.path() / "plain", "");
    const std::string full = dir.path().string() + "/" + c.path;
    EXPECT_EQ(MakeSureDirectoryPathExists(full.c_str()), c.error == 0 ? TRUE : FALSE);
    EXPECT_EQ(GetLastError(), c.error);
    for (const char* made : c.made)
      EXPECT_TRUE(fs::is_directory(dir.path() / utility::testsupport::PathOf(made))) << made;
    for (const char* absent : c.absent) EXPECT_FALSE(fs::is_directory(dir.path() / absent)) << absent;
  }
  EXPECT_FALSE(MakeSureDirectoryPathExists(nullptr));
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
  struct Case {
    UINT function;
    std::vector<CString> from;
    CString to;
    int result;
  };
  const Case cases[] = {
      {FO_RENAME, {dir.Windows("old")}, dir.Windows("taken"), ERROR_ALREADY_EXISTS},
      {FO_RENAME, {dir.Windows("old")}, dir.Windows("elsewhere\\old"), DE_DIFFDIR},
      {FO_RENAME, {dir.Windows("none")}, dir.Windows("new"), ERROR_FILE_NOT_FOUND},
      {FO_RENAME, {dir.Windows("old"), dir.Windows("taken")}, dir.Windows("new"), DE_MANYSRC1DEST},
      {FO_DELETE, {dir.Windows("old")}, dir.Windows("new"), ERROR_CALL_NOT_IMPLEMENTED},
      {FO_RENAME, {dir.Windows("old")}, dir.Windows("new"), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(Shell(c.function, c.from, c.to), c.result) << Utf8(c.to);
  EXPECT_EQ(utility::testsupport::EntriesBelow(dir.path()),
            (std::set<std::string>{"new", "new/inner", "elsewhere", "taken"}));
  EXPECT_EQ(utility::testsupport::ReadBytes(dir.path() / "taken"), "keep");
}

// The ways of writing "this name, as a directory" that the kernel alone would resolve through a
// link: each still names the link, which is what the library's walks rely on to stay in a tree.
// After a file, a trailing separator names nothing.
TEST(PathSpellingsLinux, ALinkNamedAsADirectoryIsTheLinkAndAFileNamedSoIsNothing) {
  for (const char16_t* tail : {u"\\", u"\\.", u"/", u"/.", u"\\.\\", u"\\\\", u"\\sub\\.."}) {
    SCOPED_TRACE(Utf8(tail));
    TempDir dir;
    fs::create_directories(dir.path() / "outside" / "sub");
    utility::testsupport::WriteBytes(dir.path() / "outside" / "sub" / "deeper", "keep");
    fs::create_directory_symlink(dir.path() / "outside", dir.path() / "link");
    EXPECT_EQ(GetFileAttributesW(dir.Windows("link") + tail),
              DWORD{FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT});
    EXPECT_EQ(Shell(FO_RENAME, {dir.Windows("link") + tail}, dir.Windows("moved")), 0);
    EXPECT_TRUE(fs::is_symlink(dir.path() / "moved"));
    EXPECT_TRUE(RemoveDirectoryW(dir.Windows("moved") + tail));
    EXPECT_EQ(utility::testsupport::EntriesBelow(dir.path()),
              (std::set<std::string>{"outside", "outside/sub", "outside/sub/deeper"}));
    if (const std::u16string_view t(tail); t != u"\\" && t != u"\\." && t != u"/") continue;
    const CString file = dir.Windows("outside\\sub\\deeper") + tail;
    EXPECT_EQ(GetFileAttributesW(file), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME));
    EXPECT_FALSE(DeleteFileW(file));
    EXPECT_EQ(utility::testsupport::ReadBytes(dir.path() / "outside" / "sub" / "deeper"), "keep");
  }
}

namespace {

// `..` never climbs above the root a path starts from: `\`, and on Windows its drive too. A
// path that climbs too far names the same place below the root as Windows reads it, never a
// place relative to the current directory. The directory's path written so that it climbs one
// level above its root, then comes back
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

std::string Native(const CString& library) {
  std::string native;
  EXPECT_TRUE(utility::platform::NativePath(CStringRef(library), native)) << utility::testsupport::Utf8(library);
  return native;
}

CString Units(std::initializer_list<char16_t> units) {
  const std::u16string s(units);
  return CString(s.c_str(), static_cast<int>(s.size()));
}

}  // namespace

TEST(NativePath, InvalidBytesReadAsEscapeUnitsAndValidTextAsItself) {
  struct Case {
    std::string native;
    std::u16string library;
  };
  const Case cases[] = {
      {"plain/ascii", u"plain\\ascii"},
      {"caf\xC3\xA9", u"caf\u00E9"},
      {"\xF0\x9F\x98\x80", u"\U0001F600"},
      {"a\x80z", u"a\xDC80z"},
      {"\xE2\x82\xC3\xA9", u"\xDCE2\xDC82\u00E9"},  // a truncated sequence, then a valid character
      {"\xED\xA0\x80", u"\xDCED\xDCA0\xDC80"},      // an encoded surrogate
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.native);
    const CString library = utility::platform::WindowsPath(c.native);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(library.GetString()),
                             static_cast<std::size_t>(library.GetLength())),
              c.library);
    EXPECT_EQ(Native(library), c.native);
  }
  EXPECT_EQ(utility::platform::NativeText("a/\xFF"), Units({u'a', u'/', 0xDCFF}));
  // A name's native length: a lone surrogate takes three bytes, a pair four, an escape one.
  EXPECT_EQ(utility::platform::GetNativeNameLength(Units({0xD800, u'x', 0xD83D, 0xDE00, 0xDCFF}), 5), 9u);
  // The native length of a path counts the bytes of its lexically resolved native form.
  EXPECT_EQ(utility::platform::GetNativePathLength(CString(u"\\tmp\\.\\x\\..\\y\\\u4e2d\xDCFF")), 11u);
}

TEST(NativePath, UnitsThatNoNativeNameDecodesToAreRefused) {
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
