// The command-line parser of the host program.
#include "Parse.h"

#include <algorithm>

#include "Suggest.h"

namespace utility::cli {
namespace {

const Option* FindOption(const Command& command, const std::string& name) {
  for (const Option* o : AllOptions(command)) {
    if (o->name == name) return o;
  }
  return nullptr;
}

const Option* FindShort(const Command& command, char letter) {
  for (const Option* o : AllOptions(command)) {
    if (o->shortName == letter) return o;
  }
  return nullptr;
}

std::vector<std::string> OptionNames(const Command& command) {
  std::vector<std::string> names;
  for (const Option* o : AllOptions(command)) names.push_back("--" + o->name);
  return names;
}

std::string Expected(const Command& command) {
  const std::string synopsis = Synopsis(command);
  return synopsis.empty() ? "no arguments" : synopsis;
}

// A word that is a short option: "-y", not "-", "-5" or "-0x10" (negative numbers are arguments).
bool IsShortOption(const std::string& w) {
  return w.size() == 2 && w[0] == '-' && ((w[1] >= 'a' && w[1] <= 'z') || (w[1] >= 'A' && w[1] <= 'Z'));
}

// Checks one value against its kind; the message names the value as the table does.
void CheckValue(const Value& expected, const std::string& text) {
  const std::string& what = expected.Described();
  switch (expected.kind) {
    case Kind::Integer:
      ParseInteger(text, what, expected.min, expected.max);
      break;
    case Kind::Number:
      ParseNumber(text, what);
      break;
    case Kind::Choice:
      if (std::find(expected.choices.begin(), expected.choices.end(), text) == expected.choices.end()) {
        throw UsageError("unknown " + what + " " + Quoted(text) + " (one of " + Listed(expected.choices) + ")" +
                         DidYouMean(text, expected.choices));
      }
      break;
    case Kind::Path:
    case Kind::Input:
      if (text.empty()) throw UsageError("an empty " + what + " names no file");
      break;
    case Kind::Text:
    case Kind::VariantType:
      break;
  }
}

void SetOption(Invocation& inv, const Option& option, bool hasValue, std::string value) {
  if (option.value.name.empty()) {
    if (hasValue) throw UsageError("option --" + option.name + " takes no value");
    if (&option == &kJsonOption) {
      inv.json = true;
    } else if (&option == &kLibraryPathsOption) {
      inv.libraryPaths = true;
    } else {
      inv.flags[option.name] = true;
    }
    return;
  }
  CheckValue(option.value, value);
  inv.options[option.name] = std::move(value);
}

void CheckCount(const Command& command, const Invocation& inv) {
  const std::size_t given = inv.args.size();
  const std::size_t required = static_cast<std::size_t>(
      std::count_if(command.args.begin(), command.args.end(), [](const Value& v) { return !v.optional; }));
  if (given < required) {
    throw UsageError("missing argument: " + command.name + " expects " + Expected(command) + ", " +
                     std::to_string(given) + " given");
  }
  if (given > command.args.size()) {
    throw UsageError("too many arguments: " + command.name + " expects " + Expected(command) + ", " +
                     std::to_string(given) + " given (the first extra one is " + Quoted(inv.args[command.args.size()]) +
                     ")");
  }
}

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

const Command& RequireCommand(const Group& group, const std::string& name) {
  if (const Command* command = FindCommand(group, name)) return *command;
  std::vector<std::string> names;
  for (const Command& c : group.commands) names.push_back(c.name);
  throw UsageError("unknown command " + Quoted(name) + " in group " + group.name + DidYouMean(name, names));
}

const Command* FindProgramCommand(const std::string& name) {
  for (const Command& c : ProgramCommands()) {
    if (c.name == name) return &c;
  }
  return nullptr;
}

Invocation ParseInvocation(const Command& command, const std::vector<std::string>& words) {
  Invocation inv;
  inv.command = &command;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    if (!optionsEnded && w == "--") {
      optionsEnded = true;
      continue;
    }
    if (!optionsEnded && IsShortOption(w)) {
      const Option* option = FindShort(command, w[1]);
      if (option == nullptr) throw UsageError("unknown option " + Quoted(w));
      std::string value;
      if (!option->value.name.empty()) {
        if (i + 1 >= words.size()) throw UsageError("option " + w + " needs a value " + Placeholder(option->value));
        value = words[++i];
      }
      SetOption(inv, *option, false, value);
      continue;
    }
    if (optionsEnded || w.size() < 3 || w.compare(0, 2, "--") != 0) {
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
    const Option* option = FindOption(command, name);
    if (option == nullptr) {
      throw UsageError("unknown option " + Quoted("--" + name) + DidYouMean("--" + name, OptionNames(command)));
    }
    if (!option->value.name.empty() && !hasValue) {
      if (i + 1 >= words.size()) {
        throw UsageError("option --" + name + " needs a value " + Placeholder(option->value));
      }
      value = words[++i];
    }
    SetOption(inv, *option, hasValue, std::move(value));
  }
  CheckCount(command, inv);
  for (std::size_t i = 0; i < inv.args.size(); ++i) CheckValue(command.args[i], inv.args[i]);
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
