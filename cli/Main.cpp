// The host program's entry: finds the command in the table, parses its arguments, runs it and
// turns errors into one line on stderr and an exit status.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "Command.h"
#include "Help.h"
#include "ManPage.h"
#include "Parse.h"

namespace {

using namespace utility::cli;

int Run(const std::vector<std::string>& argv) {
  if (argv.empty() || argv[0] == "--help" || argv[0] == "-h" || argv[0] == "help") {
    PrintProgramHelp(std::cout);
    return argv.empty() ? kExitUsage : kExitOk;
  }
  if (argv[0] == "--version") {
    std::cout << "utility " << UTILITY_VERSION << '\n';
    return kExitOk;
  }
  if (argv[0] == "demo") {
    if (argv.size() > 1 && WantsHelp(argv)) {
      std::cout << "usage: utility demo\n\nA short guided tour of the library. It leaves nothing behind.\n";
      return kExitOk;
    }
    if (argv.size() > 1) throw UsageError("demo takes no arguments");
    RunDemo(std::cout);
    return kExitOk;
  }
  if (argv[0] == "completion") {
    if (argv.size() != 2 || argv[1] != "bash") throw UsageError("usage: utility completion bash");
    PrintBashCompletion(std::cout);
    return kExitOk;
  }
  if (argv[0] == "manpage") {
    // Used by the build to write the installed manual pages; --groups lists their names.
    if (argv.size() == 2 && argv[1] == "--groups") {
      for (const Group& g : Groups()) std::cout << g.name << '\n';
      return kExitOk;
    }
    if (argv.size() > 2) throw UsageError("usage: utility manpage [GROUP | --groups]");
    if (argv.size() == 1) {
      PrintProgramManPage(std::cout);
      return kExitOk;
    }
    const Group* group = FindGroup(argv[1]);
    if (group == nullptr) throw UsageError("unknown command group " + Quoted(argv[1]));
    PrintGroupManPage(std::cout, *group);
    return kExitOk;
  }
  const Group* group = FindGroup(argv[0]);
  if (group == nullptr) throw UsageError("unknown command group " + Quoted(argv[0]));
  if (argv.size() == 1 || argv[1] == "--help" || argv[1] == "-h") {
    PrintGroupHelp(std::cout, *group);
    return argv.size() == 1 ? kExitUsage : kExitOk;
  }
  const Command* command = FindCommand(*group, argv[1]);
  if (command == nullptr) throw UsageError("unknown command " + Quoted(argv[1]) + " in group " + group->name);
  const std::vector<std::string> words(argv.begin() + 2, argv.end());
  if (WantsHelp(words)) {
    PrintCommandHelp(std::cout, *command);
    return kExitOk;
  }
  Invocation inv = ParseInvocation(*command, words);
  Reply reply;
  const int status = command->run(inv, reply);
  reply.Print(inv.json);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> words(argv + 1, argv + argc);
  try {
    return Run(words);
  } catch (const UsageError& e) {
    std::cerr << "utility: " << e.what() << '\n';
    // The hint names only what the table knows, never a mistyped word.
    std::string hint = "utility --help";
    if (const Group* group = words.empty() ? nullptr : FindGroup(words[0])) {
      hint = "utility " + group->name + " --help";
      if (words.size() >= 2 && FindCommand(*group, words[1]) != nullptr) {
        hint = "utility " + group->name + " " + words[1] + " --help";
      }
    }
    std::cerr << "Try '" << hint << "'.\n";
    return kExitUsage;
  } catch (const Failure& e) {
    std::cerr << "utility: " << e.what() << '\n';
    return kExitNo;
  } catch (const std::exception& e) {
    std::cerr << "utility: " << e.what() << '\n';
    return kExitNo;
  }
}
