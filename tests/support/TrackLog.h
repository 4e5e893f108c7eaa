// Reading a track log back: entries of a line of 58 equals signs, "yyyy/mm/dd hh:mm:ss.mmm : ",
// the text, and an empty line, all with CR LF.
#pragma once

#include <string>
#include <vector>

namespace utility::testsupport {

// The texts of the log's entries, in order. False at the first byte that is not part of a
// whole entry (a torn one included); *badAt then tells where. A text must not hold "\r\n\r\n".
bool TrackLogEntries(const std::string& log, std::vector<std::string>& texts, std::size_t* badAt = nullptr);

}  // namespace utility::testsupport
