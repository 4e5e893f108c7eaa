// The operating system's services for one open file, that CFile's rules stand on: open, lock,
// read, write, seek, length, sync and close, one system call (or a fixed few) each. Failures
// come back as Win32 codes (0 for success); a file is the HANDLE CFile keeps.
#pragma once

#include <string>

#include <Utility/Platform/Types.h>

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
DWORD OpenNativeFile(const std::string& native, const NativeOpen& how, HANDLE& file, bool& created) noexcept;

// The kind and permission bits of an open file (the other fields may stay unset).
DWORD DescribeNativeFile(HANDLE file, NativeFileInfo& info) noexcept;

// Takes the file's share lock without waiting: exclusive, or shared with other shared ones.
// False only when another open holds a lock that conflicts; any other failure leaves the file
// unlocked and is not reported.
bool LockNativeFile(HANDLE file, bool exclusive) noexcept;

// Makes the file ready for use once the open's own checks are done (a file that is not a
// regular file, info.kind, waits in its reads and writes again).
void FinishNativeOpen(HANDLE file, const NativeFileInfo& info) noexcept;

// Closes the file; the handle is gone whatever the result. An interrupted close is no error.
DWORD CloseNativeFile(HANDLE file) noexcept;

// One read of up to count bytes into buffer, done set to the bytes read (0 at the end).
DWORD ReadNativeFile(HANDLE file, void* buffer, UINT count, UINT& done) noexcept;

// One write of up to count bytes from buffer, done set to the bytes written.
DWORD WriteNativeFile(HANDLE file, const void* buffer, UINT count, UINT& done) noexcept;

// Moves the file position and sets at to the new position from the start.
DWORD SeekNativeFile(HANDLE file, LONGLONG offset, NativeSeek from, ULONGLONG& at) noexcept;

DWORD GetNativeFileLength(HANDLE file, ULONGLONG& length) noexcept;

// Cuts or extends the file to length; ERROR_INVALID_PARAMETER beyond what the system takes.
DWORD SetNativeFileLength(HANDLE file, ULONGLONG length) noexcept;

// Waits until what was written is on disk; a file that cannot be synced (a pipe) is no error.
DWORD SyncNativeFile(HANDLE file) noexcept;

}  // namespace utility::platform
