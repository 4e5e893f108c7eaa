// The type catalogue: numeric set, names, sizes, type ranges and data-format ranges, checked
// through what the types are (the C++ integer of the same width and sign, the largest finite
// reals) rather than a copy of the catalogue.
#include <cfloat>
#include <cstdint>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "variant/VariantValues.h"

namespace {

using varianttest::U8;

struct Known {
  VARTYPE vt;
  const char16_t* name;
  int size;
  bool numeric;
  double minimum, maximum;  // both 0 for a type without a range
};

template <class T>
Known Integer(VARTYPE vt, const char16_t* name) {
  return {vt,
          name,
          static_cast<int>(sizeof(T)),
          true,
          static_cast<double>(std::numeric_limits<T>::min()),
          static_cast<double>(std::numeric_limits<T>::max())};
}

// The listed types, their ranges taken from the C++ types they hold.
const Known kKnown[] = {
    Integer<std::int16_t>(VT_I2, u"2 byte signed int"),
    Integer<std::int32_t>(VT_I4, u"4 byte signed int"),
    {VT_R4, u"4 byte real", 4, true, -static_cast<double>(FLT_MAX), static_cast<double>(FLT_MAX)},
    {VT_R8, u"8 byte real", 8, true, -DBL_MAX, DBL_MAX},
    {VT_DATE, u"date", 8, false, 0, 0},
    {VT_BSTR, u"string", -1, false, 0, 0},
    {VT_BOOL, u"bool", 1, true, 0, 1},
    Integer<std::int8_t>(VT_I1, u"signed char"),
    Integer<std::uint8_t>(VT_UI1, u"unsigned char"),
    Integer<std::uint16_t>(VT_UI2, u"unsigned short"),
    Integer<std::uint32_t>(VT_UI4, u"4 byte unsigned short"),
    {VT_I8, u"Native", 8, false, 0, 0},
    {VT_UI8, u"Native", 8, false, 0, 0},
    {VT_INT, u"Native", -1, true, 0, 0},
    {VT_UINT, u"Native", -1, true, 0, 0},
};

const Known* Find(VARTYPE vt) {
  for (const Known& k : kKnown) {
    if (k.vt == vt) return &k;
  }
  return nullptr;
}

TEST(Catalogue, ListedTypesHaveTheirSizeNameAndRange) {
  for (const Known& k : kKnown) {
    SCOPED_TRACE(k.vt);
    EXPECT_EQ(CUtility::IsNumVar(k.vt), k.numeric ? 1 : 0);
    EXPECT_EQ(CUtility::GetSizeByVT(k.vt), k.size);
    CString name(u"previous text");
    CUtility::StringFromVartype(k.vt, name);  // assigns, never appends
    EXPECT_EQ(U8(name), U8(CString(k.name)));
    double lo = 11.0, hi = 22.0;
    const bool ranged = k.minimum != k.maximum;
    EXPECT_EQ(CUtility::GetVarTypeLimit(k.vt, lo, hi), ranged ? 1 : 0);
    EXPECT_EQ(lo, ranged ? k.minimum : 11.0);
    EXPECT_EQ(hi, ranged ? k.maximum : 22.0);
  }
}

// Every other code, and every flagged form of any code, is an unknown native type.
TEST(Catalogue, EveryOtherCodeIsNativeWithoutSizeOrRange) {
  for (unsigned code = 0; code <= 0xFFFF; ++code) {
    const VARTYPE vt = static_cast<VARTYPE>(code);
    if (Find(vt) != nullptr) continue;
    SCOPED_TRACE("vt " + std::to_string(code));
    ASSERT_EQ(CUtility::IsNumVar(vt), 0);
    ASSERT_EQ(CUtility::GetSizeByVT(vt), -1);
    double lo = 11.0, hi = 22.0;
    ASSERT_EQ(CUtility::GetVarTypeLimit(vt, lo, hi), 0);
    ASSERT_EQ(lo, 11.0);
    ASSERT_EQ(hi, 22.0);
  }
}

TEST(IsNumVar, PointerFormReadsTheTypeAndRefusesNull) {
  EXPECT_EQ(CUtility::IsNumVar(static_cast<COleVariant*>(nullptr)), 0);
  COleVariant b = varianttest::Int(VT_BOOL, -1);
  EXPECT_EQ(CUtility::IsNumVar(&b), 1);
  COleVariant d = varianttest::R8(1.0, VT_DATE);
  EXPECT_EQ(CUtility::IsNumVar(&d), 0);
}

// The array bit adds " Array" to the name of the type below it; any other flag makes it Native.
TEST(StringFromVartype, LooksPastTheArrayBitOnly) {
  for (const Known& k : kKnown) {
    SCOPED_TRACE(k.vt);
    CString name;
    CUtility::StringFromVartype(static_cast<VARTYPE>(VT_ARRAY | k.vt), name);
    EXPECT_EQ(U8(name), U8(CString(k.name)) + " Array");
    for (unsigned flag : {unsigned{VT_BYREF}, unsigned{VT_VECTOR}}) {
      CUtility::StringFromVartype(static_cast<VARTYPE>(flag | k.vt), name);
      EXPECT_EQ(U8(name), "Native");
      CUtility::StringFromVartype(static_cast<VARTYPE>(flag | VT_ARRAY | k.vt), name);
      EXPECT_EQ(U8(name), "Native Array");
    }
  }
  CString name;
  CUtility::StringFromVartype(VT_CY, name);
  EXPECT_EQ(U8(name), "Native");
}

// GetVarLimit: formats 0, 5 and 14 are the type's own range; the fixed-width formats have fixed
// ranges whatever the type; the digit formats depend on the width of the type's data.
TEST(GetVarLimit, FollowsTheTypeOrTheFormat) {
  for (unsigned code = 0; code <= 25; ++code) {
    for (unsigned flag : {0u, unsigned{VT_ARRAY}}) {
      const VARTYPE vt = static_cast<VARTYPE>(code | flag);
      for (int format : {0, 5, 14}) {
        SCOPED_TRACE("vt " + std::to_string(vt) + " format " + std::to_string(format));
        double lo = -7, hi = -9, typeLo = -7, typeHi = -9;
        const int typed = CUtility::GetVarTypeLimit(vt, typeLo, typeHi);
        EXPECT_EQ(CUtility::GetVarLimit(0, format, vt, lo, hi), typed);
        EXPECT_EQ(lo, typeLo);
        EXPECT_EQ(hi, typeHi);
      }
      struct Fixed {
        int format;
        double maximum;
      };
      for (const Fixed f : {Fixed{1, 4095}, Fixed{2, 4095}, Fixed{3, 32767}, Fixed{4, 32767}, Fixed{9, 8191},
                            Fixed{10, 8191}, Fixed{11, 255}, Fixed{12, 255}}) {
        SCOPED_TRACE("vt " + std::to_string(vt) + " format " + std::to_string(f.format));
        for (int hex : {0, 1, 7}) {
          double lo = -7, hi = -9;
          EXPECT_EQ(CUtility::GetVarLimit(hex, f.format, vt, lo, hi), 1);
          EXPECT_EQ(lo, 0);
          EXPECT_EQ(hi, f.maximum);
        }
      }
      // Formats outside 0..14 succeed and leave both limits alone.
      for (int format : {-2, -1, 15, 16}) {
        double lo = -7, hi = -9;
        EXPECT_EQ(CUtility::GetVarLimit(0, format, vt, lo, hi), 1) << format;
        EXPECT_EQ(lo, -7);
        EXPECT_EQ(hi, -9);
      }
    }
  }
}

TEST(GetVarLimit, DigitFormatsByTheWidthOfTheData) {
  struct Case {
    VARTYPE vt;
    double f6, f7, f8, f13;  // the decimal maxima; -1 where the type is refused
  };
  const Case cases[] = {
      {VT_I1, 99, 99, 99, 79},
      {VT_UI1, 99, 99, 99, 99},
      {VT_I2, 999, 9999, 9999, 7999},
      {VT_UI2, 999, 9999, 9999, 9999},
      {VT_I4, 999, 9999, 99999999, 7999},
      {VT_UI4, 999, 9999, 99999999, 9999},
      {VT_R8, 999, 9999, 99999999, 9999},
      {VT_BOOL, -1, -1, -1, -1},
      {VT_INT, -1, -1, -1, -1},
      {static_cast<VARTYPE>(VT_ARRAY | VT_I2), -1, -1, -1, -1},
  };
  for (const Case& c : cases) {
    struct Column {
      int format;
      double maximum;
      double hexMaximum;
    };
    for (const Column col :
         {Column{6, c.f6, 2457}, Column{7, c.f7, 39321}, Column{8, c.f8, 2576980377.0}, Column{13, c.f13, 39321}}) {
      SCOPED_TRACE("vt " + std::to_string(c.vt) + " format " + std::to_string(col.format));
      const bool refused = col.maximum < 0;
      double lo = -7, hi = -9;
      EXPECT_EQ(CUtility::GetVarLimit(0, col.format, c.vt, lo, hi), refused ? 0 : 1);
      EXPECT_EQ(lo, 0);
      EXPECT_EQ(hi, refused ? -9 : col.maximum);
      lo = -7, hi = -9;
      EXPECT_EQ(CUtility::GetVarLimit(1, col.format, c.vt, lo, hi), refused ? 0 : 1);
      EXPECT_EQ(hi, refused ? -9 : col.hexMaximum);
      // A mode other than decimal (0) or hex (1) succeeds with the maximum untouched.
      lo = -7, hi = -9;
      EXPECT_EQ(CUtility::GetVarLimit(2, col.format, c.vt, lo, hi), 1);
      EXPECT_EQ(lo, 0);
      EXPECT_EQ(hi, -9);
    }
  }
}

}  // namespace
