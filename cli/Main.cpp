// The host program's entry: finds the command in the table, parses its arguments, runs it and
// turns errors into one line on stderr and an exit status.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "Command.h"
#include "Help.h"

namespace {

using namespace cli;

const Group* FindGroup(const std::string& name) {
  for (const Group& g : Groups()) {
    if (g.name == name) return &g;
  }
  return nullptr;
}

const Command* FindCommand(const Group& group, const std::string& name) {
  for (const Command& c : group.commands) {
    if (c.name == name) return &c;
  }
  return nullptr;
}

const Option* FindOption(const Command& command, const std::string& name) {
  for (const Option& o : command.options) {
    if (o.name == name) return &o;
  }
  return nullptr;
}

Invocation Parse(const Command& command, const std::vector<std::string>& words) {
  Invocation inv;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    if (optionsEnded || w.size() < 3 || w.compare(0, 2, "--") != 0) {
      if (w == "--") {
        optionsEnded = true;
        continue;
      }
      inv.args.push_back(w);
      continue;
    }
    std::string name = w.substr(2);
    std::string value;
    const std::size_t eq = name.find('=');
    const bool hasValue = eq != std::string::npos;
    if (hasValue) {
      value = name.substr(eq + 1);
      name.erase(eq);
    }
    if (name == "json") {
      inv.json = true;
      continue;
    }
    const Option* option = FindOption(command, name);
    if (option == nullptr) throw UsageError("unknown option --" + name);
    if (option->value.empty()) {
      if (hasValue) throw UsageError("option --" + name + " takes no value");
      inv.flags[name] = true;
      continue;
    }
    if (!hasValue) {
      if (i + 1 >= words.size()) throw UsageError("option --" + name + " needs a value " + option->value);
      value = words[++i];
    }
    inv.options[name] = value;
  }
  if (inv.args.size() < command.minArgs) throw UsageError("missing argument: expected " + command.synopsis);
  if (inv.args.size() > command.maxArgs) throw UsageError("too many arguments: expected " + command.synopsis);
  return inv;
}

bool WantsHelp(const std::vector<std::string>& words) {
  for (const std::string& w : words) {
    if (w == "--") return false;
    if (w == "--help" || w == "-h") return true;
  }
  return false;
}

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
  const Group* group = FindGroup(argv[0]);
  if (group == nullptr) throw UsageError("unknown command group '" + argv[0] + "'");
  if (argv.size() == 1 || argv[1] == "--help" || argv[1] == "-h") {
    PrintGroupHelp(std::cout, *group);
    return argv.size() == 1 ? kExitUsage : kExitOk;
  }
  const Command* command = FindCommand(*group, argv[1]);
  if (command == nullptr) throw UsageError("unknown command '" + argv[1] + "' in group " + group->name);
  const std::vector<std::string> words(argv.begin() + 2, argv.end());
  if (WantsHelp(words)) {
    PrintCommandHelp(std::cout, *command);
    return kExitOk;
  }
  Invocation inv = Parse(*command, words);
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
    std::string hint = "utility --help";
    if (words.size() >= 2) {
      hint = "utility " + words[0] + " " + words[1] + " --help";
    } else if (words.size() == 1) {
      hint = "utility " + words[0] + " --help";
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
