// LoadLibraryW, GetProcAddress and FreeLibrary: Win32's errors, own exports only, counted loads.
#include <Utility/Platform/Error.h>
#include <Utility/Platform/Library.h>
#include <Utility/Platform/Module.h>
#include <Utility/Platform/Path.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "support/TempDir.h"

using utility::testsupport::TempDir;

namespace {

bool IsLoaded(const char* path) { return GetModuleHandleW(CString(path).GetString()) != nullptr; }

}  // namespace

TEST(LoadLibraryW, TellsAMissingFileFromABadOne) {
  TempDir dir;
  { std::ofstream(dir.path() / "Text.dll") << "not a shared object\n"; }
  for (const auto& [path, error] : {std::pair{dir.Windows("Missing.dll"), DWORD{ERROR_MOD_NOT_FOUND}},
                                    std::pair{dir.Windows("Text.dll"), DWORD{ERROR_BAD_EXE_FORMAT}},
                                    std::pair{CString(u""), DWORD{ERROR_INVALID_PARAMETER}}}) {
    SetLastError(0);
    EXPECT_EQ(LoadLibraryW(path.GetString()), nullptr) << path.ToUtf8();
    EXPECT_EQ(GetLastError(), error) << path.ToUtf8();
  }
}

TEST(GetProcAddress, FindsOnlyTheModulesOwnExports) {
  HMODULE module = LoadLibraryW(CString(TEST_PLAIN_MODULE).GetString());
  ASSERT_NE(module, nullptr);
  FARPROC own = GetProcAddress(module, "PlainModuleLastError");
  ASSERT_NE(own, nullptr);
  SetLastError(77);
  EXPECT_EQ(reinterpret_cast<unsigned (*)()>(reinterpret_cast<void (*)()>(own))(), 77u);
  // Defined by the objects the module depends on, not by the module.
  for (const char* name : {"malloc", "_Z12GetLastErrorv", "DependencyAnswer", "UtilityStringTable", "NoSuchExport"}) {
    SetLastError(0);
    EXPECT_EQ(GetProcAddress(module, name), nullptr) << name;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND)) << name;
  }
  FreeLibrary(module);
}

// A backslashed path loads the module, and loads are counted.
TEST(FreeLibrary, UnloadsWithTheLastRelease) {
  ASSERT_FALSE(IsLoaded(TEST_STRINGS_MODULE));
  HMODULE first = LoadLibraryW(utility::platform::WindowsPath(TEST_STRINGS_MODULE).GetString());
  HMODULE second = LoadLibraryW(CString(TEST_STRINGS_MODULE).GetString());
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  EXPECT_EQ(GetModuleHandleW(CString(TEST_STRINGS_MODULE).GetString()), first);
  EXPECT_TRUE(FreeLibrary(first));
  EXPECT_TRUE(IsLoaded(TEST_STRINGS_MODULE));
  auto answer =
      reinterpret_cast<int (*)()>(reinterpret_cast<void (*)()>(GetProcAddress(second, "StringsModuleAnswer")));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_TRUE(FreeLibrary(second));
  EXPECT_FALSE(IsLoaded(TEST_STRINGS_MODULE));
  // The handle is stale now, like one that never named a module.
  int local = 0;
  for (HMODULE stale : {second, reinterpret_cast<HMODULE>(&local)}) {
    SetLastError(0);
    EXPECT_EQ(GetProcAddress(stale, "StringsModuleAnswer"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_FALSE(FreeLibrary(stale));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  }
}
