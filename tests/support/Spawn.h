// The system's part of RunProgram: runs program with args in workDir, env added to its
// environment, its standard streams the three files; its exit status, or -1 when it did not
// exit normally (posix/RunProgram.cpp, win32/RunProgram.cpp).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace utility::testsupport {

struct Streams {
  std::filesystem::path in, out, err;
};

int RunToExit(const std::filesystem::path& program, const std::vector<std::string>& args,
              const std::filesystem::path& workDir, const std::vector<std::string>& env, const Streams& streams);

}  // namespace utility::testsupport
