// The completion scripts (see Completion.h). Every script is a table of the same facts: for each
// command its options, which of them take a value and of what kind, and the kind of each
// positional argument.
#include "Completion.h"

#include <ostream>
#include <string>
#include <vector>

#include "Command.h"

namespace utility::cli {
namespace {

// Every command as the shells reach it: "files list" for a group's, "help" for the program's.
struct Entry {
  std::string words;
  const Command* command;
};

std::vector<Entry> Entries() {
  std::vector<Entry> entries;
  for (const Command& c : ProgramCommands()) {
    if (!c.hidden) entries.push_back({c.name, &c});
  }
  for (const Group& g : Groups()) {
    for (const Command& c : g.commands) entries.push_back({g.name + " " + c.name, &c});
  }
  return entries;
}

bool IsFile(const Value& v) { return v.kind == Kind::Path || v.kind == Kind::Input; }

std::string Words(const std::vector<std::string>& words) {
  std::string out;
  for (const std::string& w : words) out += (out.empty() ? "" : " ") + w;
  return out;
}

// Text inside single quotes of a shell script.
std::string SingleQuoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// A word list that the shell reads once more before it offers the words (bash's compgen -W,
// fish's complete -a): blank-separated, with each backslash written twice.
std::string ListedWords(const std::vector<std::string>& words) {
  std::string out;
  for (const std::string& w : words) {
    if (!out.empty()) out += ' ';
    for (char c : w) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
  }
  return out;
}

// bash: what completion offers for a value: "file", "words ...", or "" (free text: nothing).
std::string BashOffer(const Value& v) {
  if (IsFile(v)) return "file";
  if (!v.choices.empty()) return "words " + ListedWords(v.choices);
  return "";
}

void PrintBash(std::ostream& out) {
  out << "# bash completion for utility, generated from its command table\n"
         "_utility_table() {  # $1: the command's words, $2: options | option:--NAME | arg:N\n"
         "  case \"$1|$2\" in\n";
  for (const Entry& e : Entries()) {
    std::string options;
    for (const Option* o : AllOptions(*e.command)) {
      options += (options.empty() ? "--" : " --") + o->name;
      if (o->shortName != 0) options += std::string(" -") + o->shortName;
      if (!o->value.name.empty()) {
        const std::string offer = BashOffer(o->value);
        std::vector<std::string> forms{"--" + o->name};
        if (o->shortName != 0) forms.push_back(std::string("-") + o->shortName);
        for (const std::string& form : forms) {
          out << "    " << SingleQuoted(e.words + "|option:" + form) << ") echo " << SingleQuoted("value " + offer)
              << " ;;\n";
        }
      }
    }
    out << "    " << SingleQuoted(e.words + "|options") << ") echo " << SingleQuoted(options) << " ;;\n";
    for (std::size_t i = 0; i < e.command->args.size(); ++i) {
      const std::string offer = BashOffer(e.command->args[i]);
      if (!offer.empty()) {
        out << "    " << SingleQuoted(e.words + "|arg:" + std::to_string(i)) << ") echo " << SingleQuoted(offer)
            << " ;;\n";
      }
    }
  }
  out << "  esac\n}\n"
         "_utility_offer() {  # $1: what to offer: file, or words ...\n"
         "  case $1 in\n"
         "    file) compopt -o filenames 2>/dev/null; COMPREPLY=($(compgen -f -- \"$cur\")) ;;\n"
         "    words\\ *) COMPREPLY=($(compgen -W \"${1#words }\" -- \"$cur\")) ;;\n"
         "  esac\n}\n"
         "_utility() {\n"
         "  local cur=${COMP_WORDS[COMP_CWORD]} cmd first offer i n=0\n"
         "  COMPREPLY=()\n"
         "  if [ \"$COMP_CWORD\" -eq 1 ]; then\n"
         "    COMPREPLY=($(compgen -W \"--help --version -V";
  for (const Command& c : ProgramCommands()) {
    if (!c.hidden) out << ' ' << c.name;
  }
  for (const Group& g : Groups()) out << ' ' << g.name;
  out << "\" -- \"$cur\")); return\n  fi\n  case ${COMP_WORDS[1]} in\n";
  for (const Group& g : Groups()) {
    std::vector<std::string> names{"--help"};
    for (const Command& c : g.commands) names.push_back(c.name);
    out << "    " << g.name << ")\n      if [ \"$COMP_CWORD\" -eq 2 ]; then COMPREPLY=($(compgen -W "
        << SingleQuoted(Words(names)) << " -- \"$cur\")); return; fi\n"
        << "      cmd=\"${COMP_WORDS[1]} ${COMP_WORDS[2]}\"; first=3 ;;\n";
  }
  out << "    *) cmd=${COMP_WORDS[1]}; first=2 ;;\n  esac\n"
         "  # Count the arguments before the cursor, skipping the values of options.\n"
         "  for ((i = first; i < COMP_CWORD; i++)); do\n"
         "    case ${COMP_WORDS[i]} in\n"
         "      -[a-zA-Z-]*) offer=$(_utility_table \"$cmd\" \"option:${COMP_WORDS[i]%%=*}\")\n"
         "           [ -n \"$offer\" ] && [[ ${COMP_WORDS[i]} != *=* ]] && ((i++)) ;;\n"
         "      *) ((n++)) ;;\n"
         "    esac\n"
         "  done\n"
         "  offer=$(_utility_table \"$cmd\" \"option:${COMP_WORDS[COMP_CWORD-1]}\")\n"
         "  if [ \"$COMP_CWORD\" -gt \"$first\" ] && [ -n \"$offer\" ]; then _utility_offer \"${offer#value }\"; "
         "return; "
         "fi\n"
         "  if [[ $cur == -* ]]; then COMPREPLY=($(compgen -W \"$(_utility_table \"$cmd\" options)\" -- \"$cur\")); "
         "return; fi\n"
         "  _utility_offer \"$(_utility_table \"$cmd\" \"arg:$n\")\"\n"
         "}\n"
         "complete -F _utility utility\n";
}

// zsh: one _arguments call per command. Help texts lose the characters _arguments reads.
std::string ZshText(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '[' || c == ']' || c == ':' || c == '\\') out += '\\';
    out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return out;
}

std::string ZshAction(const Value& v) {
  if (IsFile(v)) return "_files";
  if (!v.choices.empty()) {
    std::string words;
    for (const std::string& c : v.choices) {
      for (char ch : c)
        words += (ch == '\\' || ch == ' ' || ch == '(' || ch == ')') ? std::string("\\\\") + ch : std::string(1, ch);
      words += ' ';
    }
    if (!words.empty()) words.pop_back();
    return "(" + words + ")";
  }
  return " ";
}

void PrintZshArguments(std::ostream& out, const Command& command, const std::string& indent) {
  out << indent << "_arguments -s";
  for (const Option* o : AllOptions(command)) {
    const std::string help = "[" + ZshText(o->help) + "]";
    const std::string value = o->value.name.empty() ? "" : ":" + ZshText(o->value.name) + ":" + ZshAction(o->value);
    if (o->shortName != 0) {
      out << " '(-" << o->shortName << " --" << o->name << ")'{-" << o->shortName << ",--" << o->name << "}'" << help
          << value << "'";
    } else {
      out << " '--" << o->name << (o->value.name.empty() ? "" : "=") << help << value << "'";
    }
  }
  for (std::size_t i = 0; i < command.args.size(); ++i) {
    const Value& a = command.args[i];
    out << " '" << i + 1 << (a.optional ? "::" : ":") << ZshText(a.name) << ":" << ZshAction(a) << "'";
  }
  out << '\n';
}

std::string ZshDescribed(const std::string& name, const std::string& summary) {
  return SingleQuoted(name + ":" + summary);
}

void PrintZsh(std::ostream& out) {
  out << "#compdef utility\n# zsh completion for utility, generated from its command table\n"
         "_utility() {\n"
         "  local -a entries\n"
         "  if (( CURRENT == 2 )); then\n"
         "    entries=(";
  for (const Command& c : ProgramCommands()) {
    if (!c.hidden) out << ' ' << ZshDescribed(c.name, c.summary);
  }
  for (const Group& g : Groups()) out << ' ' << ZshDescribed(g.name, g.summary);
  out << ")\n    _describe -t commands 'utility command' entries; return\n  fi\n  case $words[2] in\n";
  for (const Command& c : ProgramCommands()) {
    if (c.hidden) continue;
    out << "    " << c.name << ")\n      shift words; (( CURRENT-- ))\n";
    PrintZshArguments(out, c, "      ");
    out << "      ;;\n";
  }
  for (const Group& g : Groups()) {
    out << "    " << g.name << ")\n      if (( CURRENT == 3 )); then\n        entries=(";
    for (const Command& c : g.commands) out << ' ' << ZshDescribed(c.name, c.summary);
    out << ")\n        _describe -t commands '" << g.name << " command' entries; return\n      fi\n"
        << "      shift 2 words; (( CURRENT -= 2 ))\n      case $words[1] in\n";
    for (const Command& c : g.commands) {
      out << "        " << c.name << ")\n";
      PrintZshArguments(out, c, "          ");
      out << "          ;;\n";
    }
    out << "      esac ;;\n";
  }
  out << "  esac\n}\n"
         "if [ \"$funcstack[1]\" = _utility ]; then _utility \"$@\"; else compdef _utility utility; fi\n";
}

// Text inside single quotes of a fish script, where a backslash escapes a quote or itself.
std::string FishQuoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'' || c == '\\') out += '\\';
    out += c;
  }
  return out + "'";
}

