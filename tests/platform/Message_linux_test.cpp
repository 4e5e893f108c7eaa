// FormatMessageW for system messages: the errno texts, CR LF, buffers and the unsupported cases,
// asked for in English, whose texts are the C library's untranslated ones.
#include <Utility/Platform/Error.h>
#include <Utility/Platform/Message.h>

#include <gtest/gtest.h>

#include <string>

namespace {

const DWORD kSystem = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
const DWORD kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_DEFAULT);

// The message of code through an allocated buffer; "<none>" when there is none.
std::u16string Message(DWORD code, DWORD language = kEnglish, DWORD extraFlags = 0) {
  WCHAR* text = nullptr;
  const DWORD n = FormatMessageW(kSystem | FORMAT_MESSAGE_ALLOCATE_BUFFER | extraFlags, nullptr, code, language,
                                 reinterpret_cast<WCHAR*>(&text), 0, nullptr);
  if (n == 0) {
    EXPECT_EQ(text, nullptr);
    return u"<none>";
  }
  std::u16string result(reinterpret_cast<const char16_t*>(text));
  EXPECT_EQ(result.size(), n);
  LocalFree(text);
  return result;
}

}  // namespace

TEST(FormatMessageW, GivesTheErrnoTextOfACodeEndingInCrLf) {
  for (const auto& [code, text] :
       {std::pair<DWORD, const char16_t*>{ERROR_FILE_NOT_FOUND, u"No such file or directory\r\n"},
        {10061, u"Connection refused\r\n"},
        {0, u"Success\r\n"}}) {
    EXPECT_EQ(Message(code), text) << code;
  }
  EXPECT_EQ(Message(ERROR_FILE_NOT_FOUND, kEnglish, FORMAT_MESSAGE_MAX_WIDTH_MASK), u"No such file or directory");
  for (DWORD code : {DWORD{0x12345}, DWORD{ERROR_MORE_DATA}, DWORD{1010}, DWORD{1017}}) {
    SetLastError(0);
    EXPECT_EQ(Message(code), u"<none>") << code;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND)) << code;
  }
  // A language that is neither the user's nor English has no texts.
  SetLastError(0);
  EXPECT_EQ(Message(ERROR_FILE_NOT_FOUND, MAKELANGID(0x07, SUBLANG_DEFAULT)), u"<none>");
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_LANG_NOT_FOUND));
}

TEST(FormatMessageW, FillsACallersBufferOnlyWhenTheTextFitsAndOffersNoOtherSourceThanTheSystem) {
  WCHAR buffer[64];
  for (DWORD size : {DWORD{64}, DWORD{28}, DWORD{27}, DWORD{1}}) {
    SCOPED_TRACE(size);
    SetLastError(0);
    const DWORD n = FormatMessageW(kSystem, nullptr, ERROR_FILE_NOT_FOUND, kEnglish, buffer, size, nullptr);
    // "No such file or directory\r\n" is 27 units and its terminator one more.
    EXPECT_EQ(n, size >= 28 ? 27u : 0u);
    if (n != 0) {
      EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(buffer)), u"No such file or directory\r\n");
    } else {
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    }
  }
  SetLastError(0);
  EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE, u"text", 2, 0, buffer, 64, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
}

TEST(FormatMessageW, GivesTheRegistrysOwnCodesTheirTextsInEveryLanguage) {
  std::u16string previous;
  for (DWORD code : {DWORD{ERROR_BADDB}, DWORD{ERROR_CANTOPEN}, DWORD{ERROR_REGISTRY_CORRUPT},
                     DWORD{ERROR_REGISTRY_IO_FAILED}, DWORD{ERROR_KEY_DELETED}}) {
    SCOPED_TRACE(code);
    const std::u16string english = Message(code);
    ASSERT_GT(english.size(), 2u);
    EXPECT_EQ(english.find(u"\r\n"), english.size() - 2);
    EXPECT_EQ(Message(code, LANG_USER_DEFAULT), english);  // the user's language, neutral
    EXPECT_NE(english, previous);                          // each code has its own
    previous = english;
  }
}
