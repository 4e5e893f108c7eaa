// Running a program through the shell, which gives it its working directory, environment and
// redirections in one command line.
#include "support/Spawn.h"

#include <sys/wait.h>

#include <cstdlib>

#include "support/Files.h"

namespace utility::testsupport {

int RunToExit(const std::filesystem::path& program, const std::vector<std::string>& args,
              const std::filesystem::path& workDir, const std::vector<std::string>& env, const Streams& streams) {
  std::string command = "cd " + ShellQuoted(workDir.string()) + " && env";
  for (const std::string& e : env) command += " " + ShellQuoted(e);
  command += " " + ShellQuoted(program.string());
  for (const std::string& a : args) command += " " + ShellQuoted(a);
  command += " <" + ShellQuoted(streams.in.string()) + " >" + ShellQuoted(streams.out.string()) + " 2>" +
             ShellQuoted(streams.err.string());
  const int raw = std::system(command.c_str());
  return (raw != -1 && WIFEXITED(raw)) ? WEXITSTATUS(raw) : -1;
}

}  // namespace utility::testsupport
