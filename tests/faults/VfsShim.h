// A SQLite VFS shim for fault tests, the way SQLite tests itself: it wraps the default VFS and
// is registered as the new default when the test executable starts, so every connection the
// registry store opens goes through it. For the files inside one directory it counts writes,
// syncs and truncations, fails the nth of them, and can simulate a power cut: it remembers
// each file's content as of its last sync and, after the cut, puts every file back to that
// content, with some of the writes made since then kept, torn or lost.
// Since durability is simulated, a sync that succeeds is not passed on to the disk: these
// tests judge what the store reports and what it leaves in its files, not the disk.
#pragma once

#include <cstdint>
#include <filesystem>

namespace faults {

// The kinds of file calls that can be armed, as bits.
enum VfsCall : unsigned {
  kVfsWrite = 1u << 0,
  kVfsSync = 1u << 1,
  kVfsTruncate = 1u << 2,
};
inline constexpr unsigned kEveryVfsCall = kVfsWrite | kVfsSync | kVfsTruncate;

enum class VfsFault {
  kFull,        // SQLITE_FULL
  kIoError,     // SQLITE_IOERR_WRITE, _FSYNC or _TRUNCATE, as the call is
  kShortWrite,  // a write stores the first half of its data, then SQLITE_FULL (writes only)
  kPowerCut,    // the call and every later one fails: the machine has lost power
};

const char* Name(VfsFault fault);
unsigned VfsCallsFor(VfsFault fault, unsigned calls);

// How a power cut treats the writes made after a file's last sync.
enum class AfterCut {
  kLoseUnsynced,  // every one is lost
  kRandomMix,     // each is kept, lost, or torn sector by sector (old, new or garbage bytes)
};

// While the scope lives, the nth armed call (from 1) on a file inside directory gets the fault.
// With kPowerCut the scope also keeps each file's synced content (real syncs are then skipped,
// since the shim decides what survives); Restore() brings the files back to it.
class VfsFaultScope {
 public:
  VfsFaultScope(const std::filesystem::path& directory, unsigned calls, int nth, VfsFault fault);
  ~VfsFaultScope();
  VfsFaultScope(const VfsFaultScope&) = delete;
  VfsFaultScope& operator=(const VfsFaultScope&) = delete;

  bool Fired() const;

  // After a power cut, once every connection to the directory's files is closed: writes each
  // file's surviving content (seed chooses what survives under kRandomMix), removes the shared
  // memory files, and powers the files on again (calls work, nothing more is armed). False
  // when a file is still open.
  bool Restore(AfterCut mode, std::uint32_t seed);
};

}  // namespace faults
