// Module location: the host directory, module names, the help file path and the 259-unit cut.
#include <Utility/Platform/Module.h>
#include <Utility/Utility.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using utility::testsupport::TempDir;
using utility::testsupport::Utf8;

namespace {

// Runs the probe host program copied to `exe` and returns what it printed, key by key.
std::map<std::string, std::string> RunProbe(const fs::path& exe) {
  fs::create_directories(exe.parent_path());
  fs::copy_file(UTILITY_MODULE_PROBE, exe, fs::copy_options::overwrite_existing);
  return utility::testsupport::RunProbe(exe);
}

std::string Backslashed(std::string native) {
  for (char& c : native) {
    if (c == '/') c = '\\';
  }
  return native;
}

}  // namespace

TEST(FileNameOnly, KeepsWhatFollowsTheLastBackslash) {
  struct Case {
    const char16_t* path;
    const char16_t* name;
  };
  for (const Case& c : {Case{u"C:\\dir\\name.txt", u"name.txt"}, Case{u"C:\\dir\\", u""},
                        Case{u"name.txt", u"name.txt"}, Case{u"", u""}, Case{u"a\\b/c", u"b/c"}}) {
    SCOPED_TRACE(Utf8(c.path));
    EXPECT_EQ(CUtility::FileNameOnly(c.path), CString(c.name));
  }
}

// The executable's directory without a trailing backslash, its name and the help file beside
// it, from the executable's path as a MAX_PATH buffer holds it: a longer one is cut to 259 units.
TEST(GetModulePath, IsTheExecutablesDirectoryFromAPathCutTo259Units) {
  for (const std::size_t nesting : {std::size_t{0}, std::size_t{300}}) {
    TempDir dir;
    fs::path exe = dir.path() / "app";
    while (exe.string().size() < nesting) exe /= std::string(40, 'd');
    exe /= "host-with-a-long-name";
    const auto out = RunProbe(exe);
    const std::string full = Backslashed(exe.string());
    ASSERT_EQ(full.size() > 259, nesting > 0);
    const std::string seen = full.substr(0, 259);
    const std::string directory = seen.substr(0, seen.rfind('\\'));
    EXPECT_EQ(out.at("path"), directory);
    EXPECT_EQ(out.at("name"), seen.substr(seen.rfind('\\') + 1));
    EXPECT_EQ(out.at("help"), directory + "\\Help\\TarnwellHelp.chm");
  }
}

TEST(GetModuleName, NamesLoadedModulesAndNothingElse) {
  // This test program links the library, so its shared object is loaded.
  HMODULE library = GetModuleHandleW(reinterpret_cast<const WCHAR*>(u"libUtility.so.1"));
  ASSERT_NE(library, nullptr);
  EXPECT_EQ(CUtility::GetModuleName(library), CString(u"libUtility.so.1"));
  const std::string program = std::filesystem::read_symlink("/proc/self/exe").filename().string();
  EXPECT_EQ(CUtility::GetModuleName(nullptr), CString(program.c_str()));

  int notAModule = 0;
  EXPECT_EQ(CUtility::GetModuleName(reinterpret_cast<HINSTANCE>(&notAModule)), CString(u""));
}

TEST(GetModuleFileNameW, CutsTerminatesAndReportsLikeWin32) {
  WCHAR full[1024] = {};
  const DWORD length = GetModuleFileNameW(nullptr, full, 1024);
  ASSERT_GT(length, 4u);
  EXPECT_EQ(full[0], u'\\');
  EXPECT_EQ(full[length], 0);

  WCHAR small[4] = {1, 1, 1, 1};
  SetLastError(0);
  EXPECT_EQ(GetModuleFileNameW(nullptr, small, 4), 4u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(small[0], full[0]);
  EXPECT_EQ(small[2], full[2]);
  EXPECT_EQ(small[3], 0);

  int notAModule = 0;
  WCHAR none[8] = {7, 7};
  EXPECT_EQ(GetModuleFileNameW(reinterpret_cast<HMODULE>(&notAModule), none, 8), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(none[0], 0);
}
