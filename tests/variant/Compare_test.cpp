// IsVarSame (same type, same bits) and IsDataEqual (same data across types).
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "variant/VariantValues.h"

namespace {

using namespace utility::testsupport::variants;

// The pairs that the generated comparison below does not reach: texts with zeros, reals'
// signed zeros and NaN, and the types without a numeric reading.
TEST(Compare, WorkedPairs) {
  // Both ways round; by reference, as copying a variant of a type with no copy rule (code 15)
  // gives VT_EMPTY.
  auto check = [](const char* why, COleVariant&& a, COleVariant&& b, int same, int equal) {
    EXPECT_EQ(CUtility::IsVarSame(a, b), same) << why;
    EXPECT_EQ(CUtility::IsVarSame(b, a), same) << why;
    EXPECT_EQ(CUtility::IsDataEqual(a, b), equal) << why;
    EXPECT_EQ(CUtility::IsDataEqual(b, a), equal) << why;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  check("BOOL -1 and BOOL 1", Int(VT_BOOL, -1), Int(VT_BOOL, 1), 0, 1);
  check("R8 NaN with itself", R8(nan), R8(nan), 0, 0);
  check("R8 0 and -0", R8(0.0), R8(-0.0), 1, 1);
  check("null and empty BSTR", Raw(VT_BSTR, 0), Text(u""), 1, 1);
  check("texts differing after a zero", Text({u"ab\0c", 4}), Text({u"ab\0d", 4}), 0, 1);
  check("texts differing in the last unit", Text({u"abc", 3}), Text({u"abd", 3}), 0, 0);
  check("text and its prefix before a zero", Text({u"ab\0c", 4}), Text(u"ab"), 0, 1);
  check("date and any text", R8(45356.5, VT_DATE), Text(u"anything"), 0, 1);
  check("I1 -1 and UI1 255", Raw(VT_I1, 0xFF), Raw(VT_UI1, 0xFF), 0, 0);
  check("ERROR differs", Int(VT_ERROR, 0x80020004LL), Int(VT_ERROR, 0x80020005LL), 0, 1);
  check("CY same", Int(VT_CY, 0x100000002LL), Int(VT_CY, 0x100000002LL), 1, 1);
  check("CY high half differs", Int(VT_CY, 0x100000002LL), Int(VT_CY, 0x200000002LL), 0, 1);
  check("DECIMAL", Raw(VT_DECIMAL, 0), Raw(VT_DECIMAL, 0), 0, 1);
  check("code 15", Raw(15, 0), Raw(15, 0), 0, 1);
}

TEST(IsVarSame, NeverTheSameAboveUi4AndInterfacesByPointer) {
  for (unsigned code : {unsigned{VT_I8}, unsigned{VT_UI8}, unsigned{VT_INT}, unsigned{VT_UINT}, 24u,
                        unsigned{VT_ARRAY | VT_I4}, unsigned{VT_VECTOR | VT_I2}, unsigned{VT_BYREF | VT_EMPTY}}) {
    COleVariant v = Raw(static_cast<VARTYPE>(code), 0);
    EXPECT_EQ(CUtility::IsVarSame(v, v), 0) << code;
  }
  COleVariant n = R8(std::numeric_limits<double>::quiet_NaN(), VT_DATE);
  EXPECT_EQ(CUtility::IsVarSame(n, n), 0);
  int object = 0, other = 0;
  for (VARTYPE vt : {VT_DISPATCH, VT_UNKNOWN}) {
    COleVariant a = Raw(vt, 0), b = Raw(vt, 0), c = Raw(vt, 0);
    a.byref = &object, b.byref = &object, c.byref = &other;
    EXPECT_EQ(CUtility::IsVarSame(a, b), 1);
    EXPECT_EQ(CUtility::IsVarSame(a, c), 0);
    a.vt = b.vt = c.vt = VT_EMPTY;  // nothing to release
  }
}

// Over generated pairs of small values: IsDataEqual is symmetric and follows the model (absent
// values equal each other, dates compare as dates, texts as texts, all else by VarToDouble);
// IsVarSame holds exactly for equal types whose own bytes are equal.
TEST(Compare, GeneratedPairsFollowTheModel) {
  const unsigned seed = 8675309;
  std::mt19937_64 rng(seed);
  const VARTYPE types[] = {VT_EMPTY, VT_NULL, VT_I2,  VT_I4,  VT_R4,  VT_R8, VT_CY,  VT_DATE, VT_BSTR,
                           VT_BOOL,  VT_I1,   VT_UI1, VT_UI2, VT_UI4, VT_I8, VT_INT, VT_UINT};
  const char16_t* texts[] = {u"", u"0", u"5", u"abc", u"ABC"};
  auto make = [&]() {
    const VARTYPE vt = types[rng() % std::size(types)];
    if (vt == VT_BSTR) return Text(texts[rng() % std::size(texts)]);
    // Small payloads so that equal values across types come up often; high bytes the type
    // does not read.
    COleVariant v = Raw(vt, (rng() % 3) | (rng() % 2 ? 0x0100000000000000ull : 0));
    if (vt == VT_R4) v.fltVal = static_cast<float>(rng() % 3);
    if (vt == VT_R8 || vt == VT_DATE) v.dblVal = static_cast<double>(rng() % 3) / (rng() % 2 ? 1.0 : 2.0);
    return v;
  };
  for (int i = 0; i < 20000; ++i) {
    COleVariant a = make(), b = make();
    SCOPED_TRACE("seed " + std::to_string(seed) + " i " + std::to_string(i) + " types " + std::to_string(a.vt) + " " +
                 std::to_string(b.vt));
    const int ab = CUtility::IsDataEqual(a, b);
    ASSERT_EQ(ab, CUtility::IsDataEqual(b, a));
    const bool bothTexts = a.vt == VT_BSTR && b.vt == VT_BSTR;
    const bool want = a.vt <= VT_NULL && b.vt <= VT_NULL   ? true
                      : a.vt == VT_DATE && b.vt == VT_DATE ? a.date == b.date
                      : bothTexts                          ? CString(a.bstrVal) == CString(b.bstrVal)
                                                           : CUtility::VarToDouble(&a) == CUtility::VarToDouble(&b);
    ASSERT_EQ(ab, want ? 1 : 0);
    ASSERT_EQ(CUtility::IsDataEqual(a, a), 1);
    // The bytes the type holds: two for VT_BOOL, all eight of a currency.
    const int size = a.vt == VT_BOOL ? 2 : a.vt == VT_CY ? 8 : CUtility::GetSizeByVT(a.vt);
    const bool same =
        a.vt == b.vt && a.vt <= VT_UI4 &&
        (bothTexts ? CString(a.bstrVal) == CString(b.bstrVal)
                   : a.vt <= VT_NULL || std::memcmp(&a.llVal, &b.llVal, static_cast<std::size_t>(size)) == 0);
    ASSERT_EQ(CUtility::IsVarSame(a, b), same ? 1 : 0);
    if (same) {
      ASSERT_EQ(ab, 1);
    }
  }
}

}  // namespace
