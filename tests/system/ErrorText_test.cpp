// GetLastErrorText: system texts with CR LF, codes without one, the 1023-unit cut, the code
// page round trip, and many threads at once.
#include <Utility/Utility.h>

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "system/MessageText.h"

using utility::testsupport::Utf8;

namespace {

// The untranslated texts are expected: the test process asks for the "C" messages.
class ErrorText : public testing::Test {
 private:
  utility::testsupport::ScopedEnv m_lcAll{"LC_ALL", "C"};
};

}  // namespace

TEST_F(ErrorText, GivesTheSystemsMessageEndingInCrLf) {
  struct Case {
    int code;
    const char16_t* text;
  };
  // The texts of each code are FormatMessageW's to check; here, that the code reaches them.
  for (const Case& c : {Case{2, u"No such file or directory\r\n"}, Case{112, u"No space left on device\r\n"}}) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(CUtility::GetLastErrorText(c.code), CString(c.text));
  }
}

TEST_F(ErrorText, IsEmptyForACodeWithoutAMessage) {
  for (int code : {0x12345, -1, 234, 9999, static_cast<int>(0x80070002u)}) {
    SCOPED_TRACE(code);
    EXPECT_TRUE(CUtility::GetLastErrorText(code).IsEmpty());
  }
}

TEST_F(ErrorText, GivesEachOfManyThreadsItsOwnText) {
  const std::vector<int> codes = {2, 5, 6, 8, 80, 87, 109, 112, 145, 0x12345};
  std::map<int, CString> expected;
  for (int code : codes) expected[code] = CUtility::GetLastErrorText(code);
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 300; ++i) {
        const int code = codes[static_cast<std::size_t>(t + i) % codes.size()];
        if (!(CUtility::GetLastErrorText(code) == expected[code])) ++wrong;
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(wrong.load(), 0);
}

TEST(MessageToText, KeepsAtMost1023Units) {
  for (int length : {0, 1, 1022, 1023, 1024, 5000}) {
    SCOPED_TRACE(length);
    std::u16string message;
    for (int i = 0; i < length; ++i) message += static_cast<char16_t>(u'A' + i % 26);
    const CString text = utility::system::MessageToText(reinterpret_cast<const WCHAR*>(message.c_str()));
    const int kept = length < 1023 ? length : 1023;
    EXPECT_EQ(text.GetLength(), kept);
    EXPECT_EQ(text, CString(message.substr(0, static_cast<std::size_t>(kept))));
  }
}

TEST(MessageToText, TakesTheTextThroughTheAnsiCodePage) {
  // What the ANSI code page (UTF-8) holds comes back unchanged; a lone surrogate cannot be
  // held and comes back as the replacement character.
  EXPECT_EQ(utility::system::MessageToText(reinterpret_cast<const WCHAR*>(u"Fichier introuvable \u00e9\u4e2d\r\n")),
            CString(u"Fichier introuvable \u00e9\u4e2d\r\n"));
  const WCHAR lone[] = {u'a', 0xD800, u'b', 0};
  EXPECT_EQ(utility::system::MessageToText(lone), CString(u"a\uFFFDb"));
}
