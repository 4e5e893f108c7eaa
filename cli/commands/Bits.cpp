// `utility bits`: single bits of integers, floats and variants; decimal digits, bit fields and
// bytes.
#include <bit>
#include <cstdint>
#include <cstdio>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include <Utility/Utility.h>

#include "Command.h"
#include "Groups.h"

namespace utility::cli {
namespace {

const Value kType = Choice("type", {"char", "uchar", "short", "ushort", "int", "uint", "float", "double"});
const Value kVariantType = Choice("vt", {"I1", "UI1", "I2", "UI2", "I4", "UI4", "R4", "R8", "BOOL"}, "variant type");
const Value kIndex = Integer("index", "bit index", INT32_MIN, INT32_MAX);
Value Int32(const char* name) { return Integer(name, name, INT32_MIN, INT32_MAX); }
const Value kFlag = Choice("flag", {"0", "1", "true", "false"});

std::string Hex(std::uint64_t bits, int digits) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "0x%0*llX", digits, static_cast<unsigned long long>(bits));
  return buffer;
}

// An integer of `bits` width, given signed or as an unsigned bit pattern.
long long ParseWidth(const std::string& text, const std::string& what, int bits) {
  const long long low = -(1LL << (bits - 1));
  const long long high = (1LL << bits) - 1;
  return ParseInteger(text, what, low, high);
}

bool FlagArg(const std::string& text) { return text == "1" || text == "true"; }

// Applies one of the typed overloads (get when `flag` is null) and reports the value.
template <class T>
int RunTyped(const Invocation& inv, Reply& reply, T value, const bool* flag) {
  const int index = static_cast<int>(inv.Integer(2));
  if (flag != nullptr) {
    CUtility::SetBit(value, index, *flag);
    if constexpr (std::is_floating_point_v<T>) {
      char buffer[64];
      std::snprintf(buffer, sizeof buffer, "%.17g", static_cast<double>(value));
      reply.Text("value", buffer);
      using Bits = std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>;
      reply.Text("bits", Hex(std::bit_cast<Bits>(value), static_cast<int>(2 * sizeof(T))));
    } else {
      reply.Integer("value", static_cast<long long>(value));
      using Unsigned = std::make_unsigned_t<T>;
      reply.Text("bits", Hex(static_cast<Unsigned>(value), static_cast<int>(2 * sizeof(T))));
    }
  } else {
    reply.Integer("bit", CUtility::GetBit(value, index));
  }
  return kExitOk;
}

int Typed(const Invocation& inv, Reply& reply, const bool* flag) {
  const std::string& type = inv.Arg(0);
  const std::string& text = inv.Arg(1);
  if (type == "char") return RunTyped(inv, reply, static_cast<char>(ParseWidth(text, "char value", 8)), flag);
  if (type == "uchar")
    return RunTyped(inv, reply, static_cast<unsigned char>(ParseInteger(text, "uchar value", 0, 255)), flag);
  if (type == "short") return RunTyped(inv, reply, static_cast<short>(ParseWidth(text, "short value", 16)), flag);
  if (type == "ushort")
    return RunTyped(inv, reply, static_cast<unsigned short>(ParseInteger(text, "ushort value", 0, 65535)), flag);
  if (type == "int") return RunTyped(inv, reply, static_cast<int>(ParseWidth(text, "int value", 32)), flag);
  if (type == "uint")
    return RunTyped(inv, reply, static_cast<unsigned>(ParseInteger(text, "uint value", 0, UINT32_MAX)), flag);
  if (type == "float") return RunTyped(inv, reply, static_cast<float>(ParseNumber(text, "float value")), flag);
  if (type == "double") return RunTyped(inv, reply, ParseNumber(text, "double value"), flag);
  throw std::logic_error("a type outside the table: " + type);
}

int Get(const Invocation& inv, Reply& reply) { return Typed(inv, reply, nullptr); }

int Set(const Invocation& inv, Reply& reply) {
  const bool flag = FlagArg(inv.Arg(3));
  return Typed(inv, reply, &flag);
}

