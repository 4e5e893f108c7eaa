// Runs a program as a user would from a shell and captures what it printed and its exit status.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace utility::testsupport {

struct ProgramResult {
  int status = -1;  // exit status, or -1 when it did not exit normally
  std::string out;
  std::string err;
};

// Runs program with args (no shell interpretation of the args) in workDir, with input on its
// standard input and env ("NAME=value") added to its environment. The output is captured
// through files in workDir, removed afterwards.
ProgramResult RunProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                         const std::filesystem::path& workDir, const std::string& input = "",
                         const std::vector<std::string>& env = {});

// Runs a probe program that prints "key=value" lines and returns them by key. A probe that
// does not exit with status 0 fails the calling test.
std::map<std::string, std::string> RunProbe(const std::filesystem::path& program);

// The arguments joined by blanks, for SCOPED_TRACE.
std::string CommandLine(const std::vector<std::string>& args);

// The staged host program of this build (stage/bin/utility).
std::filesystem::path UtilityProgram();

}  // namespace utility::testsupport
