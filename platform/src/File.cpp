// CFile: the framework's rules for opening, sharing and using a file, over the system's file
// services (NativeFile.h). Read-only files are refused by their permission bits, since the
// superuser passes the system's own permission check.
#include <Utility/Platform/File.h>

#include <string>

#include <Utility/Platform/Error.h>
#include <Utility/Platform/FileSystem.h>

#include "NativeFile.h"
#include "NativeName.h"
#include "WideUnits.h"

using utility::platform::NativeAccess;
using utility::platform::NativeFileInfo;
using utility::platform::NativeKind;
using utility::platform::NativeOpen;
using utility::platform::NativeSeek;

using utility::platform::Wide;

namespace {

// True for an open file; false, with the last error Win32 sets for a null handle, otherwise.
bool Usable(const CFile& file) noexcept {
  if (file.IsOpen()) return true;
  SetLastError(ERROR_INVALID_HANDLE);
  return false;
}

// Writes all count bytes, in as many calls as it takes; done counts those that went out.
DWORD WriteAll(HANDLE file, const char* in, UINT count, UINT& done) {
  while (done < count) {
    UINT n = 0;
    if (const DWORD code = utility::platform::WriteNativeFile(file, in + done, count - done, n)) return code;
    done += n;
  }
  return ERROR_SUCCESS;
}

[[noreturn]] void ThrowFileError(DWORD code, const WCHAR* fileName) {
  throw CFileException(static_cast<LONG>(code), CString(fileName));
}

// The open the flags ask for; false for an access the framework does not know.
bool OpenFromFlags(UINT openFlags, NativeOpen& how) noexcept {
  switch (openFlags & 0x3u) {
    case CFile::modeRead:
      how.access = NativeAccess::kRead;
      break;
    case CFile::modeWrite:
      how.access = NativeAccess::kWrite;
      break;
    case CFile::modeReadWrite:
      how.access = NativeAccess::kReadWrite;
      break;
    default:
      return false;
  }
  how.create = (openFlags & CFile::modeCreate) != 0;
  how.append = (openFlags & CFile::modeAppend) != 0;
  return true;
}

// What an open file may not be: a directory, or read-only when opened to write or emptied. A
// file this open created is a new, empty regular file, with nothing to look at.
DWORD CheckOpened(HANDLE file, const NativeOpen& how, bool truncate, NativeFileInfo& info) noexcept {
  if (const DWORD code = utility::platform::DescribeNativeFile(file, info)) return code;
  if (info.kind == NativeKind::kDirectory) return ERROR_ACCESS_DENIED;
  if ((how.access != NativeAccess::kRead || truncate) && info.noWritePermission) return ERROR_ACCESS_DENIED;
  return ERROR_SUCCESS;
}

// Locks, readies and (when asked) empties a file just opened. Emptied only once the lock is
// held, so that a file another open holds is never cut.
DWORD SetUpOpened(HANDLE file, UINT openFlags, const NativeOpen& how, bool created) noexcept {
  const bool truncate = how.create && (openFlags & CFile::modeNoTruncate) == 0;
  NativeFileInfo info;
  info.kind = NativeKind::kFile;
  if (!created) {
    if (const DWORD code = CheckOpened(file, how, truncate, info)) return code;
  }
  const UINT share = openFlags & 0x70u;
  const bool exclusive = share == CFile::shareCompat || share == CFile::shareExclusive;
  if (!utility::platform::LockNativeFile(file, exclusive)) return ERROR_SHARING_VIOLATION;
  utility::platform::FinishNativeOpen(file, info);
  if (truncate && !created && info.kind == NativeKind::kFile) return utility::platform::SetNativeFileLength(file, 0);
  return ERROR_SUCCESS;
}

}  // namespace

const HANDLE CFile::hFileNull = INVALID_HANDLE_VALUE;

CFile::CFile() noexcept : m_hFile(hFileNull) {}

CFile::CFile(const WCHAR* fileName, UINT openFlags) : m_hFile(hFileNull) {
  CFileException error;
  if (!Open(fileName, openFlags, &error)) throw error;
}

CFile::CFile(const char16_t* fileName, UINT openFlags) : CFile(Wide(fileName), openFlags) {}

CFile::~CFile() { CFile::Abort(); }

void CFile::ThrowLastError() const { throw CFileException(static_cast<LONG>(GetLastError()), m_strFileName); }

BOOL CFile::Open(const char16_t* fileName, UINT openFlags, CFileException* error) {
  return Open(Wide(fileName), openFlags, error);
}