COleVariant MakeVariant(const std::string& type, const std::string& text) {
  COleVariant v;
  if (type == "I1") {
    v.vt = VT_I1;
    v.cVal = static_cast<CHAR>(ParseWidth(text, "I1 value", 8));
  } else if (type == "UI1") {
    v.vt = VT_UI1;
    v.bVal = static_cast<BYTE>(ParseInteger(text, "UI1 value", 0, 255));
  } else if (type == "I2") {
    v.vt = VT_I2;
    v.iVal = static_cast<SHORT>(ParseWidth(text, "I2 value", 16));
  } else if (type == "UI2") {
    v.vt = VT_UI2;
    v.uiVal = static_cast<USHORT>(ParseInteger(text, "UI2 value", 0, 65535));
  } else if (type == "I4") {
    v.vt = VT_I4;
    v.lVal = static_cast<LONG>(ParseWidth(text, "I4 value", 32));
  } else if (type == "UI4") {
    v.vt = VT_UI4;
    v.ulVal = static_cast<ULONG>(ParseInteger(text, "UI4 value", 0, UINT32_MAX));
  } else if (type == "R4") {
    v.vt = VT_R4;
    v.fltVal = static_cast<float>(ParseNumber(text, "R4 value"));
  } else if (type == "R8") {
    v.vt = VT_R8;
    v.dblVal = ParseNumber(text, "R8 value");
  } else if (type == "BOOL") {
    v.vt = VT_BOOL;
    v.boolVal = static_cast<VARIANT_BOOL>(ParseWidth(text, "BOOL value", 16));
  } else {
    throw std::logic_error("a variant type outside the table: " + type);
  }
  return v;
}

void ReplyVariant(Reply& reply, const COleVariant& v) {
  switch (v.vt) {
    case VT_I1:
      reply.Integer("value", v.cVal);
      break;
    case VT_UI1:
      reply.Integer("value", v.bVal);
      break;
    case VT_I2:
      reply.Integer("value", v.iVal);
      break;
    case VT_UI2:
      reply.Integer("value", v.uiVal);
      break;
    case VT_I4:
      reply.Integer("value", v.lVal);
      break;
    case VT_UI4:
      reply.Integer("value", v.ulVal);
      break;
    case VT_BOOL:
      reply.Integer("value", v.boolVal);
      break;
    case VT_R4:
      reply.Number("value", v.fltVal);
      break;
    default:
      reply.Number("value", v.dblVal);
      break;
  }
}

int VariantGet(const Invocation& inv, Reply& reply) {
  const COleVariant v = MakeVariant(inv.Arg(0), inv.Arg(1));
  reply.Integer("bit", CUtility::GetBit(v, static_cast<int>(inv.Integer(2))));
  return kExitOk;
}

int VariantSet(const Invocation& inv, Reply& reply) {
  COleVariant v = MakeVariant(inv.Arg(0), inv.Arg(1));
  CUtility::SetBit(v, static_cast<int>(inv.Integer(2)), FlagArg(inv.Arg(3)));
  ReplyVariant(reply, v);
  return kExitOk;
}

int Digit(const Invocation& inv, Reply& reply) {
  const int value = static_cast<int>(inv.Integer(0));
  const int position = static_cast<int>(inv.Integer(1));
  reply.Integer("digit", CUtility::GetDigit(value, position));
  return kExitOk;
}

int SetDigit(const Invocation& inv, Reply& reply) {
  const int value = static_cast<int>(inv.Integer(0));
  const int position = static_cast<int>(inv.Integer(1));
  const int digit = static_cast<int>(inv.Integer(2));
  const ULONG result = CUtility::SetDigit(value, position, digit);
  reply.Integer("result", result);
  reply.Integer("signed", static_cast<LONG>(result));
  return kExitOk;
}

int Field(const Invocation& inv, Reply& reply) {
  const int value = static_cast<int>(inv.Integer(0));
  const int shift = static_cast<int>(inv.Integer(1));
  const int width = static_cast<int>(inv.Integer(2));
  const int field = CUtility::ConvertToBitValue(value, shift, width);
  reply.Integer("field", field);
  reply.Text("hex", Hex(static_cast<std::uint32_t>(field), 1));
  return kExitOk;
}

// The bytes are given in hexadecimal; the index must lie inside them, since the library
// itself checks no bound.
int Byte(const Invocation& inv, Reply& reply) {
  const std::string& hex = inv.Arg(0);
  if (hex.empty() || hex.size() % 2 != 0) throw UsageError("bytes must be an even number of hex digits, e.g. 0102ff");
  std::vector<unsigned char> bytes;
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    bytes.push_back(static_cast<unsigned char>(ParseInteger("0x" + hex.substr(i, 2), "byte", 0, 255)));
  }
  const long long index = ParseInteger(inv.Arg(1), "index", 0, static_cast<long long>(bytes.size()) - 1);
  reply.Integer("byte", CUtility::GetByte(bytes.data(), static_cast<int>(index)));
  return kExitOk;
}

