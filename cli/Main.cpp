// The host program's entry: finds the command in the table, parses its arguments, runs it and
// turns errors into one line on stderr, a hint that works, and an exit status.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "Command.h"
#include "Help.h"
#include "HostProcess.h"
#include "Parse.h"
#include "Suggest.h"

namespace {

using namespace utility::cli;

std::vector<std::string> FirstWords() {
  std::vector<std::string> names;
  for (const Group& g : Groups()) names.push_back(g.name);
  for (const Command& c : ProgramCommands()) {
    if (!c.hidden) names.push_back(c.name);
  }
  return names;
}

int RunCommand(const Command& command, const std::vector<std::string>& words) {
  if (WantsHelp(words)) {
    PrintCommandHelp(std::cout, command);
    return kExitOk;
  }
  const Invocation inv = ParseInvocation(command, words);
  Reply reply;
  const int status = command.run(inv, reply);
  reply.Print(inv.json, inv.libraryPaths);
  return status;
}

int Run(const std::vector<std::string>& argv) {
  if (argv.empty()) throw UsageError("a command group is missing");
  const std::string& first = argv[0];
  if (first == "--help" || first == "-h") {
    PrintProgramHelp(std::cout);
    return kExitOk;
  }
  if (first == "--version" || first == "-V") return RunCommand(*FindProgramCommand("version"), {});
  if (const Command* command = FindProgramCommand(first)) {
    return RunCommand(*command, std::vector<std::string>(argv.begin() + 1, argv.end()));
  }
  const Group* group = FindGroup(first);
  if (group == nullptr) throw UsageError("unknown command group " + Quoted(first) + DidYouMean(first, FirstWords()));
  if (argv.size() == 1) throw UsageError("a command is missing after '" + group->name + "'");
  if (argv[1] == "--help" || argv[1] == "-h") {
    PrintGroupHelp(std::cout, *group);
    return kExitOk;
  }
  return RunCommand(RequireCommand(*group, argv[1]), std::vector<std::string>(argv.begin() + 2, argv.end()));
}

// The help page that covers the words given: never one of a mistyped word.
std::string Hint(const std::vector<std::string>& words) {
  if (words.empty()) return "utility --help";
  if (const Command* command = FindProgramCommand(words[0])) return "utility " + command->name + " --help";
  const Group* group = FindGroup(words[0]);
  if (group == nullptr) return "utility --help";
  if (words.size() >= 2 && FindCommand(*group, words[1]) != nullptr) {
    return "utility " + group->name + " " + words[1] + " --help";
  }
  return "utility " + group->name + " --help";
}

}  // namespace

int main(int argc, char** argv) {
  UseByteStreams();
  const std::vector<std::string> words = Arguments(argc, argv);
  try {
    return Run(words);
  } catch (const UsageError& e) {
    std::cerr << "utility: " << e.what() << "\nTry '" << Hint(words) << "'.\n";
    return kExitUsage;
  } catch (const MissingFile& e) {
    std::cerr << "utility: " << e.what() << '\n';
    return kExitMissing;
  } catch (const std::exception& e) {
    std::cerr << "utility: " << e.what() << '\n';
    return kExitNo;
  }
}
