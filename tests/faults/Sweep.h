// The sweep of a fault point over every armed call of an operation in turn.
#pragma once

#include <gtest/gtest.h>

namespace faults {

// Runs attempt(n) for n = 1, 2, ... until it reports that the operation completed without
// reaching its nth armed call (attempt returns false), and returns how many fault points the
// operation has (that last n - 1). Gives up with a failure after limit attempts.
template <class Attempt>
int Sweep(Attempt attempt, int limit = 400) {
  for (int n = 1; n <= limit; ++n) {
    SCOPED_TRACE(::testing::Message() << "fault at armed call " << n);
    if (!attempt(n)) return n - 1;
  }
  ADD_FAILURE() << "the operation still met a fault point after " << limit << " calls";
  return limit;
}

}  // namespace faults