// fish: conditions on the words typed so far, from helper functions defined first.
void PrintFish(std::ostream& out) {
  out << "# fish completion for utility, generated from its command table\n"
         "function __utility_at  # true when the words so far are exactly the arguments\n"
         "    set -l w (commandline -opc)\n"
         "    test \"$w[2..-1]\" = \"$argv\"\n"
         "end\n"
         "function __utility_in  # true when the words so far start with the arguments\n"
         "    set -l w (commandline -opc)\n"
         "    set -l n (math (count $argv) + 1)\n"
         "    test (count $w) -ge $n; and test \"$w[2..$n]\" = \"$argv\"\n"
         "end\n"
         "complete -c utility -f\n"
         "complete -c utility -n '__utility_at' -s V -l version -d 'print the version'\n";
  for (const Command& c : ProgramCommands()) {
    if (!c.hidden)
      out << "complete -c utility -n '__utility_at' -a " << c.name << " -d " << FishQuoted(c.summary) << '\n';
  }
  for (const Group& g : Groups()) {
    out << "complete -c utility -n '__utility_at' -a " << g.name << " -d " << FishQuoted(g.summary) << '\n';
    for (const Command& c : g.commands) {
      out << "complete -c utility -n '__utility_at " << g.name << "' -a " << c.name << " -d " << FishQuoted(c.summary)
          << '\n';
    }
  }
  for (const Entry& e : Entries()) {
    const std::string in = "-n " + FishQuoted("__utility_in " + e.words);
    for (const Option* o : AllOptions(*e.command)) {
      out << "complete -c utility " << in << " -l " << o->name;
      if (o->shortName != 0) out << " -s " << o->shortName;
      if (!o->value.name.empty()) {
        out << (IsFile(o->value) ? " -r -F" : " -x");
        if (!o->value.choices.empty()) out << " -a " << FishQuoted(ListedWords(o->value.choices));
      }
      out << " -d " << FishQuoted(o->help) << '\n';
    }
    // Positional words: the choices of any argument, and file names when one is a path.
    std::vector<std::string> words;
    bool files = false;
    for (const Value& a : e.command->args) {
      files = files || IsFile(a);
      words.insert(words.end(), a.choices.begin(), a.choices.end());
    }
    if (files) out << "complete -c utility " << in << " -F\n";
    if (!words.empty()) out << "complete -c utility " << in << " -a " << FishQuoted(ListedWords(words)) << '\n';
  }
}

}  // namespace

void PrintCompletion(std::ostream& out, const std::string& shell) {
  if (shell == "zsh") {
    PrintZsh(out);
  } else if (shell == "fish") {
    PrintFish(out);
  } else {
    PrintBash(out);
  }
}

}  // namespace utility::cli
