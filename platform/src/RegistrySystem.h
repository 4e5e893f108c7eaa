// What the registry store asks of the operating system, one service per need: the identity of
// a hive file, a process id that tells a forked child, a word shared by every process, atomic
// small files, and the creation and replacement of hive files. The store's rules stay portable;
// each system implements these (posix/Registry*.cpp). Results are Win32 error codes.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include <Utility/Platform/Types.h>

namespace utility::platform::registry {

// A file as it is on disk: which file, and its size and last change. A damage mark names the
// file it was made for this way, so that a hive restored from a copy, replaced or rebuilt
// under the same name is no longer taken for the damaged one.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t size = 0;
  std::int64_t changed = 0;  // nanoseconds of the last modification
  bool operator==(const FileIdentity&) const = default;
  bool SameFile(const FileIdentity& other) const noexcept { return device == other.device && inode == other.inode; }
};

// What the store needs to know of a file.
struct FileStatus {
  bool exists = false;
  bool directory = false;
  bool writeProtected = false;    // no write permission for anyone
  std::uint32_t permissions = 0;  // as the system keeps them, for the files made beside it
  FileIdentity identity;
};

// The status of the file at path. When there is none (or it cannot be asked about), exists is
// false and the result is the Win32 code of why; else ERROR_SUCCESS.
LONG StatFile(const std::string& path, FileStatus& status) noexcept;

// The Win32 code of a system error number (as SQLite reports it for a failed open), read as a
// registry call reports it.
LONG ErrorFromSystem(int error) noexcept;

// An id of the running process, different in a child after fork(), so that a connection
// inherited from a parent is noticed. Cheap enough to ask on every call.
std::int64_t CurrentProcess() noexcept;

// Maps the 8-byte file at path, made with the given permissions when missing, so that every
// process that maps it sees one word. Null when it cannot be mapped; writable tells whether
// this process may change it.
std::atomic<std::uint64_t>* MapSharedWord(const std::string& path, std::uint32_t permissions, bool& writable) noexcept;
void UnmapSharedWord(std::atomic<std::uint64_t>* word) noexcept;

// Writes text as the whole of the file at path, under a temporary name first, synced, then
// renamed into place, so that no reader sees half of it. False when it cannot be written.
bool WriteWholeFile(const std::string& path, const std::string& text, std::uint32_t permissions) noexcept;

// Reads the file at path, at most limit bytes; false when it cannot be opened or read.
bool ReadSmallFile(const std::string& path, std::size_t limit, std::string& text) noexcept;

// The directory of the predefined hives: UTILITY_REGISTRY_DIR when set, else the system's
// place for the current user's configuration or for the machine's.
std::string HiveDirectory(bool currentUser);

// Creates the directory that will hold path (and its parents), private to the user when new.
LONG EnsureParentDirectory(const std::string& path);

// A name beside path, unique to this process and call, for building a new hive.
std::string TemporarySibling(const std::string& path);

// Removes a temporary hive with its log files.
void RemoveTemporary(const std::string& temp) noexcept;

// Gives the complete hive at temp the name path, unless path exists already (another process
// won the race: its hive is kept and temp discarded). The directory entry is synced.
LONG PublishHiveFile(const std::string& temp, const std::string& path);

// Gives the complete hive at temp the name path in place of whatever file has it now, with
// that file's log, shared memory, key counter and damage mark, which belong to the old file.
LONG ReplaceHiveFile(const std::string& temp, const std::string& path);

}  // namespace utility::platform::registry
