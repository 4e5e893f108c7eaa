// The operating system's texts for error codes, for FormatMessageW.
#pragma once

#include <string>

#include "NativeTypes.h"

namespace utility::platform {

// NativeErrorText()
//
// The system's text for a Win32 error code, in UTF-8 and without a line end: in the user's
// language, or untranslated with english. False when the system has no text for the code.
// Throws std::bad_alloc when memory runs out.
//
// Example:
//   NativeErrorText(ERROR_FILE_NOT_FOUND, true, text) -> true, text == "No such file or directory"
bool NativeErrorText(NativeError code, bool english, std::string& utf8);

}  // namespace utility::platform
