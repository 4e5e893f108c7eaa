// The host program's command-line parser with any words, for every command of the table: it
// parses or throws a usage error whose message stays short whatever it quotes, and a parsed
// command line written back out in canonical form parses to the same invocation.
//
// Input layout: byte 0 picks the group, byte 1 the command; the rest, split at zero bytes, are
// the words after the command's name.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Parse.h"

namespace {

using namespace utility::cli;

// The longest message the parser may write: fixed text, a synopsis and two quoted words.
constexpr std::size_t kLongestMessage = 400;

std::vector<std::string> Words(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> words;
  std::string word;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      words.push_back(word);
      word.clear();
    } else {
      word += static_cast<char>(data[i]);
    }
  }
  if (!word.empty() || size > 0) words.push_back(word);
  return words;
}

// Options first (each as --name=value), flags, then "--" and every positional argument.
std::vector<std::string> Canonical(const Invocation& inv) {
  std::vector<std::string> words;
  for (const auto& [name, value] : inv.options) words.push_back("--" + name + "=" + value);
  for (const auto& [name, on] : inv.flags) {
    if (on) words.push_back("--" + name);
  }
  if (inv.json) words.push_back("--json");
  if (inv.libraryPaths) words.push_back("--library-paths");
  words.push_back("--");
  words.insert(words.end(), inv.args.begin(), inv.args.end());
  return words;
}

[[noreturn]] void Fail(const char* what, const Command& command) {
  fprintf(stderr, "%s (%s)\n", what, command.name.c_str());
  abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  if (size < 2 || size > 2048) return -1;
  const std::vector<Group>& groups = Groups();
  const Group& group = groups[bytes[0] % groups.size()];
  if (group.commands.empty()) return 0;
  const Command& command = group.commands[bytes[1] % group.commands.size()];
  if (FindGroup(group.name) != &group || FindCommand(group, command.name) != &command) {
    Fail("the table does not find its own entry", command);
  }
  const std::vector<std::string> words = Words(bytes + 2, size - 2);
  Invocation inv;
  try {
    inv = ParseInvocation(command, words);
  } catch (const UsageError& e) {
    if (std::string(e.what()).size() > kLongestMessage) {
      fprintf(stderr, "%s\n", e.what());
      Fail("a usage message grew with its input", command);
    }
    return 0;
  }
  std::size_t required = 0;
  for (const Value& a : command.args) required += a.optional ? 0 : 1;
  if (inv.args.size() < required || inv.args.size() > command.args.size()) Fail("argument count out of range", command);
  for (const Option& o : command.options) {
    if (o.value.name.empty() && inv.options.count(o.name) != 0) Fail("a flag took a value", command);
    if (!o.value.name.empty() && inv.flags.count(o.name) != 0) Fail("an option lost its value", command);
  }
  // What the parser let through, the handlers' typed reads take without a usage error.
  try {
    for (std::size_t i = 0; i < inv.args.size(); ++i) {
      if (command.args[i].kind == Kind::Integer) inv.Integer(i);
      if (command.args[i].kind == Kind::Number) inv.Number(i);
    }
    for (const Option& o : command.options) {
      if (o.value.kind == Kind::Integer) inv.IntegerOption(o.name, 0);
    }
  } catch (const UsageError& e) {
    fprintf(stderr, "%s\n", e.what());
    Fail("a checked value does not read as its kind", command);
  }
  Invocation again;
  try {
    again = ParseInvocation(command, Canonical(inv));
  } catch (const UsageError& e) {
    fprintf(stderr, "%s\n", e.what());
    Fail("a parsed command line does not parse again", command);
  }
  if (again.args != inv.args || again.options != inv.options || again.flags != inv.flags || again.json != inv.json ||
      again.libraryPaths != inv.libraryPaths) {
    Fail("a parsed command line parses to something else", command);
  }
  return 0;
}
