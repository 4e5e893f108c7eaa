// Keyword lookups against a keyword file. The file is read whole on every lookup; what it
// parses to is remembered per file and reused only while the file's bytes are exactly the
// bytes it was parsed from, so an edit of any kind counts at the very next lookup.
#pragma once

#include <Utility/Platform/String.h>

namespace utility::names {

// True when the word, upper-cased (not trimmed), is an entry of the keyword file at
// filePath (a library path). A missing, unreadable or non-regular file, or a path of
// MAX_PATH units or more, has no entries.
bool IsKeyWordIn(const CString& filePath, const CString& word);

}  // namespace utility::names
