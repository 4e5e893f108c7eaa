// Help pages, the demo and the bash completion, generated from the command table.
#include "Help.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iomanip>
#include <ostream>
#include <string>
#include <vector>

namespace utility::cli {

void PrintProgramHelp(std::ostream& out) {
  out << "usage: utility <group> <command> [options] [arguments]\n"
         "       utility demo | --version | --help | completion bash\n\n"
         "Every operation of the Utility library from a shell. Exit status: 0 success, 1 a\n"
         "negative answer or a failed operation, 2 bad usage. --json prints results as JSON.\n\n"
         "Groups:\n";
  std::size_t width = 0;
  for (const Group& g : Groups()) width = std::max(width, g.name.size());
  for (const Group& g : Groups()) {
    out << "  " << std::left << std::setw(static_cast<int>(width + 2)) << g.name << g.summary << '\n';
  }
  out << "\nExamples:\n"
         "  utility demo                          # a short tour; leaves nothing behind\n"
         "  utility names check 'my var'          # exit status 1: not a valid name\n"
         "  utility encoding to-ansi 中文 --json   # the bytes, for scripts\n"
         "  source <(utility completion bash)     # tab completion in this shell\n"
         "\nRun 'utility <group> --help' for a group's commands; start with 'utility demo'.\n";
}

void PrintGroupHelp(std::ostream& out, const Group& group) {
  out << "usage: utility " << group.name << " <command> [options] [arguments]\n\n"
      << group.summary << "\n\nCommands:\n";
  // The names' column is as wide as the longest name, so that a name never runs into its summary.
  std::size_t width = 0;
  for (const Command& c : group.commands) width = std::max(width, c.name.size());
  for (const Command& c : group.commands) {
    out << "  " << std::left << std::setw(static_cast<int>(width + 2)) << c.name << c.summary << '\n';
  }
  // The first example of each command, so that the group page shows the grammar in use.
  out << "\nExamples:\n";
  for (const Command& c : group.commands) {
    if (!c.examples.empty()) out << "  " << c.examples.front() << '\n';
  }
  out << "\nRun 'utility " << group.name << " <command> --help' for details and more examples.\n";
}

void PrintCommandHelp(std::ostream& out, const Command& command) {
  out << "usage: utility " << command.group << ' ' << command.name;
  if (!command.options.empty()) out << " [options]";
  if (!command.synopsis.empty()) out << ' ' << command.synopsis;
  out << "\n\n" << command.summary << "\n\nOptions:\n";
  for (const Option& o : command.options) {
    std::string head = "--" + o.name + (o.value.empty() ? "" : " " + o.value);
    out << "  " << std::left << std::setw(22) << head << o.help << '\n';
  }
  out << "  " << std::left << std::setw(22) << "--json"
      << "print the result as one JSON object\n";
  out << "  " << std::left << std::setw(22) << "--help"
      << "show this help\n";
  if (!command.examples.empty()) {
    out << "\nExamples:\n";
    for (const std::string& e : command.examples) out << "  " << e << '\n';
  }
}

void PrintBashCompletion(std::ostream& out) {
  out << "# bash completion for utility, generated from its command table\n"
         "_utility() {\n"
         "  local cur=${COMP_WORDS[COMP_CWORD]}\n"
         "  if [ \"$COMP_CWORD\" -eq 1 ]; then\n"
         "    COMPREPLY=($(compgen -W \"demo completion --help --version";
  for (const Group& g : Groups()) out << ' ' << g.name;
  out << "\" -- \"$cur\")); return\n  fi\n  case \"${COMP_WORDS[1]}\" in\n";
  for (const Group& g : Groups()) {
    out << "    " << g.name << ")\n      if [ \"$COMP_CWORD\" -eq 2 ]; then COMPREPLY=($(compgen -W \"--help";
    for (const Command& c : g.commands) out << ' ' << c.name;
    out << "\" -- \"$cur\")); return; fi\n      case \"${COMP_WORDS[2]}\" in\n";
    for (const Command& c : g.commands) {
      out << "        " << c.name << ") COMPREPLY=($(compgen -W \"--help --json";
      for (const Option& o : c.options) out << " --" << o.name;
      out << "\" -- \"$cur\")) ;;\n";
    }
    out << "      esac ;;\n";
  }
  out << "  esac\n}\ncomplete -F _utility utility\n";
}

namespace {

// The tour's order: what a new user meets first comes first.
const char* const kDemoOrder[] = {"names", "variant", "encoding", "bits",     "tracklog",
                                  "files", "reg",     "system",   "identity", "module"};

// A registry store of the demo's own: whatever the tour writes lands in a temporary directory
// removed at the end, never in the user's own hives.
class DemoSandbox {
 public:
  DemoSandbox() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != 0 ? base : "/tmp") + "/utility-demo-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return;
    m_root = pattern;
    if (const char* old = std::getenv("UTILITY_REGISTRY_DIR")) {
      m_saved = old;
      m_hadSaved = true;
    }
    setenv("UTILITY_REGISTRY_DIR", m_root.c_str(), 1);
  }
  ~DemoSandbox() {
    if (m_root.empty()) return;
    if (m_hadSaved) {
      setenv("UTILITY_REGISTRY_DIR", m_saved.c_str(), 1);
    } else {
      unsetenv("UTILITY_REGISTRY_DIR");
    }
    std::error_code ec;
    std::filesystem::remove_all(m_root, ec);
  }
  DemoSandbox(const DemoSandbox&) = delete;
  DemoSandbox& operator=(const DemoSandbox&) = delete;

 private:
  std::string m_root;
  std::string m_saved;
  bool m_hadSaved = false;
};

void RunGroupDemo(std::ostream& out, const Group& g) {
  out << "\n== " << g.name << ": " << g.summary << '\n';
  g.demo(out);
}

}  // namespace

void RunDemo(std::ostream& out) {
  out << "Utility demo: a short tour of the library. Nothing is left behind.\n";
  DemoSandbox sandbox;
  std::vector<const Group*> shown;
  for (const char* name : kDemoOrder) {
    for (const Group& g : Groups()) {
      if (g.name == name && g.demo != nullptr) {
        RunGroupDemo(out, g);
        shown.push_back(&g);
      }
    }
  }
  // A group not named in the order still takes part, after the others.
  for (const Group& g : Groups()) {
    bool done = false;
    for (const Group* s : shown) done = done || s == &g;
    if (!done && g.demo != nullptr) RunGroupDemo(out, g);
  }
}

}  // namespace utility::cli
