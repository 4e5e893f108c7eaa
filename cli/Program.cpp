// The program's own commands: help, version, demo, completion, and the build's manpage. They
// are entries of a table like every group's, so help, completion and the manual list them.
#include <iostream>
#include <string>
#include <vector>

#include "Command.h"
#include "Completion.h"
#include "Help.h"
#include "ManPage.h"
#include "Parse.h"
#include "Suggest.h"

namespace utility::cli {
namespace {

std::vector<std::string> GroupNames() {
  std::vector<std::string> names;
  for (const Group& g : Groups()) names.push_back(g.name);
  return names;
}

const Group& GroupNamed(const std::string& name) {
  const Group* group = FindGroup(name);
  if (group == nullptr) throw UsageError("unknown command group " + Quoted(name) + DidYouMean(name, GroupNames()));
  return *group;
}

int Help(const Invocation& inv, Reply&) {
  if (inv.args.empty()) {
    PrintProgramHelp(std::cout);
    return kExitOk;
  }
  const Group& group = GroupNamed(inv.Arg(0));
  if (inv.args.size() == 1) {
    PrintGroupHelp(std::cout, group);
    return kExitOk;
  }
  PrintCommandHelp(std::cout, RequireCommand(group, inv.Arg(1)));
  return kExitOk;
}

int Version(const Invocation&, Reply& reply) {
  reply.Text("version", UTILITY_VERSION);
  reply.Human(std::string("utility ") + UTILITY_VERSION);
  return kExitOk;
}

int Demo(const Invocation&, Reply&) {
  RunDemo(std::cout);
  return kExitOk;
}

int Completion(const Invocation& inv, Reply&) {
  PrintCompletion(std::cout, inv.Arg(0));
  return kExitOk;
}

int ManPage(const Invocation& inv, Reply&) {
  if (inv.Flag("groups")) {
    for (const Group& g : Groups()) std::cout << g.name << '\n';
  } else if (inv.args.empty()) {
    PrintProgramManPage(std::cout);
  } else {
    PrintGroupManPage(std::cout, GroupNamed(inv.Arg(0)));
  }
  return kExitOk;
}

}  // namespace

// clang-format off
const std::vector<Command>& ProgramCommands() {
  static const std::vector<Command> commands = {
      {"", "help", {Optional(Choice("group", GroupNames())), Optional(Text("command"))},
       "show the help of the program, of a group or of a command", {},
       {"utility help", "utility help files", "utility help files list"}, Help},
      {"", "version", {}, "print the program's version (also -V and --version)", {},
       {"utility version", "utility -V"}, Version},
      {"", "demo", {}, "a short guided tour of the library; it leaves nothing behind", {},
       {"utility demo"}, Demo},
      {"", "completion", {Choice("shell", {"bash", "zsh", "fish"})},
       "print the tab completion script of a shell", {},
       {"source <(utility completion bash)", "utility completion zsh > ~/.zfunc/_utility",
        "utility completion fish > ~/.config/fish/completions/utility.fish"}, Completion},
      {"", "manpage", {Optional(Choice("group", GroupNames()))},
       "print the manual page of the program or of a group (roff)",
       {Flag("groups", "list the groups that have a page")}, {"utility manpage files | man -l -"}, ManPage, true},
  };
  return commands;
}
// clang-format on

}  // namespace utility::cli
