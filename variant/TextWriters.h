// Writers of the numbers and dates that the variant operations show, straight into UTF-16
// units. Each writes exactly what the C library's printf writes for the named format; they
// exist because formatting through a general printf costs more than the work itself.
#pragma once

#include <cstdint>

#include <Utility/Platform/String.h>
#include <Utility/Platform/Types.h>

namespace utility::variant {

// Room for any integer text of these writers: sign, 20 digits, "0x".
inline constexpr int kIntegerTextUnits = 24;

// "%d" / "%u" of a 64-bit value. Returns the units written.
int WriteSigned(long long value, WCHAR* out) noexcept;
int WriteUnsigned(unsigned long long value, WCHAR* out) noexcept;

// "0x%.NX": 0x, then at least minDigits upper-case hexadecimal digits.
int WriteHex(std::uint64_t value, int minDigits, WCHAR* out) noexcept;

// "%.Nf" of value with places decimal places (places >= 0), the decimal separator being the
// C locale's. Infinities and not-a-number values read inf, -inf, nan and -nan.
CString FixedText(double value, int places);

// The date text "%04d-%02d-%02d %02d:%02d:%02d" of year, month, day, hour, minute, second.
// A field of -1 stands for one that could not be supplied and is written as printf writes
// -1 ("-001" for the year, "-1" for the others). Returns the units written (at most 64).
inline constexpr int kDateTextUnits = 64;
int WriteDateText(const int fields[6], WCHAR* out) noexcept;

// The date text of an OLE Automation date split to the second, or false when the date lies
// outside 0100-01-01 to 9999-12-31.
bool DateFields(double date, int fields[6]) noexcept;

// True when text (a number written by these writers) is zero: nothing but zeros, a decimal
// separator and minus signs, with at least one zero. Infinities and NaN are not zero.
bool IsZeroText(const CString& text) noexcept;

}  // namespace utility::variant
