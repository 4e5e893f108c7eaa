// BSTR layout and functions, VARIANT functions and COleVariant (copies own their own BSTR, which
// AddressSanitizer sees when both are destroyed), and random version 4 GUIDs.
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <Utility/Platform/Bstr.h>
#include <Utility/Platform/Error.h>
#include <Utility/Platform/Guid.h>
#include <Utility/Platform/Variant.h>

#include "support/TempDir.h"

namespace {

using utility::testsupport::W;

// A VARIANT of type vt holding value in member, every other byte zero.
template <class T, class V>
VARIANT Holding(VARTYPE vt, T VARIANT::*member, V value) {
  VARIANT v;
  std::memset(static_cast<void*>(&v), 0, sizeof v);
  v.vt = vt;
  v.*member = static_cast<T>(value);
  return v;
}

TEST(COleVariant, ConstructorsStoreTheFrameworksTypes) {
  // A short, a LONG and a BYTE; either as a bool (any non-zero is VARIANT_TRUE) or as an error;
  // float, double and date; 64-bit integers.
  const std::pair<COleVariant, VARIANT> cases[] = {
      {COleVariant(static_cast<short>(-5)), Holding(VT_I2, &VARIANT::iVal, -5)},
      {COleVariant(static_cast<short>(3), VT_BOOL), Holding(VT_BOOL, &VARIANT::boolVal, VARIANT_TRUE)},
      {COleVariant(static_cast<short>(0), VT_BOOL), Holding(VT_BOOL, &VARIANT::boolVal, VARIANT_FALSE)},
      {COleVariant(static_cast<LONG>(70000)), Holding(VT_I4, &VARIANT::lVal, 70000)},
      {COleVariant(static_cast<LONG>(0x80004005), VT_ERROR), Holding(VT_ERROR, &VARIANT::scode, 0x80004005)},
      {COleVariant(static_cast<LONG>(-2), VT_BOOL), Holding(VT_BOOL, &VARIANT::boolVal, VARIANT_TRUE)},
      {COleVariant(static_cast<BYTE>(200)), Holding(VT_UI1, &VARIANT::bVal, 200)},
      {COleVariant(2.5f), Holding(VT_R4, &VARIANT::fltVal, 2.5f)},
      {COleVariant(-1.25), Holding(VT_R8, &VARIANT::dblVal, -1.25)},
      {COleVariant(45356.5, VT_DATE), Holding(VT_DATE, &VARIANT::date, 45356.5)},
      {COleVariant(static_cast<LONGLONG>(-1) << 40), Holding(VT_I8, &VARIANT::llVal, -1LL << 40)},
      {COleVariant(~static_cast<ULONGLONG>(0)), Holding(VT_UI8, &VARIANT::ullVal, ~0ULL)}};
  for (const auto& [made, want] : cases)
    EXPECT_EQ(std::memcmp(static_cast<const VARIANT*>(&made), &want, sizeof(VARIANT)), 0) << want.vt;
}

TEST(COleVariant, TextConstructorsCopiesMovesAndAttachEachOwnTheirBstr) {
  const CString withZero(W(u"a\0b"), 3);
  COleVariant fromString(withZero);
  ASSERT_EQ(fromString.vt, VT_BSTR);
  EXPECT_EQ(SysStringLen(fromString.bstrVal), 3u) << "embedded zero kept";
  EXPECT_EQ(fromString.bstrVal[2], u'b');

  COleVariant fromEmpty{CString()};
  ASSERT_NE(fromEmpty.bstrVal, nullptr) << "an empty text is a real BSTR";
  EXPECT_EQ(SysStringLen(fromEmpty.bstrVal), 0u);

  COleVariant fromNull(static_cast<const WCHAR*>(nullptr));
  EXPECT_EQ(fromNull.vt, VT_BSTR);
  EXPECT_EQ(fromNull.bstrVal, nullptr);
  COleVariant copyOfNull(fromNull);
  EXPECT_EQ(copyOfNull.vt, VT_BSTR);
  EXPECT_EQ(copyOfNull.bstrVal, nullptr);

  COleVariant original(u"shared?");
  COleVariant copy(original);
  ASSERT_EQ(copy.vt, VT_BSTR);
  EXPECT_NE(copy.bstrVal, original.bstrVal) << "a copy owns its own BSTR";
  EXPECT_EQ(std::memcmp(copy.bstrVal, original.bstrVal, 16), 0);
  COleVariant assigned(static_cast<short>(1));
  assigned = original;
  EXPECT_NE(assigned.bstrVal, original.bstrVal);
  assigned = assigned;  // self-assignment keeps the value
  EXPECT_EQ(SysStringLen(assigned.bstrVal), 7u);
  const BSTR before = original.bstrVal;
  COleVariant moved(std::move(original));
  EXPECT_EQ(moved.bstrVal, before);
  EXPECT_EQ(original.vt, VT_EMPTY);  // NOLINT(bugprone-use-after-move): the moved-from state is defined
  COleVariant target(2.0);
  // Attach takes the raw VARIANT's BSTR and empties it; Detach hands it back out.
  VARIANT raw = Holding(VT_BSTR, &VARIANT::bstrVal, SysAllocString(W(u"x")));
  target.Attach(raw);
  EXPECT_EQ(raw.vt, VT_EMPTY);
  EXPECT_EQ(target.vt, VT_BSTR);
  VARIANT out = target.Detach();
  EXPECT_EQ(target.vt, VT_EMPTY);
  EXPECT_EQ(out.vt, VT_BSTR);
  VariantClear(&out);
}

// A BSTR copies by its byte length; values held by their bits, by-reference and array forms copy
// bit for bit; a type code the platform does not know fails both functions and changes nothing.
TEST(VariantFunctions, CopyAndClearByTypeCode) {
  VARIANT a = Holding(VT_BSTR, &VARIANT::bstrVal, SysAllocStringByteLen("abc", 3));  // an odd byte length
  VARIANT b = Holding(VT_BSTR, &VARIANT::bstrVal, SysAllocString(W(u"old")));        // released by the copy
  ASSERT_EQ(VariantCopy(&b, &a), S_OK);
  EXPECT_NE(b.bstrVal, a.bstrVal);
  EXPECT_EQ(SysStringByteLen(b.bstrVal), 3u);
  EXPECT_EQ(std::memcmp(b.bstrVal, "abc", 4), 0);
  EXPECT_EQ(VariantCopy(&a, &a), S_OK);
  EXPECT_EQ(VariantClear(&a), S_OK);
  EXPECT_EQ(VariantClear(&b), S_OK);
  EXPECT_EQ(b.vt, VT_EMPTY);
  EXPECT_EQ(VariantCopy(&a, nullptr), E_INVALIDARG);
  const std::vector<unsigned> known = {VT_I4, VT_DECIMAL, VT_I1, VT_UINT, VT_BYREF | VT_BSTR, VT_ARRAY | VT_I4},
                              unknown = {15, 24, VT_VECTOR | VT_I4, 0x0FFF};
  for (const auto& [codes, hr] : {std::pair{known, S_OK}, std::pair{unknown, DISP_E_BADVARTYPE}}) {
    for (const unsigned code : codes) {
      VARIANT source = Holding(static_cast<VARTYPE>(code), &VARIANT::llVal, 0x0123456789ABCDEFLL);
      source.wReserved1 = 0x1111;
      VARIANT dest = Holding(VT_R8, &VARIANT::dblVal, 0.5);
      const VARIANT before = dest;
      EXPECT_EQ(VariantCopy(&dest, &source), hr) << code;
      EXPECT_EQ(std::memcmp(&dest, hr == S_OK ? &source : &before, sizeof(VARIANT)), 0) << code;
      EXPECT_EQ(VariantClear(&source), hr) << code;
    }
  }
}

// Each allocating form: the byte length before the text, a whole zero unit after it.
TEST(Bstr, CarriesItsByteLengthBeforeTheTextAndAZeroUnitAfterIt) {
  // The prefix, both lengths, and the text with what must follow it, as bytes.
  auto check = [](BSTR b, UINT bytes, const std::string& content) {
    ASSERT_NE(b, nullptr);
    UINT prefix = 0;
    std::memcpy(&prefix, reinterpret_cast<const char*>(b) - 4, 4);
    EXPECT_EQ(prefix, bytes);
    EXPECT_EQ(SysStringByteLen(b), bytes);
    EXPECT_EQ(SysStringLen(b), bytes / 2);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b), content.size()), content);
    if (bytes % 2 == 0) {  // the zero unit, also after uninitialised room
      EXPECT_EQ(b[bytes / 2], 0);
    }
    SysFreeString(b);
  };
  check(SysAllocString(W(u"abc")), 6, std::string("a\0b\0c\0\0\0", 8));
  check(SysAllocStringLen(W(u"a\0b"), 3), 6, std::string("a\0\0\0b\0\0\0", 8));
  check(SysAllocStringByteLen("abc", 3), 3, std::string("abc\0\0", 5));  // an odd byte length
  check(SysAllocStringLen(nullptr, 5), 10, "");                          // room only
  check(SysAllocString(W(u"")), 0, std::string(2, '\0'));                // an empty text is a real BSTR
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringByteLen(nullptr), 0u);
}

}  // namespace

TEST(CoCreateGuid, MakesRandomVersionFourGuids) {
  unsigned char anySet[16] = {}, allSet[16];
  std::memset(allSet, 0xFF, sizeof allSet);
  for (int i = 0; i < 5000; ++i) {
    GUID g{};
    ASSERT_EQ(CoCreateGuid(&g), S_OK);
    EXPECT_EQ(g.Data3 >> 12, 4u);
    EXPECT_EQ(g.Data4[0] >> 6, 2u);
    const auto* bytes = reinterpret_cast<const unsigned char*>(&g);
    for (std::size_t k = 0; k < sizeof g; ++k) {
      anySet[k] = static_cast<unsigned char>(anySet[k] | bytes[k]);
      allSet[k] = static_cast<unsigned char>(allSet[k] & bytes[k]);
    }
  }
  // Only the six fixed bits never change.
  int fixed = 0;
  for (int bit = 0; bit < 128; ++bit) fixed += (((anySet[bit / 8] ^ allSet[bit / 8]) >> (bit % 8)) & 1) == 0;
  EXPECT_EQ(fixed, 6);
}
