// UnitString, the storage of CString, against std::u16string over random runs of every operation,
// across the change from units held in the object to a heap block and back.
#include <Utility/Platform/UnitString.h>

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

#include "support/TempDir.h"

namespace {

using utility::testsupport::W;

std::u16string Text(const UnitString& s) {
  return std::u16string(reinterpret_cast<const char16_t*>(s.data()), s.size());
}

void ExpectSame(const UnitString& s, const std::u16string& model) {
  ASSERT_EQ(s.size(), model.size());
  EXPECT_EQ(Text(s), model);
  EXPECT_EQ(s.c_str()[s.size()], 0u) << "no terminator";
  EXPECT_GE(s.capacity(), s.size());
}

TEST(UnitString, MatchesTheStandardStringOverRandomRunsOfEdits) {
  std::mt19937 random(20261206);
  auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % (n + 1)); };
  for (int run = 0; run < 300; ++run) {
    UnitString s, before;
    std::u16string model, beforeModel;
    for (int step = 0; step < 60; ++step) {
      SCOPED_TRACE(testing::Message() << "run " << run << " step " << step);
      // Mostly letters; now and then a zero unit or the highest unit, which compares as unsigned.
      const auto kind = random() % 16;
      const auto unit = static_cast<char16_t>(kind == 0 ? 0 : kind == 1 ? 0xFFFF : u'a' + random() % 26);
      const std::size_t n = pick(random() % 4 == 0 ? 40 : 6);
      const std::size_t pos = pick(model.size());
      const std::size_t count = pick(model.size() - pos);
      // Each edit on both; sources of 2, 3, 4 and 9 lie inside the string itself.
      const std::function<void()> edits[] = {
          [&] { s.push_back(unit), model.push_back(unit); },
          [&] { s.append(n, unit), model.append(n, unit); },
          [&] { s.append(s.data() + pos, count), model.append(model, pos, count); },
          [&] { s.assign(s.data() + pos, count), model = model.substr(pos, count); },
          [&] { s.insert(pos, s.data(), count), model.insert(pos, model.substr(0, count)); },
          [&] { s.insert(pos, n, unit), model.insert(pos, n, unit); },
          [&] { s.erase(pos, count), model.erase(pos, count); },
          [&] { s.resize(n, unit), model.resize(n, unit); },
          [&] { s.assign(n, unit), model.assign(n, unit); },
          [&] { s.append(UnitString(s), pos, count), model.append(model.substr(pos, count)); },
          [&] { s.reserve(n * 3); },
          [&] { s.clear(), model.clear(); },
          [&] {
            UnitString moved(static_cast<UnitString&&>(s));
            ExpectSame(s, u"");
            s = static_cast<UnitString&&>(moved);
          },
          [&] { s.swap(before), model.swap(beforeModel); },
          [&] {  // a copy has units of its own
            UnitString copy(s);
            copy.append(3, unit);
            ExpectSame(s, model);
            s = copy, model.append(3, unit);
          },
          [&] {  // overwritten in place after a resize that keeps what was there
            WCHAR* p = s.resize_for_overwrite(model.size() + n);
            for (std::size_t i = model.size(); i < model.size() + n; ++i) p[i] = unit;
            model.append(n, unit);
          }};
      edits[random() % std::size(edits)]();
      ExpectSame(s, model);
      if (HasFatalFailure()) return;
      // Searches from every kind of start, the end and past it included.
      const std::size_t at = pick(model.size() + 1);
      const std::u16string needle = model.substr(pick(model.size()), random() % 4);
      EXPECT_EQ(s.find(unit, at), model.find(unit, at));
      EXPECT_EQ(s.rfind(unit, at), model.rfind(unit, at));
      EXPECT_EQ(s.find(W(needle), at, needle.size()), model.find(needle, at));
      // Ordered and equal as the model is to the text of the step before.
      EXPECT_EQ(s < before, model < beforeModel);
      EXPECT_EQ(s == before, model == beforeModel);
      before = s, beforeModel = model;
    }
  }
}

}  // namespace