BOOL CFile::Open(const WCHAR* fileName, UINT openFlags, CFileException* error) {
  if (IsOpen()) Abort();
  m_strFileName = fileName;
  const auto fail = [&](DWORD code) {
    SetLastError(code);
    if (error != nullptr) {
      error->m_lOsError = static_cast<LONG>(code);
      error->m_strFileName = m_strFileName;
    }
    return FALSE;
  };
  if (fileName == nullptr) return fail(ERROR_INVALID_PARAMETER);
  // The framework keeps file names in MAX_PATH buffers and refuses longer ones.
  if (utility::platform::BoundedLength(fileName) >= MAX_PATH) return fail(ERROR_FILENAME_EXCED_RANGE);
  std::string native;
  if (!utility::platform::NativeName(fileName, native)) return fail(GetLastError());
  NativeOpen how;
  if (!OpenFromFlags(openFlags, how)) return fail(ERROR_INVALID_PARAMETER);
  HANDLE file = hFileNull;
  bool created = false;
  if (const DWORD code = utility::platform::OpenNativeFile(native, how, file, created)) return fail(code);
  if (const DWORD code = SetUpOpened(file, openFlags, how, created)) {
    utility::platform::CloseNativeFile(file);
    return fail(code);
  }
  m_hFile = file;
  return TRUE;
}

void CFile::Close() {
  if (!IsOpen()) return;
  const HANDLE file = m_hFile;
  m_hFile = hFileNull;
  if (const DWORD code = utility::platform::CloseNativeFile(file)) {
    SetLastError(code);
    ThrowLastError();
  }
}

void CFile::Abort() noexcept {
  if (!IsOpen()) return;
  utility::platform::CloseNativeFile(m_hFile);
  m_hFile = hFileNull;
}

UINT CFile::Read(void* buffer, UINT count) {
  if (!Usable(*this)) ThrowLastError();
  UINT done = 0;
  auto* out = static_cast<char*>(buffer);
  while (done < count) {
    UINT n = 0;
    if (const DWORD code = utility::platform::ReadNativeFile(m_hFile, out + done, count - done, n)) {
      SetLastError(code);
      ThrowLastError();
    }
    if (n == 0) break;
    done += n;
  }
  return done;
}

void CFile::Write(const void* buffer, UINT count) {
  if (!Usable(*this)) ThrowLastError();
  UINT done = 0;
  if (const DWORD code = WriteAll(m_hFile, static_cast<const char*>(buffer), count, done)) {
    SetLastError(code);
    ThrowLastError();
  }
}

void CFile::Append(const void* buffer, UINT count) {
  if (!Usable(*this)) ThrowLastError();
  UINT done = 0;
  if (const DWORD code = WriteAll(m_hFile, static_cast<const char*>(buffer), count, done)) {
    // Every write went to the end, so the part stored is the file's last done bytes.
    ULONGLONG length = 0;
    if (done > 0 && utility::platform::GetNativeFileLength(m_hFile, length) == ERROR_SUCCESS && length >= done) {
      static_cast<void>(utility::platform::SetNativeFileLength(m_hFile, length - done));
    }
    SetLastError(code);
    ThrowLastError();
  }
}

ULONGLONG CFile::Seek(LONGLONG offset, UINT from) {
  NativeSeek whence;
  switch (from) {
    case begin:
      whence = NativeSeek::kBegin;
      break;
    case current:
      whence = NativeSeek::kCurrent;
      break;
    case end:
      whence = NativeSeek::kEnd;
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      ThrowLastError();
  }
  ULONGLONG at = 0;
  if (const DWORD code = utility::platform::SeekNativeFile(m_hFile, offset, whence, at)) {
    SetLastError(code);
    ThrowLastError();
  }
  return at;
}

ULONGLONG CFile::SeekToEnd() { return Seek(0, end); }

void CFile::SeekToBegin() { Seek(0, begin); }

ULONGLONG CFile::GetPosition() const {
  ULONGLONG at = 0;
  if (const DWORD code = utility::platform::SeekNativeFile(m_hFile, 0, NativeSeek::kCurrent, at)) {
    SetLastError(code);
    ThrowLastError();
  }
  return at;
}

ULONGLONG CFile::GetLength() const {
  ULONGLONG length = 0;
  if (const DWORD code = utility::platform::GetNativeFileLength(m_hFile, length)) {
    SetLastError(code);
    ThrowLastError();
  }
  return length;
}

void CFile::SetLength(ULONGLONG length) {
  if (const DWORD code = utility::platform::SetNativeFileLength(m_hFile, length)) {
    SetLastError(code);
    ThrowLastError();
  }
}

void CFile::Flush() {
  if (!IsOpen()) return;
  if (const DWORD code = utility::platform::SyncNativeFile(m_hFile)) {
    SetLastError(code);
    ThrowLastError();
  }
}

void CFile::Remove(const WCHAR* fileName) {
  if (!DeleteFileW(fileName)) ThrowFileError(GetLastError(), fileName);
}

void CFile::Remove(const char16_t* fileName) { Remove(Wide(fileName)); }

void CFile::Rename(const WCHAR* oldName, const WCHAR* newName) {
  std::string from, to;
  if (!utility::platform::NativeName(oldName, from) || !utility::platform::NativeName(newName, to)) {
    ThrowFileError(GetLastError(), oldName);
  }
  if (const DWORD code = utility::platform::RenameNativeNoReplace(from.c_str(), to.c_str(), true)) {
    ThrowFileError(code, oldName);
  }
}
