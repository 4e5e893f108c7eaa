// The lossless name mapping on chosen cases (fuzz/NativeName.cpp checks the round trips and
// that no two library paths reach one native name over any input).
#include <Utility/Platform/FileException.h>
#include <Utility/Platform/Path.h>

#include <gtest/gtest.h>

#include <string>

#include "support/TempDir.h"

namespace {

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
