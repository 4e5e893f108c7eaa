// The catalogue of variant types: which codes are numeric, their names, sizes and ranges, and
// the ranges of a type held in one of the fifteen data formats.
#include <Utility/Utility.h>

#include <cfloat>

namespace {

struct TypeEntry {
  VARTYPE vt;
  const char16_t* name;
  int size;
  bool numeric;
  bool ranged;
  double minimum;
  double maximum;
};

// Every code the catalogue knows. Any code missing here, or carrying a flag bit, is "Native"
// with no size, not numeric and without a range.
constexpr TypeEntry kTypes[] = {
    {VT_I2, u"2 byte signed int", 2, true, true, -32768.0, 32767.0},
    {VT_I4, u"4 byte signed int", 4, true, true, -2147483648.0, 2147483647.0},
    {VT_R4, u"4 byte real", 4, true, true, -static_cast<double>(FLT_MAX), static_cast<double>(FLT_MAX)},
    {VT_R8, u"8 byte real", 8, true, true, -DBL_MAX, DBL_MAX},
    {VT_DATE, u"date", 8, false, false, 0, 0},
    {VT_BSTR, u"string", -1, false, false, 0, 0},
    {VT_BOOL, u"bool", 1, true, true, 0.0, 1.0},
    {VT_I1, u"signed char", 1, true, true, -128.0, 127.0},
    {VT_UI1, u"unsigned char", 1, true, true, 0.0, 255.0},
    {VT_UI2, u"unsigned short", 2, true, true, 0.0, 65535.0},
    {VT_UI4, u"4 byte unsigned short", 4, true, true, 0.0, 4294967295.0},
    {VT_I8, u"Native", 8, false, false, 0, 0},
    {VT_UI8, u"Native", 8, false, false, 0, 0},
    {VT_INT, u"Native", -1, true, false, 0, 0},
    {VT_UINT, u"Native", -1, true, false, 0, 0},
};

constexpr TypeEntry kUnlisted = {VT_EMPTY, u"Native", -1, false, false, 0, 0};

const TypeEntry& Lookup(VARTYPE vt) noexcept {
  for (const TypeEntry& entry : kTypes) {
    if (entry.vt == vt) return entry;
  }
  return kUnlisted;
}

// The largest decimal value of the digit formats 6, 7, 8 and 13, by type; -1 for a type that
// the digit formats refuse.
double DecimalDigitMaximum(VARTYPE vt, int dataFormat) noexcept {
  // Columns: format 6, 7, 8, 13.
  struct Row {
    VARTYPE vt;
    double maximum[4];
  };
  static constexpr Row kRows[] = {
      {VT_I1, {99, 99, 99, 79}},
      {VT_UI1, {99, 99, 99, 99}},
      {VT_I2, {999, 9999, 9999, 7999}},
      {VT_UI2, {999, 9999, 9999, 9999}},
      {VT_I4, {999, 9999, 99999999, 7999}},
      {VT_UI4, {999, 9999, 99999999, 9999}},
      {VT_I8, {999, 9999, 99999999, 7999}},
      {VT_UI8, {999, 9999, 99999999, 9999}},
      {VT_R4, {999, 9999, 99999999, 9999}},
      {VT_R8, {999, 9999, 99999999, 9999}},
  };
  const int column = dataFormat == 6 ? 0 : dataFormat == 7 ? 1 : dataFormat == 8 ? 2 : 3;
  for (const Row& row : kRows) {
    if (row.vt == vt) return row.maximum[column];
  }
  return -1;
}

}  // namespace

int CUtility::IsNumVar(VARTYPE vt) { return Lookup(vt).numeric ? TRUE : FALSE; }

int CUtility::IsNumVar(COleVariant* var) { return var == nullptr ? FALSE : IsNumVar(var->vt); }

void CUtility::StringFromVartype(VARTYPE vt, CString& name) {
  const bool array = (vt & VT_ARRAY) != 0;
  name = Lookup(static_cast<VARTYPE>(vt & ~VT_ARRAY)).name;
  if (array) name += u" Array";
}

int CUtility::GetSizeByVT(VARTYPE vt) { return Lookup(vt).size; }

int CUtility::GetVarTypeLimit(VARTYPE vt, double& minimum, double& maximum) {
  const TypeEntry& entry = Lookup(vt);
  if (!entry.ranged) return FALSE;
  minimum = entry.minimum;
  maximum = entry.maximum;
  return TRUE;
}

int CUtility::GetVarLimit(int hex, int dataFormat, VARTYPE vt, double& minimum, double& maximum) {
  switch (dataFormat) {
    case 0:
    case 5:
    case 14:
      return GetVarTypeLimit(vt, minimum, maximum);
    case 1:
    case 2:
      minimum = 0, maximum = 4095;  // 12 bits
      return TRUE;
    case 3:
    case 4:
      minimum = 0, maximum = 32767;  // 15 bits
      return TRUE;
    case 9:
    case 10:
      minimum = 0, maximum = 8191;  // 13 bits
      return TRUE;
    case 11:
    case 12:
      minimum = 0, maximum = 255;  // 8 bits
      return TRUE;
    case 6:
    case 7:
    case 8:
    case 13: {
      // The minimum is written before anything is checked, so every path below leaves it 0.
      minimum = 0;
      if (hex != 0 && hex != 1) return TRUE;
      const double decimal = DecimalDigitMaximum(vt, dataFormat);
      if (decimal < 0) return FALSE;
      if (hex == 1) {
        // The largest digit pattern read as hexadecimal, whatever the type.
        maximum = dataFormat == 6 ? 2457.0 : dataFormat == 8 ? 2576980377.0 : 39321.0;
      } else {
        maximum = decimal;
      }
      return TRUE;
    }
    default:
      return TRUE;  // formats outside 0 to 14 write nothing
  }
}
