// Fault injection: the test executable defines the C library's file calls (LibcFaults.cpp), which
// the platform and SQLite then reach. Among the armed calls on files inside one directory, the
// nth (counting from 1) gets the fault; calls elsewhere pass untouched.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>

namespace faults {

// The kinds of calls that can be armed, as bits: the platform's, then SQLite's.
enum Call : unsigned {
  kWrite = 1u << 0,       // write
  kSync = 1u << 1,        // fsync
  kRename = 1u << 2,      // renameat2 (the no-replace rename)
  kLink = 1u << 3,        // link
  kMkdir = 1u << 4,       // mkdir
  kStoreWrite = 1u << 5,  // pwrite64
  kStoreSync = 1u << 6,   // fdatasync
  kTruncate = 1u << 7,    // ftruncate64
};
inline constexpr unsigned kEveryStoreCall = kStoreWrite | kStoreSync | kTruncate;

enum class Fault {
  kNoSpace,      // ENOSPC, and every later write fails with ENOSPC too: the disk stays full
  kIoError,      // EIO
  kInterrupted,  // EINTR with nothing done: a caller that tries again succeeds
  kShortWrite,   // a write stores half its data and returns the short count; later ones work
  kPowerCut,     // EIO for the call and every later one, opens and reads too: the power is off
};
inline constexpr Fault kEveryFileFault[] = {Fault::kNoSpace, Fault::kIoError, Fault::kInterrupted, Fault::kShortWrite};

inline const char* Name(Fault fault) {
  constexpr const char* kNames[] = {"no space", "I/O error", "EINTR", "short write", "power cut"};
  return kNames[static_cast<int>(fault)];
}
// The calls a fault applies to: a short write only to writes.
inline unsigned CallsFor(Fault fault, unsigned calls) {
  return fault == Fault::kShortWrite ? calls & (kWrite | kStoreWrite) : calls;
}

// How a power cut treats the writes made after a file's last sync.
enum class AfterCut {
  kLoseUnsynced,  // every one is lost
  kRandomMix,     // each is kept, lost, or torn sector by sector (old, new or garbage bytes)
};

// While the scope lives, the nth armed call inside directory gets the fault. One scope at a time.
// With kPowerCut the scope also keeps each file's synced content (real syncs are skipped, since
// the scope decides what survives), and Restore() brings the files back to it.
class FaultScope {
 public:
  FaultScope(const std::filesystem::path& directory, unsigned calls, int nth, Fault fault);
  ~FaultScope();
  FaultScope(const FaultScope&) = delete;
  FaultScope& operator=(const FaultScope&) = delete;

  // The kind of the call that got the fault, 0 while none did.
  unsigned Fired() const;

  // After a power cut, once every file inside the directory is closed: writes each file's
  // surviving content (seed chooses what survives under kRandomMix), removes the shared memory
  // files, and powers the files on again (nothing more is armed). False when a file is still open.
  bool Restore(AfterCut mode, std::uint32_t seed);
};

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
