// Reading a track log back.
#include "support/TrackLog.h"

namespace utility::testsupport {
namespace {

bool IsStamp(const std::string& log, std::size_t at) {
  if (log.size() < at + 26 || log.compare(at + 23, 3, " : ") != 0) return false;
  for (std::size_t i = 0; i < 23; ++i) {
    const char c = log[at + i];
    const char want = i == 4 || i == 7 ? '/' : i == 10 ? ' ' : i == 13 || i == 16 ? ':' : i == 19 ? '.' : '0';
    if (want == '0' ? (c < '0' || c > '9') : c != want) return false;
  }
  return true;
}

}  // namespace

bool TrackLogEntries(const std::string& log, std::vector<std::string>& texts, std::size_t* badAt) {
  const std::string head = std::string(58, '=') + "\r\n";
  std::size_t at = 0;
  while (at < log.size()) {
    if (badAt != nullptr) *badAt = at;
    if (log.compare(at, head.size(), head) != 0 || !IsStamp(log, at + head.size())) return false;
    at += head.size() + 26;
    const std::size_t end = log.find("\r\n\r\n", at);
    if (end == std::string::npos) return false;
    texts.push_back(log.substr(at, end - at));
    at = end + 4;
  }
  return true;
}

}  // namespace utility::testsupport
