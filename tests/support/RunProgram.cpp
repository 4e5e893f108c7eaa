// Running the host program from tests.
#include "support/RunProgram.h"

#include "support/Files.h"
#include "support/Spawn.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace utility::testsupport {

ProgramResult RunProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                         const std::filesystem::path& workDir, const std::string& input,
                         const std::vector<std::string>& env) {
  const Streams streams{workDir / ".run.in", workDir / ".run.out", workDir / ".run.err"};
  WriteBytes(streams.in, input);
  ProgramResult r;
  r.status = RunToExit(program, args, workDir, env, streams);
  r.out = ReadBytes(streams.out);
  r.err = ReadBytes(streams.err);
  for (const auto& file : {streams.in, streams.out, streams.err}) std::filesystem::remove(file);
  return r;
}

std::map<std::string, std::string> RunProbe(const std::filesystem::path& program) {
  std::map<std::string, std::string> out;
  const auto r = RunProgram(program, {}, program.parent_path());
  EXPECT_EQ(r.status, 0) << r.err;
  std::istringstream lines(r.out);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t eq = line.find('=');
    if (eq != std::string::npos) out[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return out;
}

std::string CommandLine(const std::vector<std::string>& args) {
  std::string line;
  for (const std::string& a : args) line += (line.empty() ? "" : " ") + a;
  return line;
}

std::filesystem::path UtilityProgram() {
  const char* stage = std::getenv("UTILITY_TEST_STAGE");
  if (stage == nullptr) throw std::runtime_error("UTILITY_TEST_STAGE is not set");
#ifdef _WIN32
  return std::filesystem::path(stage) / "bin" / "utility.exe";
#else
  return std::filesystem::path(stage) / "bin" / "utility";
#endif
}

}  // namespace utility::testsupport
