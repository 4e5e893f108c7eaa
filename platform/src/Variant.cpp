// VARIANT handling and COleVariant. A VARIANT owns at most one resource here: the BSTR of a
// VT_BSTR value. Interface pointers are carried as plain pointers (the platform has no
// reference-counted objects), and by-reference values never own what they point at.
#include <Utility/Platform/Variant.h>

#include <cstring>

#include <Utility/Platform/Error.h>
#include <Utility/Platform/Exception.h>

namespace {

constexpr VARTYPE kTypeMask = 0x0FFF;

// The base types that a VARIANT may hold by value.
bool IsKnownBaseType(VARTYPE base) noexcept { return base <= VT_DECIMAL || (base >= VT_I1 && base <= VT_UINT); }

bool IsValidType(VARTYPE vt) noexcept {
  if ((vt & VT_VECTOR) != 0) return false;  // vectors live only in property sets
  return IsKnownBaseType(static_cast<VARTYPE>(vt & kTypeMask));
}

void MakeEmpty(VARIANT* v) noexcept {
  v->vt = VT_EMPTY;
  v->wReserved1 = v->wReserved2 = v->wReserved3 = 0;
  v->llVal = 0;
}

void CheckCopy(HRESULT hr) {
  if (hr == E_OUTOFMEMORY) utility::platform::ThrowMemoryException();
}

}  // namespace

void VariantInit(VARIANT* v) noexcept {
  if (v != nullptr) MakeEmpty(v);
}

HRESULT VariantClear(VARIANT* v) noexcept {
  if (v == nullptr) return E_INVALIDARG;
  if (!IsValidType(v->vt)) return DISP_E_BADVARTYPE;
  if (v->vt == VT_BSTR) SysFreeString(v->bstrVal);
  MakeEmpty(v);
  return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) noexcept {
  if (dest == nullptr || src == nullptr) return E_INVALIDARG;
  if (dest == src) return S_OK;
  if (!IsValidType(src->vt)) return DISP_E_BADVARTYPE;
  const HRESULT cleared = VariantClear(dest);
  if (FAILED(cleared)) return cleared;
  if (src->vt == VT_BSTR && src->bstrVal != nullptr) {
    // By byte length, so that odd lengths and embedded zeros survive the copy.
    BSTR copy = SysAllocStringByteLen(reinterpret_cast<const char*>(src->bstrVal), SysStringByteLen(src->bstrVal));
    if (copy == nullptr) return E_OUTOFMEMORY;
    std::memcpy(static_cast<void*>(dest), src, sizeof(VARIANT));
    dest->bstrVal = copy;
    return S_OK;
  }
  std::memcpy(static_cast<void*>(dest), src, sizeof(VARIANT));
  return S_OK;
}

COleVariant::COleVariant() noexcept { MakeEmpty(this); }

void COleVariant::CopyOwned(const VARIANT& other) {
  MakeEmpty(this);
  CheckCopy(VariantCopy(this, &other));
}

COleVariant::COleVariant(COleVariant&& other) noexcept {
  std::memcpy(static_cast<VARIANT*>(this), static_cast<const VARIANT*>(&other), sizeof(VARIANT));
  MakeEmpty(&other);
}

COleVariant::COleVariant(const VARIANT& other) { CopyOwned(other); }

COleVariant::COleVariant(short value, VARTYPE type) {
  MakeEmpty(this);
  if (type == VT_BOOL) {
    vt = VT_BOOL;
    boolVal = value != 0 ? VARIANT_TRUE : VARIANT_FALSE;
  } else {
    vt = VT_I2;
    iVal = value;
  }
}

COleVariant::COleVariant(LONG value, VARTYPE type) {
  MakeEmpty(this);
  if (type == VT_BOOL) {
    vt = VT_BOOL;
    boolVal = value != 0 ? VARIANT_TRUE : VARIANT_FALSE;
  } else if (type == VT_ERROR) {
    vt = VT_ERROR;
    scode = value;
  } else {
    vt = VT_I4;
    lVal = value;
  }
}

COleVariant::COleVariant(BYTE value) {
  MakeEmpty(this);
  vt = VT_UI1;
  bVal = value;
}

COleVariant::COleVariant(float value) {
  MakeEmpty(this);
  vt = VT_R4;
  fltVal = value;
}

COleVariant::COleVariant(double value, VARTYPE type) {
  MakeEmpty(this);
  if (type == VT_DATE) {
    vt = VT_DATE;
    date = value;
  } else {
    vt = VT_R8;
    dblVal = value;
  }
}

COleVariant::COleVariant(LONGLONG value) {
  MakeEmpty(this);
  vt = VT_I8;
  llVal = value;
}

COleVariant::COleVariant(ULONGLONG value) {
  MakeEmpty(this);
  vt = VT_UI8;
  ullVal = value;
}

COleVariant::COleVariant(const CString& text) {
  MakeEmpty(this);
  bstrVal = text.AllocSysString();  // raises CMemoryException itself
  vt = VT_BSTR;
}

COleVariant::COleVariant(const char16_t* text) : COleVariant(reinterpret_cast<const WCHAR*>(text)) {}

COleVariant::COleVariant(const WCHAR* text) {
  MakeEmpty(this);
  vt = VT_BSTR;
  if (text != nullptr) {
    bstrVal = SysAllocString(text);
    if (bstrVal == nullptr) {
      vt = VT_EMPTY;
      utility::platform::ThrowMemoryException();
    }
  }
}

COleVariant& COleVariant::operator=(const COleVariant& other) { return *this = static_cast<const VARIANT&>(other); }

COleVariant& COleVariant::operator=(COleVariant&& other) noexcept {
  if (this != &other) {
    Clear();
    std::memcpy(static_cast<VARIANT*>(this), static_cast<const VARIANT*>(&other), sizeof(VARIANT));
    MakeEmpty(&other);
  }
  return *this;
}

COleVariant& COleVariant::operator=(const VARIANT& other) {
  if (this != &other) CheckCopy(VariantCopy(this, &other));
  return *this;
}

void COleVariant::Clear() noexcept {
  // A type the platform does not know owns nothing that it could release.
  if (FAILED(VariantClear(this))) MakeEmpty(this);
}

void COleVariant::Attach(VARIANT& source) noexcept {
  Clear();
  std::memcpy(static_cast<VARIANT*>(this), &source, sizeof(VARIANT));
  source.vt = VT_EMPTY;
}

VARIANT COleVariant::Detach() noexcept {
  VARIANT result;
  std::memcpy(&result, static_cast<const VARIANT*>(this), sizeof(VARIANT));
  vt = VT_EMPTY;
  return result;
}
