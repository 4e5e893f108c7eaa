// VARIANT and COleVariant: OLE Automation's tagged value. The type codes, the member names
// and the layout of the value field are the standard ones.
#pragma once

#include <cstring>

#include <Utility/Platform/Bstr.h>
#include <Utility/Platform/Export.h>
#include <Utility/Platform/String.h>
#include <Utility/Platform/Types.h>

enum VARENUM : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R4 = 4,
  VT_R8 = 5,
  VT_CY = 6,
  VT_DATE = 7,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_UNKNOWN = 13,
  VT_DECIMAL = 14,
  VT_I1 = 16,
  VT_UI1 = 17,
  VT_UI2 = 18,
  VT_UI4 = 19,
  VT_I8 = 20,
  VT_UI8 = 21,
  VT_INT = 22,
  VT_UINT = 23,
  VT_VECTOR = 0x1000,
  VT_ARRAY = 0x2000,
  VT_BYREF = 0x4000,
};

struct IUnknown;
struct IDispatch;

struct VARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    LONGLONG llVal;
    LONG lVal;
    BYTE bVal;
    SHORT iVal;
    FLOAT fltVal;
    DOUBLE dblVal;
    VARIANT_BOOL boolVal;
    SCODE scode;
    CY cyVal;
    DATE date;
    BSTR bstrVal;
    IUnknown* punkVal;
    IDispatch* pdispVal;
    void* byref;
    CHAR cVal;
    USHORT uiVal;
    ULONG ulVal;
    ULONGLONG ullVal;
    INT intVal;
    UINT uintVal;
  };
};
using VARIANTARG = VARIANT;

// VariantInit()
//
// Makes a VARIANT VT_EMPTY without reading what it held.
UTILITY_PLATFORM_API void VariantInit(VARIANT* v) noexcept;

// VariantClear()
//
// Releases what the VARIANT owns (a BSTR) and makes it VT_EMPTY. Returns S_OK, or E_INVALIDARG
// for a null pointer.
UTILITY_PLATFORM_API HRESULT VariantClear(VARIANT* v) noexcept;

// VariantCopy()
//
// Clears dest, then copies src into it, duplicating a BSTR. Returns S_OK, E_INVALIDARG for a
// null pointer, or E_OUTOFMEMORY when the copy cannot be allocated (dest is then VT_EMPTY).
//
// Example:
//   VARIANT a, b; VariantInit(&a); VariantInit(&b); ... VariantCopy(&b, &a);
UTILITY_PLATFORM_API HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) noexcept;

// COleVariant
//
// A VARIANT that owns its value: default VT_EMPTY, copies duplicate a BSTR, destruction clears.
// The constructors follow the framework's: a short is VT_I2 (or VT_BOOL when asked), a LONG
// VT_I4 (or VT_BOOL/VT_ERROR), a BYTE VT_UI1, a float VT_R4, a double VT_R8 (or VT_DATE), text
// VT_BSTR. Allocation failures raise CMemoryException.
//
// Example:
//   COleVariant v(static_cast<short>(5));     // v.vt == VT_I2, v.iVal == 5
//   COleVariant d(45356.5, VT_DATE);          // a date
//   COleVariant s(u"text");                   // VT_BSTR
class UTILITY_PLATFORM_API COleVariant : public VARIANT {
 public:
  COleVariant() noexcept;
  // A value that owns nothing is copied as it stands, without a call into the platform:
  // variants pass by value through many of the library's operations.
  COleVariant(const COleVariant& other) {
    if (IsPlainValue(other.vt))
      std::memcpy(static_cast<VARIANT*>(this), static_cast<const VARIANT*>(&other), sizeof(VARIANT));
    else
      CopyOwned(other);
  }
  COleVariant(COleVariant&& other) noexcept;
  COleVariant(const VARIANT& other);
  COleVariant(short value, VARTYPE vt = VT_I2);
  COleVariant(LONG value, VARTYPE vt = VT_I4);
  COleVariant(BYTE value);
  COleVariant(float value);
  COleVariant(double value, VARTYPE vt = VT_R8);
  COleVariant(LONGLONG value);
  COleVariant(ULONGLONG value);
  COleVariant(const CString& text);
  COleVariant(const char16_t* text);
  COleVariant(const WCHAR* text);
  // Only a string is owned; every other value has nothing to release.
  ~COleVariant() {
    if (vt == VT_BSTR) Clear();
  }

  COleVariant& operator=(const COleVariant& other);
  COleVariant& operator=(COleVariant&& other) noexcept;
  COleVariant& operator=(const VARIANT& other);

  // Clear()
  //
  // Releases the value and makes the variant VT_EMPTY.
  void Clear() noexcept;

  // Attach() takes over a VARIANT's value (the source becomes VT_EMPTY); Detach() hands the
  // value over and leaves this variant VT_EMPTY.
  void Attach(VARIANT& source) noexcept;
  VARIANT Detach() noexcept;

 private:
  // The known types held by value, VT_BSTR excepted: copying one is copying its bits.
  static constexpr unsigned kPlainTypes = 0x00FF7EFFu;  // 0-7, 9-14, 16-23
  static constexpr bool IsPlainValue(VARTYPE type) noexcept { return type < 32 && ((kPlainTypes >> type) & 1u) != 0; }
  void CopyOwned(const VARIANT& other);
};
