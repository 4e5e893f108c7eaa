// "Did you mean ...?" for a mistyped word: the known word closest to it, when one is close
// enough to be a likely typing error.
//
//   utility::cli::Closest("nmaes", {"names", "bits", "files"});   // "names"
//   utility::cli::Closest("zzz", {"names", "bits"});              // "" (nothing is close)
#pragma once

#include <string>
#include <vector>

namespace utility::cli {

// The candidate with the fewest edits (insertion, deletion, substitution, swap of neighbours)
// from word, allowed at most one edit per three characters (at least one); the first of equals
// wins; "" when none is that close.
std::string Closest(const std::string& word, const std::vector<std::string>& candidates);

// "; did you mean 'x'?" for the closest candidate, or "" when there is none.
std::string DidYouMean(const std::string& word, const std::vector<std::string>& candidates);

}  // namespace utility::cli
