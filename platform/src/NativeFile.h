// The operating system's services for one open file, that CFile's rules stand on: open, lock,
// read, write, seek, length, sync and close, one system call (or a fixed few) each. Failures
// come back as Win32 codes (0 for success); a file is the NativeHandle CFile keeps.
#pragma once

#include <string>

#include "NativeTypes.h"

#include "NativeFileSystem.h"

namespace utility::platform {

enum class NativeAccess : unsigned char { kRead, kWrite, kReadWrite };

enum class NativeSeek : unsigned char { kBegin, kCurrent, kEnd };

// How to open: the access, whether a missing file is created, whether every write goes to the
// end. An open never waits, not even for a pipe without a reader.
struct NativeOpen {
  NativeAccess access = NativeAccess::kRead;
  bool create = false;
  bool append = false;
};

// Opens native; created tells whether this open made the file, new and empty. The error of a
// missing file tells a missing directory on the way apart.
NativeError OpenNativeFile(const std::string& native, const NativeOpen& how, NativeHandle& file,
                           bool& created) noexcept;

// The kind and permission bits of an open file (the other fields may stay unset).
NativeError DescribeNativeFile(NativeHandle file, NativeFileInfo& info) noexcept;

// Takes the file's share lock without waiting: exclusive, or shared with other shared ones.
// False only when another open holds a lock that conflicts; any other failure leaves the file
// unlocked and is not reported.
bool LockNativeFile(NativeHandle file, bool exclusive) noexcept;

// Makes the file ready for use once the open's own checks are done (a file that is not a
// regular file, info.kind, waits in its reads and writes again).
void FinishNativeOpen(NativeHandle file, const NativeFileInfo& info) noexcept;

// Closes the file; the handle is gone whatever the result. An interrupted close is no error.
NativeError CloseNativeFile(NativeHandle file) noexcept;

// One read of up to count bytes into buffer, done set to the bytes read (0 at the end).
NativeError ReadNativeFile(NativeHandle file, void* buffer, std::uint32_t count, std::uint32_t& done) noexcept;

// One write of up to count bytes from buffer, done set to the bytes written.
NativeError WriteNativeFile(NativeHandle file, const void* buffer, std::uint32_t count, std::uint32_t& done) noexcept;

// Moves the file position and sets at to the new position from the start.
NativeError SeekNativeFile(NativeHandle file, std::int64_t offset, NativeSeek from, std::uint64_t& at) noexcept;

NativeError GetNativeFileLength(NativeHandle file, std::uint64_t& length) noexcept;

// Cuts or extends the file to length; ERROR_INVALID_PARAMETER beyond what the system takes.
NativeError SetNativeFileLength(NativeHandle file, std::uint64_t length) noexcept;

// Waits until what was written is on disk; a file that cannot be synced (a pipe) is no error.
NativeError SyncNativeFile(NativeHandle file) noexcept;

}  // namespace utility::platform
