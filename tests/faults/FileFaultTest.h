// What the tests of the C library fault hooks share: their names and every fault there is.
#pragma once

#include <filesystem>

#include "faults/LibcFaults.h"
#include "faults/Sweep.h"
#include "support/Files.h"
#include "support/TempDir.h"

namespace faults::filetest {

namespace fs = std::filesystem;
using faults::Fault;
using faults::LibcFaultScope;
using utility::testsupport::ReadBytes;
using utility::testsupport::TempDir;

inline constexpr Fault kEveryFault[] = {Fault::kNoSpace, Fault::kIoError, Fault::kInterrupted, Fault::kShortWrite,
                                        Fault::kShortThenFull};

}  // namespace faults::filetest
