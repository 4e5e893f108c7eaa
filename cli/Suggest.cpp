// Edit distances for the program's suggestions (see Suggest.h).
#include "Suggest.h"

#include <algorithm>
#include <cstddef>

#include "Command.h"

namespace utility::cli {
namespace {

// Optimal string alignment distance: Levenshtein with adjacent transpositions, the typing
// error people make most.
std::size_t Distance(const std::string& a, const std::string& b) {
  const std::size_t n = a.size(), m = b.size();
  std::vector<std::vector<std::size_t>> d(n + 1, std::vector<std::size_t>(m + 1));
  for (std::size_t i = 0; i <= n; ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= m; ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= n; ++i) {
    for (std::size_t j = 1; j <= m; ++j) {
      const std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  }
  return d[n][m];
}

}  // namespace

std::string Closest(const std::string& word, const std::vector<std::string>& candidates) {
  // Long words typed on a command line are not worth comparing; nothing known is that long.
  if (word.empty() || word.size() > 64) return "";
  const std::size_t allowed = std::max<std::size_t>(1, word.size() / 3);
  std::string best;
  std::size_t bestDistance = allowed + 1;
  for (const std::string& c : candidates) {
    const std::size_t d = Distance(word, c);
    if (d < bestDistance) {
      best = c;
      bestDistance = d;
    }
  }
  return best;
}

std::string DidYouMean(const std::string& word, const std::vector<std::string>& candidates) {
  const std::string best = Closest(word, candidates);
  return best.empty() ? "" : "; did you mean " + Quoted(best) + "?";
}

}  // namespace utility::cli
