// Hive files on disk: where the predefined hives lie, and how a new hive file appears
// atomically under its final name.
#pragma once

#include <string>

#include <Utility/Platform/Types.h>

namespace registry {

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

// The Win32 code of an errno value from a file-system call.
LONG ErrorFromErrno(int error) noexcept;

}  // namespace registry
