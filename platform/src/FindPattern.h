// Name patterns of a directory search: `*` and `?` over UTF-16 names, ignoring case.
#pragma once

#include <string_view>

#include <Utility/Platform/Types.h>

namespace utility::platform {

using Units = std::basic_string_view<WCHAR>;

// True when the pattern selects every name: "*" and "*.*" (the latter also names without a
// dot, as Win32 has it).
bool PatternSelectsAll(Units pattern) noexcept;

// True when the pattern holds a wildcard at all.
bool PatternHasWildcards(Units pattern) noexcept;

// MatchPattern()
//
// `*` stands for any run of units, `?` for any one unit; other units compare after the fixed
// upper-case mapping. Linear in the pattern times the name at worst, never exponential.
bool MatchPattern(Units pattern, Units name) noexcept;

}  // namespace utility::platform
