// The command-line parser of the host program.
#include "Parse.h"

namespace utility::cli {

namespace {

const Option* FindOption(const Command& command, const std::string& name) {
  for (const Option& o : command.options) {
    if (o.name == name) return &o;
  }
  return nullptr;
}

std::string Expected(const Command& command) { return command.synopsis.empty() ? "no arguments" : command.synopsis; }

}  // namespace

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

Invocation ParseInvocation(const Command& command, const std::vector<std::string>& words) {
  Invocation inv;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    if (optionsEnded || w.size() < 3 || w.compare(0, 2, "--") != 0) {
      if (w == "--" && !optionsEnded) {
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
      if (hasValue) throw UsageError("option --json takes no value");
      inv.json = true;
      continue;
    }
    const Option* option = FindOption(command, name);
    if (option == nullptr) throw UsageError("unknown option " + Quoted("--" + name));
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
  const std::size_t given = inv.args.size();
  if (given < command.minArgs) {
    throw UsageError("missing argument: " + command.name + " expects " + Expected(command) + ", " +
                     std::to_string(given) + " given");
  }
  if (given > command.maxArgs) {
    throw UsageError("too many arguments: " + command.name + " expects " + Expected(command) + ", " +
                     std::to_string(given) + " given (the first extra one is " + Quoted(inv.args[command.maxArgs]) +
                     ")");
  }
  return inv;
}

bool WantsHelp(const std::vector<std::string>& words) {
  for (const std::string& w : words) {
    if (w == "--") return false;
    if (w == "--help" || w == "-h") return true;
  }
  return false;
}

}  // namespace utility::cli
