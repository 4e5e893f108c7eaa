// VARIANT functions and COleVariant: what each constructor stores, that copies own their own
// BSTR (checked under AddressSanitizer by destroying both), and the failure codes.
#include <cstring>
#include <utility>

#include <gtest/gtest.h>

#include <Utility/Platform/Error.h>
#include <Utility/Platform/Variant.h>

#include "support/TempDir.h"

namespace {

using utility::testsupport::W;

TEST(COleVariant, ConstructorsStoreTheFrameworksTypes) {
  struct Case {
    const char* name;
    COleVariant v;
    VARTYPE vt;
    long long bits;  // the value field, read by its type
  };
  const auto valueOf = [](const VARIANT& v) -> long long {
    switch (v.vt) {
      case VT_I2:
        return v.iVal;
      case VT_BOOL:
        return v.boolVal;
      case VT_I4:
        return v.lVal;
      case VT_ERROR:
        return v.scode;
      case VT_UI1:
        return v.bVal;
      case VT_R4:
        return static_cast<long long>(v.fltVal * 4);
      case VT_R8:
        return static_cast<long long>(v.dblVal * 4);
      case VT_DATE:
        return static_cast<long long>(v.date * 4);
      case VT_I8:
        return v.llVal;
      case VT_UI8:
        return static_cast<long long>(v.ullVal >> 1);
      default:
        return -999;
    }
  };
  const Case cases[] = {
      {"short", COleVariant(static_cast<short>(-5)), VT_I2, -5},
      {"short as bool", COleVariant(static_cast<short>(3), VT_BOOL), VT_BOOL, VARIANT_TRUE},
      {"short zero as bool", COleVariant(static_cast<short>(0), VT_BOOL), VT_BOOL, VARIANT_FALSE},
      {"LONG", COleVariant(static_cast<LONG>(70000)), VT_I4, 70000},
      {"LONG as error", COleVariant(static_cast<LONG>(0x80004005), VT_ERROR), VT_ERROR, static_cast<LONG>(0x80004005)},
      {"LONG as bool", COleVariant(static_cast<LONG>(-2), VT_BOOL), VT_BOOL, VARIANT_TRUE},
      {"BYTE", COleVariant(static_cast<BYTE>(200)), VT_UI1, 200},
      {"float", COleVariant(2.5f), VT_R4, 10},
      {"double", COleVariant(-1.25), VT_R8, -5},
      {"date", COleVariant(45356.5, VT_DATE), VT_DATE, 181426},
      {"LONGLONG", COleVariant(static_cast<LONGLONG>(-1) << 40), VT_I8, static_cast<long long>(-1) << 40},
      {"ULONGLONG", COleVariant(~static_cast<ULONGLONG>(0)), VT_UI8, static_cast<long long>(~0ull >> 1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.v.vt, c.vt);
    EXPECT_EQ(valueOf(c.v), c.bits);
  }
}

TEST(COleVariant, TextConstructorsMakeOwnedBstrs) {
  const CString withZero(W(u"a\0b"), 3);
  COleVariant fromString(withZero);
  ASSERT_EQ(fromString.vt, VT_BSTR);
  EXPECT_EQ(SysStringLen(fromString.bstrVal), 3u) << "embedded zero kept";
  EXPECT_EQ(fromString.bstrVal[2], u'b');

  COleVariant fromUnits(u"text");
  ASSERT_EQ(fromUnits.vt, VT_BSTR);
  EXPECT_EQ(SysStringLen(fromUnits.bstrVal), 4u);

  COleVariant fromNull(static_cast<const WCHAR*>(nullptr));
  EXPECT_EQ(fromNull.vt, VT_BSTR);
  EXPECT_EQ(fromNull.bstrVal, nullptr);
  COleVariant copyOfNull(fromNull);
  EXPECT_EQ(copyOfNull.vt, VT_BSTR);
  EXPECT_EQ(copyOfNull.bstrVal, nullptr);
}

TEST(COleVariant, CopiesDuplicateAndMovesTransfer) {
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
  target = std::move(moved);
  EXPECT_EQ(target.bstrVal, before);
  EXPECT_EQ(moved.vt, VT_EMPTY);  // NOLINT(bugprone-use-after-move)
}

// Copying a COleVariant must agree with VariantCopy for every type code, whether the code
// names a value held by its bits, a string, a by-reference or array form, or nothing known.
TEST(COleVariant, CopiesAgreeWithVariantCopyForEveryTypeCode) {
  for (unsigned code = 0; code <= 0xFFFF; ++code) {
    if (code == VT_BSTR) continue;  // a string's payload must be a real BSTR; covered above
    VARIANT source;
    VariantInit(&source);
    source.vt = static_cast<VARTYPE>(code);
    source.wReserved1 = 0x1111;
    source.llVal = 0x0123456789ABCDEFll;
    VARIANT expected;
    VariantInit(&expected);
    const HRESULT hr = VariantCopy(&expected, &source);
    COleVariant holder;
    holder.Attach(source);
    COleVariant copy(holder);
    SCOPED_TRACE(code);
    ASSERT_EQ(copy.vt, expected.vt);
    if (SUCCEEDED(hr)) {
      EXPECT_EQ(std::memcmp(static_cast<VARIANT*>(&copy), &expected, sizeof(VARIANT)), 0);
    }
    // The payloads are made up: nothing in them may be released.
    holder.Detach();
    copy.Detach();
  }
}

TEST(COleVariant, AttachAndDetachHandOverOwnership) {
  VARIANT raw;
  VariantInit(&raw);
  raw.vt = VT_BSTR;
  raw.bstrVal = SysAllocString(W(u"x"));
  COleVariant holder(static_cast<LONG>(4));
  holder.Attach(raw);
  EXPECT_EQ(raw.vt, VT_EMPTY);
  EXPECT_EQ(holder.vt, VT_BSTR);
  VARIANT out = holder.Detach();
  EXPECT_EQ(holder.vt, VT_EMPTY);
  EXPECT_EQ(out.vt, VT_BSTR);
  EXPECT_EQ(VariantClear(&out), S_OK);
  EXPECT_EQ(out.vt, VT_EMPTY);
}

TEST(VariantFunctions, CopyClearAndTheirFailures) {
  VARIANT a, b;
  VariantInit(&a);
  VariantInit(&b);
  EXPECT_EQ(a.vt, VT_EMPTY);
  a.vt = VT_BSTR;
  a.bstrVal = SysAllocStringByteLen("abc", 3);  // odd byte length survives a copy
  b.vt = VT_BSTR;
  b.bstrVal = SysAllocString(W(u"old"));  // released by the copy
  ASSERT_EQ(VariantCopy(&b, &a), S_OK);
  EXPECT_NE(b.bstrVal, a.bstrVal);
  EXPECT_EQ(SysStringByteLen(b.bstrVal), 3u);
  EXPECT_EQ(VariantCopy(&a, &a), S_OK);
  EXPECT_EQ(VariantClear(&a), S_OK);
  EXPECT_EQ(VariantClear(&b), S_OK);
  EXPECT_EQ(VariantClear(nullptr), E_INVALIDARG);
  EXPECT_EQ(VariantCopy(nullptr, &a), E_INVALIDARG);
  EXPECT_EQ(VariantCopy(&a, nullptr), E_INVALIDARG);
  VARIANT bad;
  VariantInit(&bad);
  bad.vt = 0x0FFF;
  EXPECT_EQ(VariantClear(&bad), DISP_E_BADVARTYPE);
  EXPECT_EQ(VariantCopy(&a, &bad), DISP_E_BADVARTYPE);
  VARIANT number;
  VariantInit(&number);
  number.vt = VT_R8;
  number.dblVal = 0.5;
  EXPECT_EQ(VariantCopy(&a, &number), S_OK);
  EXPECT_EQ(a.vt, VT_R8);
  EXPECT_EQ(a.dblVal, 0.5);
}

}  // namespace
