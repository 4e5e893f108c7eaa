// Running a program through the shell, which gives it its working directory, environment and
// redirections in one command line.
#include "support/RunProgram.h"

#include <sys/wait.h>

#include <cstdlib>

#include "support/Files.h"

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

}  // namespace utility::testsupport
