// The file-system services over POSIX calls: lstat/fstatat, mkdir, rmdir, unlink, renameat2 and
// the directory reads. errno is turned into Win32 codes here and nowhere above.
#include "NativeFileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <new>
#include <string>

#include <Utility/Platform/Error.h>

#include "posix/Errno.h"

namespace utility::platform {
namespace {

using utility::platform::ErrorFromErrno;
using utility::platform::RetryInterrupted;

NativeKind KindOf(mode_t mode) noexcept {
  if (S_ISREG(mode)) return NativeKind::kFile;
  if (S_ISDIR(mode)) return NativeKind::kDirectory;
  if (S_ISLNK(mode)) return NativeKind::kLink;
  return NativeKind::kOther;
}

NativeTime TimeOf(const struct timespec& t) noexcept { return NativeTime{t.tv_sec, t.tv_nsec}; }

void Describe(const struct stat& st, NativeFileInfo& info) noexcept {
  info.kind = KindOf(st.st_mode);
  info.linkToDirectory = false;
  info.noWritePermission = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
  info.size = static_cast<unsigned long long>(st.st_size);
  info.lastWrite = TimeOf(st.st_mtim);
  info.lastAccess = TimeOf(st.st_atim);
  info.device = static_cast<unsigned long long>(st.st_dev);
  info.node = static_cast<unsigned long long>(st.st_ino);
}

bool LeadsToDirectory(int dirFd, const char* name) noexcept {
  struct stat target {};
  return fstatat(dirFd, name, &target, 0) == 0 && S_ISDIR(target.st_mode);
}

// lstat relative to dirFd, and for a link whether it leads to a directory when asked.
bool StatAt(int dirFd, const char* name, NativeFileInfo& info, bool linkTarget) noexcept {
  struct stat st {};
  if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
  Describe(st, info);
  if (linkTarget && info.kind == NativeKind::kLink) info.linkToDirectory = LeadsToDirectory(dirFd, name);
  return true;
}

// The code for a failed call on a path: only a missing entry needs the path, to tell a missing
// directory on the way apart.
DWORD PathError(int error, const char* native) noexcept {
  if (error != ENOENT) return ErrorFromErrno(error);
  try {
    return utility::platform::PathErrorFromErrno(error, std::string(native));
  } catch (...) {
    return ErrorFromErrno(error);
  }
}

DIR* DirOf(NativeDirectory* directory) noexcept { return reinterpret_cast<DIR*>(directory); }

}  // namespace

DWORD StatNative(const char* native, NativeFileInfo& info, bool linkTarget) noexcept {
  if (!StatAt(AT_FDCWD, native, info, linkTarget)) return PathError(errno, native);
  return ERROR_SUCCESS;
}

DWORD StatNativeTarget(const char* native, NativeFileInfo& info) noexcept {
  struct stat st {};
  if (stat(native, &st) != 0) return ErrorFromErrno(errno);
  Describe(st, info);
  return ERROR_SUCCESS;
}

DWORD MakeNativeDirectory(const char* native) noexcept {
  if (RetryInterrupted([native] { return mkdir(native, 0777); }) != 0) return PathError(errno, native);
  return ERROR_SUCCESS;
}

DWORD RemoveNativeDirectory(const char* native) noexcept {
  if (rmdir(native) == 0) return ERROR_SUCCESS;
  // Some systems say EEXIST for a directory that is not empty.
  return PathError(errno == EEXIST ? ENOTEMPTY : errno, native);
}

DWORD RemoveNativeEntry(const char* native) noexcept {
  if (unlink(native) != 0) return PathError(errno, native);
  return ERROR_SUCCESS;
}

DWORD RenameNativeNoReplace(const char* from, const char* to, bool pathErrors) noexcept {
  const auto renameNoReplace = [&] { return renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE); };
  if (RetryInterrupted(renameNoReplace) == 0) return ERROR_SUCCESS;
  if (errno == EINVAL || errno == ENOSYS) {
    // A file system without the no-replace rename: check, then rename.
    struct stat target {};
    if (lstat(to, &target) == 0) return ERROR_ALREADY_EXISTS;
    if (RetryInterrupted([&] { return rename(from, to); }) == 0) return ERROR_SUCCESS;
  }
  return pathErrors ? PathError(errno, from) : ErrorFromErrno(errno);
}

DWORD OpenNativeDirectory(const char* native, NativeDirectory*& directory) noexcept {
  DIR* dir = opendir(native);
  if (dir == nullptr) return ErrorFromErrno(errno);
  directory = reinterpret_cast<NativeDirectory*>(dir);
  return ERROR_SUCCESS;
}

void CloseNativeDirectory(NativeDirectory* directory) noexcept { closedir(DirOf(directory)); }

bool ReadNativeDirectory(NativeDirectory* directory, NativeEntry& entry) noexcept {
  errno = 0;
  const dirent* d = readdir(DirOf(directory));
  if (d == nullptr) return false;
  entry.name = d->d_name;
  switch (d->d_type) {
    case DT_DIR:
      entry.kind = NativeKind::kDirectory;
      break;
    case DT_REG:
      entry.kind = NativeKind::kFile;
      break;
    case DT_LNK:
      entry.kind = NativeKind::kLink;
      break;
    case DT_UNKNOWN:
      entry.kind = NativeKind::kUnknown;
      break;
    default:
      entry.kind = NativeKind::kOther;
      break;
  }
  return true;
}

bool StatNativeEntry(NativeDirectory* directory, const char* name, NativeFileInfo& info) noexcept {
  return StatAt(dirfd(DirOf(directory)), name, info, true);
}

bool NativeEntryLeadsToDirectory(NativeDirectory* directory, const char* name) noexcept {
  return LeadsToDirectory(dirfd(DirOf(directory)), name);
}

}  // namespace utility::platform
