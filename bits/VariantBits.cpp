// SetBit and GetBit on a variant: the value field is read and written by the variant's type,
// through its bytes, so that a field written under one member is never read as another.
#include <bit>
#include <cstdint>
#include <cstring>

#include <Utility/Utility.h>

#include "BitMask.h"

using namespace utility::bits;

// The low half of a double is its first four bytes only on a little-endian machine.
static_assert(std::endian::native == std::endian::little);

namespace {

// The value field of a VARIANT starts at llVal; every member of the union begins there.
template <class T>
T Load(const VARIANT& v) noexcept {
  T out;
  std::memcpy(&out, &v.llVal, sizeof out);
  return out;
}

template <class T>
void Store(VARIANT& v, T value) noexcept {
  std::memcpy(&v.llVal, &value, sizeof value);
}

}  // namespace

void CUtility::SetBit(COleVariant& value, int bit, bool on) {
  switch (value.vt) {
    case VT_I1:
    case VT_UI1:
      Store(value, static_cast<std::uint8_t>(Apply(Load<std::uint8_t>(value), Mask<8>(bit), on)));
      break;
    case VT_I2:
    case VT_UI2:
      Store(value, static_cast<std::uint16_t>(Apply(Load<std::uint16_t>(value), Mask<16>(bit), on)));
      break;
    case VT_I4:
    case VT_UI4:
    case VT_R4:  // the stored bits of the single, changed as they lie
    case VT_R8:  // the first four bytes: the low half of the double's bits
      Store(value, Apply(Load<std::uint32_t>(value), Mask<32>(bit), on));
      break;
    case VT_BOOL: {
      const std::uint32_t widened = Apply(Widen(Load<std::int16_t>(value)), Mask<32>(bit), on);
      Store(value, widened != 0 ? VARIANT_TRUE : VARIANT_FALSE);
      break;
    }
    default:
      break;  // no bits to address in any other type
  }
}

int CUtility::GetBit(COleVariant value, int bit) {
  std::uint32_t widened = 0;
  switch (value.vt) {
    case VT_I2:
    case VT_BOOL:
      widened = Widen(Load<std::int16_t>(value));
      break;
    case VT_I4:
    case VT_UI4:
    case VT_R4:
    case VT_R8:  // little-endian: the first four bytes are the low half of a double
      widened = Load<std::uint32_t>(value);
      break;
    case VT_I1:
      widened = Widen(Load<std::int8_t>(value));
      break;
    case VT_UI1:
      widened = Widen(Load<std::uint8_t>(value));
      break;
    case VT_UI2:
      widened = Widen(Load<std::uint16_t>(value));
      break;
    default:
      return 0;
  }
  return Test(widened, bit);
}
