// Name patterns of a directory search.
#include "FindPattern.h"

#include <Utility/Platform/Unicode.h>

namespace utility::platform {

bool PatternSelectsAll(Units pattern) noexcept {
  return pattern.size() == 1 ? pattern[0] == u'*'
                             : pattern.size() == 3 && pattern[0] == u'*' && pattern[1] == u'.' && pattern[2] == u'*';
}

bool PatternHasWildcards(Units pattern) noexcept {
  for (WCHAR c : pattern) {
    if (c == u'*' || c == u'?') return true;
  }
  return false;
}

bool MatchPattern(Units pattern, Units name) noexcept {
  // Greedy matching with one backtrack point (the last star): each star only ever moves
  // forward, so the work is bounded by pattern length times name length.
  std::size_t p = 0, n = 0;
  std::size_t starP = Units::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == u'*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() && (pattern[p] == u'?' || utility::platform::ToUpperUnit(pattern[p]) ==
                                                                utility::platform::ToUpperUnit(name[n]))) {
      ++p;
      ++n;
    } else if (starP != Units::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

}  // namespace utility::platform
