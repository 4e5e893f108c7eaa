// SetBit and GetBit on plain integers and floating-point numbers. In these typed overloads the
// flag of SetBit is reversed: false sets the bit, true clears it (the variant overload is not).
#include <cstdint>

#include <Utility/Utility.h>

#include "BitMask.h"

using namespace utility::bits;

namespace {

// Typed overloads clear on true and set on false.
constexpr bool SetsBit(bool on) noexcept { return !on; }

}  // namespace

void CUtility::SetBit(bool& value, int, bool on) { value = on; }

void CUtility::SetBit(char& value, int bit, bool on) {
  const auto bits = static_cast<std::uint8_t>(value);
  value = static_cast<char>(static_cast<std::uint8_t>(Apply(bits, Mask<8>(bit), SetsBit(on))));
}

void CUtility::SetBit(unsigned char& value, int bit, bool on) {
  value = static_cast<unsigned char>(Apply(value, Mask<8>(bit), SetsBit(on)));
}

void CUtility::SetBit(short& value, int bit, bool on) {
  const auto bits = static_cast<std::uint16_t>(value);
  value = static_cast<short>(static_cast<std::uint16_t>(Apply(bits, Mask<16>(bit), SetsBit(on))));
}

void CUtility::SetBit(unsigned short& value, int bit, bool on) {
  value = static_cast<unsigned short>(Apply(value, Mask<16>(bit), SetsBit(on)));
}

void CUtility::SetBit(int& value, int bit, bool on) {
  value = static_cast<int>(Apply(static_cast<std::uint32_t>(value), Mask<32>(bit), SetsBit(on)));
}

void CUtility::SetBit(unsigned int& value, int bit, bool on) { value = Apply(value, Mask<32>(bit), SetsBit(on)); }

void CUtility::SetBit(float& value, int bit, bool on) {
  value = WithStoredBits(Apply(StoredBits(value), Mask<32>(bit), SetsBit(on)));
}

void CUtility::SetBit(double& value, int bit, bool on) {
  value = WithLowStoredBits(value, Apply(LowStoredBits(value), Mask<32>(bit), SetsBit(on)));
}

int CUtility::GetBit(char value, int bit) { return Test(Widen(static_cast<std::int8_t>(value)), bit); }
int CUtility::GetBit(unsigned char value, int bit) { return Test(Widen(static_cast<std::uint8_t>(value)), bit); }
int CUtility::GetBit(short value, int bit) { return Test(Widen(static_cast<std::int16_t>(value)), bit); }
int CUtility::GetBit(unsigned short value, int bit) { return Test(Widen(static_cast<std::uint16_t>(value)), bit); }
int CUtility::GetBit(int value, int bit) { return Test(static_cast<std::uint32_t>(value), bit); }
int CUtility::GetBit(unsigned int value, int bit) { return Test(value, bit); }
int CUtility::GetBit(float value, int bit) { return Test(StoredBits(value), bit); }
int CUtility::GetBit(double value, int bit) { return Test(LowStoredBits(value), bit); }
