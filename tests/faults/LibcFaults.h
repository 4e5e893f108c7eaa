// Fault injection for the C library calls through which the platform's file layer changes the
// file system. The test executable defines write, fsync, renameat2, link and mkdir itself, so
// the dynamic linker binds every call the libraries make to these definitions; each
// forwards to the next definition in the search order (a sanitizer's interceptor when there is
// one, else the C library) unless a fault is armed for it.
//
// SQLite's own calls (pwrite64, fdatasync, ftruncate64) are left alone here: the VFS shim
// (VfsShim.h) fails the store's I/O at the level SQLite reasons about.
#pragma once

#include <filesystem>

namespace faults {

// The kinds of calls that can be armed, as bits.
enum Call : unsigned {
  kWrite = 1u << 0,   // write
  kSync = 1u << 1,    // fsync
  kRename = 1u << 2,  // renameat2 (the no-replace rename)
  kLink = 1u << 3,    // link
  kMkdir = 1u << 4,   // mkdir
};

enum class Fault {
  kNoSpace,        // ENOSPC, and every later write fails with ENOSPC too: the disk stays full
  kIoError,        // EIO
  kInterrupted,    // EINTR with nothing done: a caller that tries again succeeds
  kShortWrite,     // a write stores part of its data and returns the short count; later ones work
  kShortThenFull,  // a write stores part of its data; every later write fails with ENOSPC
};
inline constexpr Fault kEveryFault[] = {Fault::kNoSpace, Fault::kIoError, Fault::kInterrupted, Fault::kShortWrite,
                                        Fault::kShortThenFull};

const char* Name(Fault fault);
// The calls a fault applies to (the short writes only to writes).
unsigned CallsFor(Fault fault, unsigned calls);

// While the scope lives, the nth call (counting from 1) of the armed kinds on a path or
// descriptor inside directory gets the fault. Calls elsewhere (the test framework's output,
// other directories) pass untouched. One scope at a time.
class LibcFaultScope {
 public:
  LibcFaultScope(const std::filesystem::path& directory, unsigned calls, int nth, Fault fault);
  ~LibcFaultScope();
  LibcFaultScope(const LibcFaultScope&) = delete;
  LibcFaultScope& operator=(const LibcFaultScope&) = delete;

  // Whether the fault was injected, and the kind of the call that got it (0 while none did).
  bool Fired() const;
  unsigned FiredCall() const;
};

}  // namespace faults
