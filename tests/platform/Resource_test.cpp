// LoadStringW over string tables compiled from text sources (modules/Strings.txt).
#include <Utility/Platform/Error.h>
#include <Utility/Platform/Library.h>
#include <Utility/Platform/Resource.h>
#include <Utility/Platform/String.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <utility>

namespace {

std::u16string Digits(int count) {
  std::u16string s;
  for (int i = 0; i < count; ++i) s += static_cast<char16_t>(u'0' + i % 10);
  return s;
}

}  // namespace

TEST(LoadStringW, FindsEachStringAndCutsItToTheBufferLessOneUnitOrPointsAtIt) {
  HMODULE module = LoadLibraryW(CString(TEST_STRINGS_MODULE).GetString());
  ASSERT_NE(module, nullptr) << TEST_STRINGS_MODULE;
  // The string through a buffer of the given size, and the result.
  auto load = [module](UINT id, int size, int* result = nullptr) {
    std::u16string buffer(static_cast<std::size_t>(size) + 1, u'#');
    const int n = LoadStringW(module, id, reinterpret_cast<WCHAR*>(buffer.data()), size);
    if (result != nullptr) *result = n;
    return std::u16string(buffer.c_str());
  };
  // id, its text (none for a missing or an empty string), and the last error after it
  const std::tuple<UINT, std::u16string, DWORD> cases[] = {{1, u"One", ERROR_SUCCESS},
                                                           {16, u"Sixteen; [brackets] and a \"quote\"", ERROR_SUCCESS},
                                                           {302, u"tab\tand line\nend \u00e9\u4e2d", ERROR_SUCCESS},
                                                           {65535, u"Last identifier", ERROR_SUCCESS},
                                                           {303, u"", ERROR_SUCCESS},
                                                           {2, u"", ERROR_RESOURCE_NAME_NOT_FOUND},
                                                           {0, u"", ERROR_RESOURCE_NAME_NOT_FOUND},
                                                           {65536 + 1, u"", ERROR_RESOURCE_NAME_NOT_FOUND}};
  for (const auto& [id, text, error] : cases) {
    int n = -1;
    SetLastError(12345);
    EXPECT_EQ(load(id, 1024, &n), text) << id;
    EXPECT_EQ(n, static_cast<int>(text.size())) << id;
    EXPECT_EQ(GetLastError(), error) << id;
  }
  for (int size : {1, 2, 150, 300, 301, 302}) {  // the whole string (300 units) fits from 301
    int n = -1;
    ASSERT_EQ(load(300, size, &n), Digits(std::min(size - 1, 300))) << size;
    ASSERT_EQ(n, std::min(size - 1, 300)) << size;
  }
  // The cut falls inside the surrogate pair: units, not characters.
  EXPECT_EQ(load(301, 260), std::u16string(258, u'a') + u"\U0001F600"[0]);
  const WCHAR* text = nullptr;
  ASSERT_EQ(LoadStringW(module, 300, reinterpret_cast<WCHAR*>(&text), 0), 300);  // size 0: a pointer
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(text), 300), Digits(300));
  FreeLibrary(module);
}

// The executable's own table for a null module; none in a module without a table (though its
// dependency has one, string 7 among others).
TEST(LoadStringW, ReadsTheExecutablesOwnTableForANullModuleAndNoOtherTable) {
  WCHAR buffer[64] = {};
  EXPECT_EQ(LoadStringW(nullptr, 7, buffer, 64), 25);
  EXPECT_EQ(CString(buffer), u"Seven from the executable");
  // The module's strings are not the executable's, even while the module is loaded.
  HMODULE strings = LoadLibraryW(CString(TEST_STRINGS_MODULE).GetString());
  HMODULE plain = LoadLibraryW(CString(TEST_PLAIN_MODULE).GetString());
  ASSERT_NE(strings, nullptr);
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(LoadStringW(nullptr, 1, buffer, 64), 0);
  for (const auto& [handle, error] : {std::pair{strings, DWORD{ERROR_RESOURCE_NAME_NOT_FOUND}},
                                      std::pair{plain, DWORD{ERROR_RESOURCE_DATA_NOT_FOUND}}}) {
    buffer[0] = u'x';
    SetLastError(0);
    EXPECT_EQ(LoadStringW(handle, 7, buffer, 16), 0);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(GetLastError(), error);
  }
  FreeLibrary(plain);
  FreeLibrary(strings);
}
