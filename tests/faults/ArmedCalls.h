// The rule both fault layers follow: among the calls of the armed kinds on files inside one
// directory, the nth (counting from 1) gets the fault. The C library hooks and the VFS shim
// each keep one of these under their own lock.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace faults {

struct ArmedCalls {
  std::string directory;  // with a trailing '/'
  std::string canonical;  // the same, symbolic links resolved
  unsigned calls = 0;     // the armed kinds, as bits
  int nth = 0;
  int seen = 0;  // armed calls counted so far
  bool fired = false;

  void Arm(const std::filesystem::path& dir, unsigned kinds, int n) {
    std::error_code ec;
    *this = ArmedCalls{dir.string() + "/", std::filesystem::canonical(dir, ec).string() + "/", kinds, n};
  }
  void Disarm() { *this = ArmedCalls{}; }

  bool Inside(std::string_view path) const {
    const auto under = [&](const std::string& dir) { return !dir.empty() && path.substr(0, dir.size()) == dir; };
    return under(directory) || under(canonical);
  }

  // Counts a call of kind `call` inside the directory; true when it is the one to fail.
  bool Hit(unsigned call) {
    if ((calls & call) == 0 || ++seen != nth) return false;
    fired = true;
    return true;
  }
};

}  // namespace faults
