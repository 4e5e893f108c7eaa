// Whole-file reads for data files that a library reads in one go (keyword lists and the like).
#pragma once

#include <Utility/Platform/Export.h>

#include <string>

namespace utility::platform {

// ReadRegularFile()
//
// Reads every byte of the regular file at a native path (see <Utility/Platform/Path.h>) into
// bytes and returns true; returns false, leaving bytes as they were, when the file cannot be
// opened or read. Opening never blocks (a FIFO would wait for a writer) and only regular files
// are read, so a directory, a device or a FIFO at the path counts as a file that cannot be
// opened.
//
//   std::string bytes;
//   if (utility::platform::ReadRegularFile(utility::platform::NativePath(CString(u"/opt/app/KeyWords.ini")), bytes)) {
//     // bytes holds the file
//   }
UTILITY_PLATFORM_API bool ReadRegularFile(const std::string& nativePath, std::string& bytes);

}  // namespace utility::platform
