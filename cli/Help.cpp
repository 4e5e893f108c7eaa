// Help pages, the demo and the bash completion, generated from the command table.
#include "Help.h"

#include <algorithm>
#include <filesystem>
#include <iomanip>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "Command.h"
#include "HostProcess.h"

namespace utility::cli {

namespace {

// A table's first column as wide as its longest entry, so that no name runs into its text.
void Table(std::ostream& out, const std::vector<std::pair<std::string, std::string>>& rows) {
  std::size_t width = 0;
  for (const auto& row : rows) width = std::max(width, row.first.size());
  for (const auto& [name, text] : rows) {
    out << "  " << std::left << std::setw(static_cast<int>(width + 2)) << name << text << '\n';
  }
}

// What the help says a value must be, beyond its placeholder: a range, or the choices too
// many for the placeholder to show.
std::string KindNote(const Value& v) {
  if (v.kind == Kind::Integer) return " (" + std::to_string(v.min) + " to " + std::to_string(v.max) + ")";
  if (v.kind == Kind::Choice && v.choices.size() > 3) return " (one of: " + Listed(v.choices) + ")";
  return "";
}

}  // namespace

void PrintProgramHelp(std::ostream& out) {
  out << "usage: utility <group> <command> [options] [arguments]\n"
         "       utility help [<group> [<command>]] | version | demo | completion bash|zsh|fish\n\n"
         "Every operation of the Utility library from a shell. Exit status: 0 success, 1 a\n"
         "negative answer or a failed operation, 2 bad usage, 3 a file the library needs is not\n"
         "installed. --json prints results as JSON; -V prints the version.\n\n"
         "Groups:\n";
  std::vector<std::pair<std::string, std::string>> rows;
  for (const Group& g : Groups()) rows.emplace_back(g.name, g.summary);
  Table(out, rows);
  out << "\nCommands:\n";
  rows.clear();
  for (const Command& c : ProgramCommands()) {
    if (!c.hidden) rows.emplace_back(c.name, c.summary);
  }
  Table(out, rows);
  out << "\nExamples:\n"
         "  utility demo                          # a short tour; leaves nothing behind\n"
         "  utility names check 'my var'          # exit status 1: not a valid name\n"
         "  utility encoding to-ansi 中文 --json   # the bytes, for scripts\n"
         "  source <(utility completion bash)     # tab completion in this shell\n"
         "\nRun 'utility help <group>' for a group's commands; start with 'utility demo'.\n";
}

void PrintGroupHelp(std::ostream& out, const Group& group) {
  out << "usage: utility " << group.name << " <command> [options] [arguments]\n\n"
      << group.summary << "\n\nCommands:\n";
  std::vector<std::pair<std::string, std::string>> rows;
  for (const Command& c : group.commands) rows.emplace_back(c.name, c.summary);
  Table(out, rows);
  // The first example of each command, so that the group page shows the grammar in use.
  out << "\nExamples:\n";
  for (const Command& c : group.commands) {
    if (!c.examples.empty()) out << "  " << c.examples.front() << '\n';
  }
  out << "\nRun 'utility " << group.name << " <command> --help' for details and more examples.\n";
}

std::string CommandWords(const Command& command) {
  return command.group.empty() ? command.name : command.group + " " + command.name;
}

void PrintCommandHelp(std::ostream& out, const Command& command) {
  out << "usage: utility " << CommandWords(command);
  if (!command.options.empty()) out << " [options]";
  const std::string synopsis = Synopsis(command);
  if (!synopsis.empty()) out << ' ' << synopsis;
  out << "\n\n" << command.summary << '\n';
  std::vector<std::pair<std::string, std::string>> rows;
  for (const Value& a : command.args) {
    if (a.kind == Kind::Integer || a.kind == Kind::Input || (a.kind == Kind::Choice && a.choices.size() > 3)) {
      rows.emplace_back(Placeholder(a),
                        a.kind == Kind::Input ? "a file, or - for standard input" : KindNote(a).substr(1));
    }
  }
  if (!rows.empty()) {
    out << "\nArguments:\n";
    Table(out, rows);
  }
  rows.clear();
  for (const Option* o : AllOptions(command)) {
    std::string head = o->shortName != 0 ? std::string("-") + o->shortName + ", --" + o->name : "    --" + o->name;
    if (!o->value.name.empty()) head += " " + Placeholder(o->value);
    rows.emplace_back(head, o->help + (o->value.name.empty() ? "" : KindNote(o->value)));
  }
  out << "\nOptions:\n";
  Table(out, rows);
  if (!command.examples.empty()) {
    out << "\nExamples:\n";
    for (const std::string& e : command.examples) out << "  " << e << '\n';
  }
}

namespace {

// The tour's order: what a new user meets first comes first.
const char* const kDemoOrder[] = {"names", "variant", "encoding", "bits",     "tracklog",
                                  "files", "reg",     "system",   "identity", "module"};

// A registry store of the demo's own: whatever the tour writes lands in a temporary directory
// removed at the end, never in the user's own hives.
class DemoSandbox {
 public:
  DemoSandbox() : m_root(MakeTemporaryDirectory("utility-demo-")) {
    if (m_root.empty()) return;
    m_saved = Variable("UTILITY_REGISTRY_DIR");
    SetVariable("UTILITY_REGISTRY_DIR", m_root);
  }
  ~DemoSandbox() {
    if (m_root.empty()) return;
    SetVariable("UTILITY_REGISTRY_DIR", m_saved);
    std::error_code ec;
    std::filesystem::remove_all(FsPath(m_root), ec);
  }
  DemoSandbox(const DemoSandbox&) = delete;
  DemoSandbox& operator=(const DemoSandbox&) = delete;

 private:
  std::string m_root;
  std::optional<std::string> m_saved;
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
