// LoadStringW over string tables compiled from text sources (modules/Strings.txt).
#include <Utility/Platform/Error.h>
#include <Utility/Platform/Library.h>
#include <Utility/Platform/Resource.h>
#include <Utility/Platform/String.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

namespace {

class ModuleStrings : public testing::Test {
 protected:
  void SetUp() override {
    m_module = LoadLibraryW(CString(TEST_STRINGS_MODULE).GetString());
    ASSERT_NE(m_module, nullptr) << TEST_STRINGS_MODULE;
  }
  void TearDown() override {
    if (m_module != nullptr) FreeLibrary(m_module);
  }
  std::u16string Load(UINT id, int size, int* result = nullptr) {
    std::u16string buffer(static_cast<std::size_t>(size) + 1, u'#');
    const int n = LoadStringW(m_module, id, reinterpret_cast<WCHAR*>(buffer.data()), size);
    if (result != nullptr) *result = n;
    return std::u16string(buffer.c_str());
  }
  HMODULE m_module = nullptr;
};

std::u16string Digits(int count) {
  std::u16string s;
  for (int i = 0; i < count; ++i) s += static_cast<char16_t>(u'0' + i % 10);
  return s;
}

}  // namespace

TEST_F(ModuleStrings, FindsEachStringAndCutsItToTheBufferLessOneUnitOrPointsAtIt) {
  const std::pair<UINT, std::u16string> cases[] = {{1, u"One"},
                                                   {16, u"Sixteen; [brackets] and a \"quote\""},
                                                   {302, u"tab\tand line\nend \u00e9\u4e2d"},
                                                   {65535, u"Last identifier"}};
  for (const auto& [id, text] : cases) {
    int n = -1;
    EXPECT_EQ(Load(id, 1024, &n), text) << id;
    EXPECT_EQ(n, static_cast<int>(text.size())) << id;
  }
  for (int size : {1, 2, 150, 300, 301, 302}) {  // the whole string (300 units) fits from 301
    int n = -1;
    ASSERT_EQ(Load(300, size, &n), Digits(std::min(size - 1, 300))) << size;
    ASSERT_EQ(n, std::min(size - 1, 300)) << size;
  }
  // The cut falls inside the surrogate pair: units, not characters.
  EXPECT_EQ(Load(301, 260), std::u16string(258, u'a') + u"\U0001F600"[0]);
  const WCHAR* text = nullptr;
  ASSERT_EQ(LoadStringW(m_module, 300, reinterpret_cast<WCHAR*>(&text), 0), 300);  // size 0: a pointer
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(text), 300), Digits(300));
}

TEST_F(ModuleStrings, AnswersMissingAndEmptyStringsWithZero) {
  for (const auto& [id, error] :
       {std::pair{2u, DWORD{ERROR_RESOURCE_NAME_NOT_FOUND}}, std::pair{0u, DWORD{ERROR_RESOURCE_NAME_NOT_FOUND}},
        std::pair{65536u + 1, DWORD{ERROR_RESOURCE_NAME_NOT_FOUND}}, std::pair{303u, DWORD{ERROR_SUCCESS}}}) {
    SCOPED_TRACE(id);
    int n = -1;
    SetLastError(12345);
    EXPECT_EQ(Load(id, 64, &n), u"");
    EXPECT_EQ(n, 0);
    EXPECT_EQ(GetLastError(), error);
  }
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
