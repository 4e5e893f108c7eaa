// The tables of the vector check of well-formed UTF-8, by nibble.
//
// Every ill-formed pair of adjacent bytes shows in the high nibble of the first byte, its low
// nibble and the high nibble of the second: each table maps a nibble to the kinds of error that
// it allows, and a pair is broken where all three allow the same kind. The one error that pairs
// cannot see, a continuation byte too many or too few after a lead of three or four bytes, is
// found by comparing the continuations with what the leads two and three bytes back require.
//
// Data only, no functions: the kernels that load these are compiled for different processors.
#pragma once

#include <cstdint>

namespace utility::platform::codepage::validation {

constexpr std::uint8_t kTooShort = 1 << 0;   // a lead followed by something other than a continuation
constexpr std::uint8_t kTooLong = 1 << 1;    // ASCII followed by a continuation
constexpr std::uint8_t kOverlong3 = 1 << 2;  // E0 followed by 80..9F
constexpr std::uint8_t kTooLarge = 1 << 3;   // F4 followed by 90..BF, or F5..FF by 90..BF
constexpr std::uint8_t kSurrogate = 1 << 4;  // ED followed by A0..BF
constexpr std::uint8_t kOverlong2 = 1 << 5;  // C0 or C1 followed by a continuation
constexpr std::uint8_t kLow8 = 1 << 6;       // F0 (overlong) or F5..FF (too large) followed by 80..8F
constexpr std::uint8_t kTwoConts = 1 << 7;   // a continuation followed by a continuation
constexpr std::uint8_t kCarry = kTooShort | kTooLong | kTwoConts;  // whatever the low nibble

alignas(16) inline constexpr std::uint8_t kFirstHigh[16] = {
    kTooLong,
    kTooLong,
    kTooLong,
    kTooLong,
    kTooLong,
    kTooLong,
    kTooLong,
    kTooLong,  // ASCII
    kTwoConts,
    kTwoConts,
    kTwoConts,
    kTwoConts,                            // continuations
    kTooShort | kOverlong2,               // C0..CF
    kTooShort,                            // D0..DF
    kTooShort | kOverlong3 | kSurrogate,  // E0..EF
    kTooShort | kTooLarge | kLow8,        // F0..FF
};

alignas(16) inline constexpr std::uint8_t kFirstLow[16] = {
    kCarry | kOverlong3 | kOverlong2 | kLow8,  // C0, E0, F0
    kCarry | kOverlong2,                       // C1
    kCarry,
    kCarry,
    kCarry | kTooLarge,  // F4
    kCarry | kTooLarge | kLow8,
    kCarry | kTooLarge | kLow8,
    kCarry | kTooLarge | kLow8,
    kCarry | kTooLarge | kLow8,
    kCarry | kTooLarge | kLow8,
    kCarry | kTooLarge | kLow8,
    kCarry | kTooLarge | kLow8,
    kCarry | kTooLarge | kLow8,
    kCarry | kTooLarge | kLow8 | kSurrogate,  // ED
    kCarry | kTooLarge | kLow8,
    kCarry | kTooLarge | kLow8,
};

alignas(16) inline constexpr std::uint8_t kSecondHigh[16] = {
    kTooShort,
    kTooShort,
    kTooShort,
    kTooShort,
    kTooShort,
    kTooShort,
    kTooShort,
    kTooShort,                                                   // ASCII
    kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kLow8,      // 80..8F
    kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge,  // 90..9F
    kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge,  // A0..AF
    kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge,  // B0..BF
    kTooShort,
    kTooShort,
    kTooShort,
    kTooShort,  // leads
};

}  // namespace utility::platform::codepage::validation
