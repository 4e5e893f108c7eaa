// The lossless name mapping: every native byte string has one library form that maps back to
// it, and no two library paths reach one native name.
#include <Utility/Platform/FileException.h>
#include <Utility/Platform/Path.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

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

// Native bytes back to native bytes through the library form. Backslashes are left out: the
// library reads them as separators.
void ExpectRoundTrip(const std::string& bytes) {
  const CString library = utility::platform::WindowsPath(bytes);
  std::string back;
  ASSERT_TRUE(utility::platform::NativePath(CStringRef(library), back)) << utility::testsupport::Utf8(library);
  EXPECT_EQ(back, bytes);
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

TEST(NativePath, EveryShortByteStringRoundTrips) {
  for (unsigned a = 0; a < 256; ++a) {
    for (unsigned b = 0; b < 256; ++b) {
      if (a == 0 || b == 0 || a == '\\' || b == '\\') continue;
      const std::string bytes{static_cast<char>(a), static_cast<char>(b)};
      ExpectRoundTrip(bytes);
      if (HasFailure()) return;
    }
  }
  std::mt19937 random(20261207);
  const char pieces[][5] = {"a",
                            "/",
                            "\x80",
                            "\xBF",
                            "\xC3",
                            "\xC3\xA9",
                            "\xE2\x82\xAC",
                            "\xE2\x82",
                            "\xED\xB3\xBF",
                            "\xF0\x9F\x98\x80",
                            "\xF0\x9F",
                            "\xF4\x8F\xBF\xBF",
                            "\xF5",
                            "\xFF"};
  for (int round = 0; round < 20000; ++round) {
    std::string bytes;
    const int count = static_cast<int>(random() % 12);
    for (int k = 0; k < count; ++k) bytes += pieces[random() % std::size(pieces)];
    ExpectRoundTrip(bytes);
    if (HasFailure()) return;
  }
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

// Any library path the mapping accepts is the one library form of its native name: random
// mixes of characters, escapes and surrogates either are refused or come back unchanged.
TEST(NativePath, NoTwoLibraryPathsReachOneNativeName) {
  const char16_t alphabet[] = {u'a',   u'\\',  0x00E9, 0x20AC, 0xDC80, 0xDCBF, 0xDCC3, 0xDCA9,
                               0xDCE2, 0xDC82, 0xDCFF, 0xD83D, 0xDE00, 0xD800, 0xDBFF, 0xDC00};
  std::mt19937 random(7);
  int accepted = 0;
  for (int round = 0; round < 50000; ++round) {
    std::u16string units;
    const int count = 1 + static_cast<int>(random() % 6);
    for (int k = 0; k < count; ++k) units += alphabet[random() % std::size(alphabet)];
    const CString path(units.c_str(), static_cast<int>(units.size()));
    std::string native;
    if (!utility::platform::NativePath(CStringRef(path), native)) continue;
    ++accepted;
    ASSERT_EQ(utility::platform::WindowsPath(native), path) << native;
  }
  EXPECT_GT(accepted, 1000);  // the property was tried on many accepted paths
}
