// Where an installed copy of this package keeps the files that are not programs: loadable
// modules under the library directory, read-only data under the data directory (the layout of
// the Filesystem Hierarchy Standard, e.g. /usr/lib/x86_64-linux-gnu/utility and
// /usr/share/utility). Both are found from where the platform library itself lies, so a tree
// that is moved or unpacked elsewhere keeps finding its own files.
#pragma once

#include <Utility/Platform/Export.h>
#include <Utility/Platform/String.h>

namespace utility::platform {

// InstalledModuleDirectory()
//
// The package's directory of loadable modules, in the library's path form (backslashes), with
// no trailing separator; empty when the platform library's own location is unknown.
//
//   CString module = utility::platform::InstalledModuleDirectory() + u"\\DiskID.dll";
//   // e.g. u"\\usr\\lib\\x86_64-linux-gnu\\utility\\DiskID.dll"
UTILITY_PLATFORM_API CString InstalledModuleDirectory();

// InstalledDataDirectory()
//
// The package's directory of read-only data, in the same form; empty when unknown.
//
//   CString keywords = utility::platform::InstalledDataDirectory() + u"\\KeyWords.ini";
//   // e.g. u"\\usr\\share\\utility\\KeyWords.ini"
UTILITY_PLATFORM_API CString InstalledDataDirectory();

}  // namespace utility::platform