void Demo(std::ostream& out) {
  int n = 0;
  CUtility::SetBit(n, 3, false);
  out << "SetBit(int 0, 3, false) = " << n << "  (typed overloads: false sets, true clears)\n";
  COleVariant v(static_cast<LONG>(0));
  CUtility::SetBit(v, 3, true);
  out << "SetBit(variant I4 0, 3, true) = " << v.lVal << "  (variants: true sets)\n";
  out << "GetBit(char -128, 9) = " << CUtility::GetBit(static_cast<char>(-128), 9)
      << ", GetBit(uchar 128, 9) = " << CUtility::GetBit(static_cast<unsigned char>(128), 9) << '\n';
  float f = 1.0f;
  CUtility::SetBit(f, 31, false);
  out << "SetBit(float 1.0, 31, false) = " << f << '\n';
  out << "GetDigit(12345, 2) = " << CUtility::GetDigit(12345, 2)
      << ", SetDigit(12345, 2, 9) = " << CUtility::SetDigit(12345, 2, 9)
      << ", SetDigit(-123, 1, 5) = " << CUtility::SetDigit(-123, 1, 5) << '\n';
  out << "ConvertToBitValue(0x1234, 4, 8) = "
      << Hex(static_cast<std::uint32_t>(CUtility::ConvertToBitValue(0x1234, 4, 8)), 1)
      << ", ConvertToBitValue(-1, 28, 8) = " << CUtility::ConvertToBitValue(-1, 28, 8) << '\n';
}

}  // namespace

// The table keeps one command to a few lines, laid out by hand.
// clang-format off
Group BitsGroup() {
    return {"bits",
          "single bits of numbers and variants, decimal digits, bit fields and bytes",
          {
              {"bits", "get", {kType, Text("value"), kIndex}, "print bit (index modulo 32) of a value widened to 32 bits", {},
               {"utility bits get char -128 9   # 1: sign-extended", "utility bits get double 1.0 40   # 0"}, Get},
              {"bits", "set", {kType, Text("value"), kIndex, kFlag},
               "flag 0 sets the bit, 1 clears it (the typed overloads' reversed sense); print the new value", {},
               {"utility bits set int 0 3 0   # 8", "utility bits set float 1.0 31 0   # -1"}, Set},
              {"bits", "get-variant", {kVariantType, Text("value"), kIndex}, "print a bit of a variant of the given type", {},
               {"utility bits get-variant BOOL -1 20   # 1", "utility bits get-variant UI1 255 20   # 0"}, VariantGet},
              {"bits", "set-variant", {kVariantType, Text("value"), kIndex, kFlag},
               "flag 1 sets the bit, 0 clears it; print the variant's new value", {},
               {"utility bits set-variant I4 15 3 0   # 7", "utility bits set-variant BOOL 0 5 1   # -1"}, VariantSet},
              {"bits", "digit", {Int32("value"), Int32("position")}, "print the decimal digit at a position (0 = units)", {},
               {"utility bits digit 12345 2   # 3", "utility bits digit -123 0   # -3"}, Digit},
              {"bits", "set-digit", {Int32("value"), Int32("position"), Int32("digit")},
               "replace the decimal digit at a position; print the unsigned result (0 for a digit outside 0-9)", {},
               {"utility bits set-digit 12345 2 9   # 12945", "utility bits set-digit -123 1 5   # 4294967243"}, SetDigit},
              {"bits", "field", {Integer("value", "value", INT32_MIN, UINT32_MAX), Int32("shift"), Int32("width")}, "print the bit field of width bits at bit (shift modulo 32)", {},
               {"utility bits field 0x1234 4 8   # 35 (0x23)", "utility bits field -1 28 8   # 255"}, Field},
              {"bits", "byte", {Text("hex-bytes"), Text("index")}, "print one byte of a buffer given in hexadecimal", {},
               {"utility bits byte 010203 2   # 3"}, Byte},
          },
          Demo};
}
// clang-format on

}  // namespace utility::cli
