// Name checks read code page 936 text without touching the process's locale: several threads
// check names and look up keywords while another thread keeps reading the locale settings.
#include <atomic>
#include <clocale>
#include <cstdlib>
#include <fstream>
#include <locale>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <Utility/Utility.h>

#include "support/TempDir.h"

namespace {

struct LocaleSnapshot {
  std::string all;
  std::string ctype;
  std::string cxxGlobal;
  std::size_t maxCharBytes;

  static LocaleSnapshot Take() {
    return {std::setlocale(LC_ALL, nullptr), std::setlocale(LC_CTYPE, nullptr), std::locale().name(), MB_CUR_MAX};
  }
  bool operator==(const LocaleSnapshot&) const = default;
};

TEST(LocaleWatch, NameChecksNeverChangeTheLocale) {
  utility::testsupport::TempDir dir;
  {
    std::ofstream out(dir.path() / "gbk.ini", std::ios::binary);
    for (int i = 0; i < 200; ++i) out << "word" << i << "\r\n\xD6\xD0\xCE\xC4" << i << "\r\n";
  }
  const CString path = dir.Windows("gbk.ini");
  const LocaleSnapshot before = LocaleSnapshot::Take();

  std::atomic<bool> done{false};
  std::atomic<long> observations{0};
  std::atomic<long> changes{0};
  std::thread watcher([&] {
    while (!done.load()) {
      if (!(LocaleSnapshot::Take() == before)) changes.fetch_add(1);
      observations.fetch_add(1);
    }
  });

  std::atomic<int> wrongAnswers{0};
  std::vector<std::thread> workers;
  for (int t = 0; t < 4; ++t) {
    workers.emplace_back([&, t] {
      for (int i = 0; i < 300; ++i) {
        const std::u16string word = u"\u4e2d\u6587" + std::u16string(1, static_cast<char16_t>(u'0' + (i + t) % 10));
        if (CUtility::IsKeyWords(path, CString(std::u16string_view(word))) != 1) wrongAnswers.fetch_add(1);
        if (CUtility::IsKeyWords(path, CString(u"WORD7")) != 1) wrongAnswers.fetch_add(1);
        if (CUtility::CheckNameValidiy(CString(u" if "), 0, 0) != 4) wrongAnswers.fetch_add(1);
        if (CUtility::CheckNameValidiy(CString(u"name_1"), 0, 0) != 0) wrongAnswers.fetch_add(1);
        // The thread's own locale is still the global one.
        if (uselocale(static_cast<locale_t>(nullptr)) != LC_GLOBAL_LOCALE) wrongAnswers.fetch_add(1);
      }
    });
  }
  for (std::thread& w : workers) w.join();
  done.store(true);
  watcher.join();

  EXPECT_EQ(wrongAnswers.load(), 0);
  EXPECT_GT(observations.load(), 0);
  EXPECT_EQ(changes.load(), 0);
  EXPECT_TRUE(LocaleSnapshot::Take() == before);
}

}  // namespace
