// Reading the number at the start of text as the C library's strtod reads the decimal form of
// the 1989 C standard: no hexadecimal, no inf or nan, the C locale's decimal separator.
#pragma once

#include <Utility/Platform/String.h>

namespace utility::variant {

// The longest prefix of text (after C white space) of the form [sign] digits [point digits]
// [e [sign] digits], read as a double; 0.0 when text does not begin with a number. Only the
// first 1023 bytes of text's 8-bit (CP_ACP) form are looked at, as in a 1024-byte buffer.
double ScanNumber(const CString& text);

}  // namespace utility::variant
