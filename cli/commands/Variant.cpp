// `utility variant`: show, parse, store, read and compare typed values, and the type catalogue.
#include <cctype>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <ostream>
#include <string>
#include <utility>

#include <Utility/Platform/Date.h>
#include <Utility/Utility.h>

#include "Command.h"
#include "Groups.h"

namespace utility::cli {
namespace {

struct TypeName {
  const char* name;
  VARTYPE vt;
};

constexpr TypeName kTypeNames[] = {
    {"EMPTY", VT_EMPTY}, {"NULL", VT_NULL}, {"I2", VT_I2},           {"I4", VT_I4},           {"R4", VT_R4},
    {"R8", VT_R8},       {"CY", VT_CY},     {"DATE", VT_DATE},       {"BSTR", VT_BSTR},       {"DISPATCH", VT_DISPATCH},
    {"ERROR", VT_ERROR}, {"BOOL", VT_BOOL}, {"VARIANT", VT_VARIANT}, {"UNKNOWN", VT_UNKNOWN}, {"DECIMAL", VT_DECIMAL},
    {"I1", VT_I1},       {"UI1", VT_UI1},   {"UI2", VT_UI2},         {"UI4", VT_UI4},         {"I8", VT_I8},
    {"UI8", VT_UI8},     {"INT", VT_INT},   {"UINT", VT_UINT},       {"VECTOR", VT_VECTOR},   {"ARRAY", VT_ARRAY},
    {"BYREF", VT_BYREF},
};

// A type argument; completion offers the names of the catalogue.
Value TypeArg(std::string name) {
  Value v = VariantType(std::move(name));
  for (const TypeName& t : kTypeNames) v.choices.emplace_back(t.name);
  return v;
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// A type: a name with or without VT_ (any case), a number (3, 0x2003), or several joined by |.
VARTYPE ParseType(const std::string& text) {
  unsigned code = 0;
  std::size_t start = 0;
  while (true) {
    const std::size_t bar = text.find('|', start);
    std::string part = Upper(text.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
    if (part.rfind("VT_", 0) == 0) part.erase(0, 3);
    bool found = false;
    for (const TypeName& t : kTypeNames) {
      if (part == t.name) code |= t.vt, found = true;
    }
    if (!found) {
      if (part.empty() || !(std::isdigit(static_cast<unsigned char>(part[0])))) {
        throw UsageError("unknown variant type " + Quoted(text) + " (try I4, VT_R8, BSTR, DATE, 3 or ARRAY|I4)");
      }
      code |= static_cast<unsigned>(ParseInteger(part, "variant type code", 0, 0xFFFF));
    }
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  return static_cast<VARTYPE>(code);
}

std::string TypeText(VARTYPE vt) {
  std::string out;
  for (VARTYPE flag : {VT_VECTOR, VT_ARRAY, VT_BYREF}) {
    if (vt & flag) {
      for (const TypeName& t : kTypeNames) {
        if (t.vt == flag) out += std::string("VT_") + t.name + "|";
      }
    }
  }
  const VARTYPE base = static_cast<VARTYPE>(vt & 0x0FFF);
  for (const TypeName& t : kTypeNames) {
    if (t.vt == base && base < VT_VECTOR) return out + "VT_" + t.name;
  }
  char code[16];
  std::snprintf(code, sizeof code, "%u", static_cast<unsigned>(base));
  return out + code;
}

// A variant of type vt holding the value that text writes, checked strictly.
COleVariant BuildValue(VARTYPE vt, const std::string* text) {
  COleVariant v;
  v.llVal = 0;
  if (vt == VT_EMPTY || vt == VT_NULL) {
    if (text != nullptr) throw UsageError(TypeText(vt) + " takes no value");
    v.vt = vt;
    return v;
  }
  if (text == nullptr) throw UsageError("missing value for " + TypeText(vt));
  const std::string what = TypeText(vt) + " value";
  switch (vt) {
    case VT_I1:
      v.cVal = static_cast<CHAR>(ParseInteger(*text, what, -128, 127));
      break;
    case VT_UI1:
      v.bVal = static_cast<BYTE>(ParseInteger(*text, what, 0, 255));
      break;
    case VT_I2:
      v.iVal = static_cast<SHORT>(ParseInteger(*text, what, -32768, 32767));
      break;
    case VT_UI2:
      v.uiVal = static_cast<USHORT>(ParseInteger(*text, what, 0, 65535));
      break;
    case VT_I4:
    case VT_ERROR:
    case VT_INT:
      v.lVal = static_cast<LONG>(ParseInteger(*text, what, -2147483648LL, 2147483647LL));
      break;
    case VT_UI4:
    case VT_UINT:
      v.ulVal = static_cast<ULONG>(ParseInteger(*text, what, 0, 4294967295LL));
      break;
    case VT_I8:
    case VT_UI8:
    case VT_CY:
      v.llVal = ParseInteger(*text, what, INT64_MIN, INT64_MAX);
      break;
    case VT_BOOL: {
      const std::string word = Upper(*text);
      if (word == "TRUE")
        v.boolVal = VARIANT_TRUE;
      else if (word == "FALSE")
        v.boolVal = VARIANT_FALSE;
      else
        v.boolVal =
            static_cast<VARIANT_BOOL>(ParseInteger(*text, what + " (true, false or -32768 to 32767)", -32768, 32767));
      break;
    }
    case VT_R4:
      v.fltVal = static_cast<float>(ParseNumber(*text, what));
      break;
    case VT_R8:
      v.dblVal = ParseNumber(*text, what);
      break;
    case VT_DATE: {
      // A day count, or date text in any form the date parser reads.
      char* end = nullptr;
      const double days = std::strtod(text->c_str(), &end);
      if (!text->empty() && end != nullptr && *end == 0 && std::isfinite(days)) {
        v.date = days;
      } else {
        DATE date = 0;
        const HRESULT hr = VarDateFromStr(CString(text->c_str()).GetString(), LANG_USER_DEFAULT, 0, &date);
        if (hr == DISP_E_OVERFLOW) throw UsageError("date out of range: " + Quoted(*text) + " (years 100 to 9999)");
        if (hr != S_OK) throw UsageError("malformed date: " + Quoted(*text) + " (try 2024-03-05 14:07:09 or 45356.5)");
        v.date = date;
      }
      break;
    }
    case VT_BSTR:
      return COleVariant(CString(text->c_str()));
    default:
      throw UsageError("a " + TypeText(vt) + " value cannot be given on the command line");
  }
  v.vt = vt;
  return v;
}

COleVariant ValueArgs(const Invocation& inv, std::size_t first) {
  const VARTYPE vt = ParseType(inv.Arg(first));
  return BuildValue(vt, inv.args.size() > first + 1 ? &inv.Arg(first + 1) : nullptr);
}

int Places(const Invocation& inv) { return static_cast<int>(inv.IntegerOption("places", 0)); }

int Show(const Invocation& inv, Reply& reply) {
  COleVariant v = ValueArgs(inv, 0);
  const bool display = inv.Has("places") || inv.Flag("hex");
  const CString text =
      display ? CUtility::ConVarToStr(&v, Places(inv), inv.Flag("hex") ? 1 : 0) : CUtility::VarToStr(v);
  reply.Text("text", text.ToUtf8());
  return kExitOk;
}

// A number outside its type's range is stored as the library stores it (wrapped, or the value
// of a failed integer conversion); the answer shows what was stored, and the program says that
// it is not the number read and exits with 1.
int Parse(const Invocation& inv, Reply& reply) {
  const VARTYPE vt = ParseType(inv.Arg(0));
  const CString text(inv.Arg(1).c_str());
  COleVariant v = CUtility::StrToVar(text, vt);
  reply.Text("type", TypeText(v.vt));
  reply.Text("text", CUtility::VarToStr(v).ToUtf8());
  if (v.vt == VT_DATE) {
    reply.Number("date", v.date);
    return kExitOk;
  }
  const double stored = CUtility::VarToDouble(&v);
  reply.Number("number", stored);
  double low = 0, high = 0;
  if (!CUtility::GetVarTypeLimit(vt, low, high)) return kExitOk;
  COleVariant asRead = CUtility::StrToVar(text, VT_R8);
  const double number = CUtility::VarToDouble(&asRead);
  const bool real = vt == VT_R4 || vt == VT_R8;
  // Integers round or truncate, reals lose precision; only a value beyond the range is lost.
  const bool lost = std::isinf(number) || number < low - (real ? 0 : 1) || number > high + (real ? 0 : 1) ||
                    (!real && std::fabs(stored - number) >= 1.0);
  if (!lost) return kExitOk;
  std::cerr << "utility: " << Shortened(inv.Arg(1)) << " does not fit " << TypeText(vt) << " (" << ShortNumber(low)
            << " to " << ShortNumber(high) << "); stored as " << CUtility::VarToStr(v).ToUtf8() << '\n';
  return kExitNo;
}

int Number(const Invocation& inv, Reply& reply) {
  COleVariant v = ValueArgs(inv, 0);
  if (!inv.Has("as")) {
    reply.Number("number", CUtility::VarToDouble(&v));
    return kExitOk;
  }
  reply.Number("number", CUtility::VarToDouble(&v, ParseType(inv.Get("as")), inv.Flag("raw") ? 1 : 0));
  return kExitOk;
}

int Store(const Invocation& inv, Reply& reply) {
  const VARTYPE vt = ParseType(inv.Arg(0));
  const double value = inv.Number(1);
  COleVariant v;
  v.llVal = 0;
  v.vt = vt;
  CUtility::DoubleToVar(value, &v);
  char bits[32];
  std::snprintf(bits, sizeof bits, "0x%016llX", static_cast<unsigned long long>(v.llVal));
  const CString text = CUtility::VarToStr(v);
  v.vt = VT_EMPTY;  // a bare type code owns nothing
  reply.Text("type", TypeText(vt));
  reply.Text("text", text.ToUtf8());
  reply.Text("bits", bits);
  return kExitOk;
}

int Compare(const Invocation& inv, Reply& reply) {
  const VARTYPE firstType = ParseType(inv.Arg(0));
  const VARTYPE secondType = ParseType(inv.Arg(2));
  COleVariant a = BuildValue(firstType, &inv.Arg(1));
  COleVariant b = BuildValue(secondType, &inv.Arg(3));
  const bool same = CUtility::IsVarSame(a, b) != 0;
  const bool equal = CUtility::IsDataEqual(a, b) != 0;
  reply.Bool("same", same);
  reply.Bool("equal", equal);
  return equal ? kExitOk : kExitNo;
}

void Limit(Reply& reply, const std::string& prefix, int result, double lo, double hi) {
  reply.Bool(prefix + "result", result != 0);
  // Outputs start as NaN: one still NaN was not written by the operation.
  if (std::isnan(lo))
    reply.Text(prefix + "min", "unwritten");
  else
    reply.Number(prefix + "min", lo);
  if (std::isnan(hi))
    reply.Text(prefix + "max", "unwritten");
  else
    reply.Number(prefix + "max", hi);
}

int Type(const Invocation& inv, Reply& reply) {
  const VARTYPE vt = ParseType(inv.Arg(0));
  CString name;
  CUtility::StringFromVartype(vt, name);
  reply.Text("type", TypeText(vt));
  reply.Integer("code", vt);
  reply.Text("name", name.ToUtf8());
  reply.Integer("size", CUtility::GetSizeByVT(vt));
  reply.Bool("numeric", CUtility::IsNumVar(vt) != 0);
  double lo = NAN, hi = NAN;
  const int ranged = CUtility::GetVarTypeLimit(vt, lo, hi);
  Limit(reply, "range-", ranged, lo, hi);
  if (inv.Has("format")) {
    const int format = static_cast<int>(inv.IntegerOption("format", 0));
    const int hex = static_cast<int>(inv.IntegerOption("hex-mode", 0));
    lo = hi = NAN;
    const int result = CUtility::GetVarLimit(hex, format, vt, lo, hi);
    Limit(reply, "format-", result, lo, hi);
  }
  return kExitOk;
}

void Demo(std::ostream& out) {
  COleVariant minusOne(static_cast<short>(-1));
  COleVariant tiny(-0.0001);
  COleVariant date(45356.5 + 7629.0 / 86400.0, VT_DATE);
  COleVariant pi(3.14159);
  out << "VT_I2 -1 plain, with 2 places, in hexadecimal: " << CUtility::ConVarToStr(&minusOne, 0, 0).ToUtf8() << ", "
      << CUtility::ConVarToStr(&minusOne, 2, 0).ToUtf8() << ", " << CUtility::ConVarToStr(&minusOne, 0, 1).ToUtf8()
      << '\n'
      << "VT_R8 3.14159 as plain text and with 2 places: " << CUtility::VarToStr(pi).ToUtf8() << ", "
      << CUtility::ConVarToStr(&pi, 2, 0).ToUtf8() << '\n'
      << "VT_R8 -0.0001 with 2 places loses its sign: " << CUtility::ConVarToStr(&tiny, 2, 0).ToUtf8() << '\n'
      << "A date as text: " << CUtility::VarToStr(date).ToUtf8() << '\n';
  COleVariant parsed = CUtility::StrToVar(CString(u" 2.5 "), VT_I2);
  COleVariant wrapped = CUtility::StrToVar(CString(u"300"), VT_UI1);
  COleVariant back = CUtility::StrToVar(CUtility::VarToStr(date), VT_DATE);
  out << "\" 2.5 \" as VT_I2 rounds to " << CUtility::VarToStr(parsed).ToUtf8() << "; \"300\" as VT_UI1 wraps to "
      << CUtility::VarToStr(wrapped).ToUtf8() << '\n'
      << "The date text reads back to the same date: " << (CUtility::IsDataEqual(back, date) ? "yes" : "no") << '\n';
  COleVariant five(static_cast<short>(5));
  COleVariant fiveReal(5.0);
  out << "VT_I2 5 and VT_R8 5.0: same value " << CUtility::IsVarSame(five, fiveReal) << ", equal data "
      << CUtility::IsDataEqual(five, fiveReal) << '\n';
  double lo = 0, hi = 0;
  CString name;
  CUtility::StringFromVartype(VT_I2, name);
  CUtility::GetVarLimit(0, 13, VT_I2, lo, hi);
  out << "VT_I2 is a " << name.ToUtf8() << " of " << CUtility::GetSizeByVT(VT_I2)
      << " bytes; in data format 13 it ranges from " << lo << " to " << hi << '\n';
}

}  // namespace

// The table keeps one command to a few lines, laid out by hand.
// clang-format off
Group VariantGroup() {
  return {"variant",
          "typed values: show, parse, store, read back, compare, and the type catalogue",
          {
              {"variant", "show", {TypeArg("type"), Optional(Text("value"))},
               "show a value of a type (I4, VT_R8, DATE, 3, ARRAY|I4 ...) as text, with places or in hexadecimal",
               {With("places", Integer("n", "place count", -1000, 100000), "decimal places (display format; 0 or less: plain integers)"),
                Flag("hex", "hexadecimal: integer digits or the IEEE bit pattern")},
               {"utility variant show I4 -5 --places 2      # -5.00", "utility variant show I2 -1 --hex         # 0xFFFFFFFF",
                "utility variant show R8 1.5                # 1.500000000000000",
                "utility variant show DATE 45356.5          # 2024-03-05 12:00:00"}, Show},
              {"variant", "parse", {TypeArg("type"), Text("text")}, "read text into a variant of a type, as StrToVar does", {},
               {"utility variant parse I2 ' 2.5 '   # 3", "utility variant parse DATE '3/5/2024 2 PM'",
                "utility variant parse UI1 300      # 44, and exit 1: it does not fit"}, Parse},
              {"variant", "number", {TypeArg("type"), Optional(Text("value"))}, "read a value as a number, optionally as another type holds it",
               {With("as", TypeArg("type"), "give the number as a variant of this type would hold it"),
                Flag("raw", "with --as: give the number unchanged")},
               {"utility variant number R8 3.7 --as I2   # 4", "utility variant number BSTR 12   # 0"}, Number},
              {"variant", "store", {TypeArg("type"), Number("number")}, "store a number into a variant of a type, as DoubleToVar does", {},
               {"utility variant store I2 40000   # -25536", "utility variant store BOOL 1"}, Store},
              {"variant", "compare", {TypeArg("type"), Text("value"), TypeArg("type"), Text("value")},
               "compare two typed values: same type and bits, and equal data (exit 1 when not equal)", {},
               {"utility variant compare I2 5 R8 5.0   # same: false, equal: true",
                "utility variant compare BSTR 5 I4 5  # equal: false"}, Compare},
              {"variant", "type", {TypeArg("type")}, "print a type's name, size, numeric status and range",
               {With("format", Integer("n", "data format", INT32_MIN, INT32_MAX), "also the range in data format n (0 to 14)"),
                With("hex-mode", Integer("n", "hex mode", INT32_MIN, INT32_MAX), "with --format: 1 reads digit formats as hexadecimal")},
               {"utility variant type I2", "utility variant type 'ARRAY|UI1'", "utility variant type I2 --format 13"}, Type},
          },
          Demo};
}
// clang-format on

}  // namespace utility::cli
