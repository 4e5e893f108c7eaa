// The system helpers where Linux is the oracle: the C library's error texts (CR LF, the
// 1023-unit cut, the UTF-8 round trip).
#include <Utility/Utility.h>

#include <gtest/gtest.h>

#include <string>

#include "support/TempDir.h"
#include "system/MessageText.h"

using utility::testsupport::Utf8;

// The words depend on the language the environment asks for (the program's tests read them
// in "C"); in any language a code reaches its own text, which ends in CR LF.
TEST(GetLastErrorText, GivesTheSystemsMessageEndingInCrLfOrNothing) {
  const CString missing = CUtility::GetLastErrorText(2), full = CUtility::GetLastErrorText(112);
  for (const CString& text : {missing, full}) {
    EXPECT_GT(text.GetLength(), 2);
    EXPECT_EQ(text.Right(2), CString(u"\r\n")) << Utf8(text);
  }
  EXPECT_NE(missing, full);
  for (int code : {0x12345, -1, 234, static_cast<int>(0x80070002u)}) {
    SCOPED_TRACE(code);
    EXPECT_TRUE(CUtility::GetLastErrorText(code).IsEmpty());
  }
}

TEST(MessageToText, KeepsAtMost1023UnitsThroughTheAnsiCodePage) {
  for (int length : {0, 1022, 1023, 1024}) {
    SCOPED_TRACE(length);
    std::u16string message;
    for (int i = 0; i < length; ++i) message += static_cast<char16_t>(u'A' + i % 26);
    const int kept = length < 1023 ? length : 1023;
    EXPECT_EQ(utility::system::MessageToText(utility::testsupport::W(message)),
              CString(message.substr(0, static_cast<std::size_t>(kept))));
  }
  // What the ANSI code page (UTF-8) holds comes back unchanged; a lone surrogate cannot be
  // held and comes back as the replacement character.
  EXPECT_EQ(utility::system::MessageToText(utility::testsupport::W(u"introuvable \u00e9\u4e2d\r\n")),
            CString(u"introuvable \u00e9\u4e2d\r\n"));
  const WCHAR lone[] = {u'a', 0xD800, u'b', 0};
  EXPECT_EQ(utility::system::MessageToText(lone), CString(u"a\uFFFDb"));
}
