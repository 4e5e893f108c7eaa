// BSTR layout and functions: the byte-length prefix, the zero unit after the text, embedded
// zeros and odd byte lengths, null handling.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include <Utility/Platform/Bstr.h>

#include "support/TempDir.h"

namespace {

using utility::testsupport::W;

// Each allocating form: the prefix holds the byte length, the units and bytes counts follow
// from it, and the text is followed by a whole zero unit (an odd length gets its own zero byte).
TEST(Bstr, CarriesItsByteLengthBeforeTheTextAndAZeroUnitAfterIt) {
  const char16_t withZero[] = {u'a', 0, u'b'};
  struct Case {
    const char* what;
    BSTR b;
    UINT bytes;
    std::string content;  // the text and what must follow it, as bytes
  };
  const Case cases[] = {
      {"a text", SysAllocString(W(u"abc")), 6, std::string("a\0b\0c\0\0\0", 8)},
      {"an embedded zero", SysAllocStringLen(W(withZero), 3), 6, std::string("a\0\0\0b\0\0\0", 8)},
      {"an odd byte length", SysAllocStringByteLen("abc", 3), 3, std::string("abc\0\0", 5)},
      {"room only", SysAllocStringLen(nullptr, 5), 10, ""},
      {"an empty text is a real BSTR", SysAllocString(W(u"")), 0, std::string(2, '\0')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_NE(c.b, nullptr);
    UINT prefix = 0;
    std::memcpy(&prefix, reinterpret_cast<const char*>(c.b) - 4, 4);
    EXPECT_EQ(prefix, c.bytes);
    EXPECT_EQ(SysStringByteLen(c.b), c.bytes);
    EXPECT_EQ(SysStringLen(c.b), c.bytes / 2);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(c.b), c.content.size()), c.content);
    if (c.bytes % 2 == 0) {  // the zero unit, also after uninitialised room
      EXPECT_EQ(c.b[c.bytes / 2], 0);
    }
    SysFreeString(c.b);
  }
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  EXPECT_EQ(SysStringByteLen(nullptr), 0u);
  SysFreeString(nullptr);
}

}  // namespace
