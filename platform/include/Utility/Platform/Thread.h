// Thread handles and processor affinity. A thread is named by its kernel thread id; the
// pseudo handle of the calling thread is -2, as on Win32, and needs no CloseHandle.
#pragma once

#include <Utility/Platform/Export.h>
#include <Utility/Platform/Types.h>

// Access rights of OpenThread, with their Win32 values. The platform checks none of them:
// what the kernel allows the process to do to the thread decides.
#define THREAD_TERMINATE 0x0001u
#define THREAD_SUSPEND_RESUME 0x0002u
#define THREAD_GET_CONTEXT 0x0008u
#define THREAD_SET_CONTEXT 0x0010u
#define THREAD_SET_INFORMATION 0x0020u
#define THREAD_QUERY_INFORMATION 0x0040u
#define THREAD_SET_LIMITED_INFORMATION 0x0400u
#define THREAD_QUERY_LIMITED_INFORMATION 0x0800u
#define THREAD_ALL_ACCESS 0x001FFFFFu

// GetCurrentThread()
//
// The pseudo handle of the calling thread: the value -2, valid only on that thread, never
// closed.
//
// Example:
//   SetThreadAffinityMask(GetCurrentThread(), 1);   // run on processor 0 only
UTILITY_PLATFORM_API HANDLE GetCurrentThread() noexcept;

// GetCurrentThreadId()
//
// The calling thread's kernel thread id (unique in the machine while the thread lives).
UTILITY_PLATFORM_API DWORD GetCurrentThreadId() noexcept;

// OpenThread()
//
// A handle for the thread with kernel id threadId, in this process or another one; null with
// ERROR_INVALID_PARAMETER when no such thread exists. Release it with CloseHandle. The
// access rights and inheritance are recorded only.
//
// Example:
//   HANDLE h = OpenThread(THREAD_SET_INFORMATION, FALSE, id);
//   ...; CloseHandle(h);
UTILITY_PLATFORM_API HANDLE OpenThread(DWORD desiredAccess, BOOL inheritHandle, DWORD threadId) noexcept;

// CloseHandle()
//
// Releases a handle from OpenThread. The pseudo handle -2 is accepted and ignored. Any other
// value gives FALSE with ERROR_INVALID_HANDLE (a handle is never closed twice by mistake:
// the second close is refused).
UTILITY_PLATFORM_API BOOL CloseHandle(HANDLE handle) noexcept;

// SetThreadAffinityMask()
//
// Binds the thread to the processors whose bits are set (processor i is bit i) and returns
// its previous mask, or 0 on failure with the last error set:
// ERROR_INVALID_HANDLE for a handle that is neither -2 nor open (or a thread that has ended),
// ERROR_INVALID_PARAMETER for a mask of 0, one that names a processor the machine does not
// have online, or one that names none this process may use; ERROR_ACCESS_DENIED when the
// kernel refuses (another user's thread). Processors outside the process's allowed set are
// dropped from a mask that names some inside it, as the kernel does. The previous mask
// reports processors 0 to 63 only.
//
// Example:
//   DWORD_PTR previous = SetThreadAffinityMask(GetCurrentThread(), 0x1);
//   SetThreadAffinityMask(GetCurrentThread(), previous);   // back as it was
UTILITY_PLATFORM_API DWORD_PTR SetThreadAffinityMask(HANDLE thread, DWORD_PTR mask) noexcept;
