// Running the host program from tests.
#include "support/RunProgram.h"

#include "support/Files.h"

#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace utility::testsupport {
ProgramResult RunProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                         const std::filesystem::path& workDir, const std::string& input,
                         const std::vector<std::string>& env) {
  const auto outFile = workDir / ".run.out";
  const auto errFile = workDir / ".run.err";
  const auto inFile = workDir / ".run.in";
  WriteBytes(inFile, input);
  std::string command = "cd " + ShellQuoted(workDir.string()) + " && env";
  for (const std::string& e : env) command += " " + ShellQuoted(e);
  command += " " + ShellQuoted(program.string());
  for (const std::string& a : args) command += " " + ShellQuoted(a);
  command += " <" + ShellQuoted(inFile.string()) + " >" + ShellQuoted(outFile.string()) + " 2>" +
             ShellQuoted(errFile.string());
  const int raw = std::system(command.c_str());
  ProgramResult r;
  r.status = (raw != -1 && WIFEXITED(raw)) ? WEXITSTATUS(raw) : -1;
  r.out = ReadBytes(outFile);
  r.err = ReadBytes(errFile);
  std::filesystem::remove(outFile);
  std::filesystem::remove(errFile);
  std::filesystem::remove(inFile);
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
  return std::filesystem::path(stage) / "bin" / "utility";
}

}  // namespace utility::testsupport
