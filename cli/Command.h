// The command table of the host program: one entry per command drives the parser, every
// --help page and the shell completion, so that the three never drift apart.
#pragma once

#include <iosfwd>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace utility::cli {

// Exit statuses: success, a negative answer (or a failed operation), bad usage or input.
inline constexpr int kExitOk = 0;
inline constexpr int kExitNo = 1;
inline constexpr int kExitUsage = 2;

// Bad usage or bad input: one line on stderr, a hint, exit status 2.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The operation itself failed (missing file, denied access): one line on stderr, exit 1.
struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Option {
  std::string name;   // without the leading dashes
  std::string value;  // the value's placeholder; empty for a flag
  std::string help;
};

// What a command was given on the command line.
class Invocation {
 public:
  std::vector<std::string> args;               // positional arguments
  std::map<std::string, std::string> options;  // --name value / --name=value
  std::map<std::string, bool> flags;           // --name
  bool json = false;

  bool Flag(const std::string& name) const;
  // The option's value, or fallback when it was not given.
  std::string Get(const std::string& name, const std::string& fallback = "") const;
  bool Has(const std::string& name) const;
  // Positional argument i, already checked for presence by the parser.
  const std::string& Arg(std::size_t i) const { return args.at(i); }
};

// What a command answers: named fields in order, printed as "name: value" lines (or the value
// alone when there is one field), or as one JSON object with --json.
class Reply {
 public:
  void Text(const std::string& name, const std::string& value);
  void Number(const std::string& name, double value);
  void Integer(const std::string& name, long long value);
  void Bool(const std::string& name, bool value);
  void List(const std::string& name, const std::vector<std::string>& values);
  // Human-readable text printed instead of the fields when --json is not given.
  void Human(const std::string& text) {
    m_human = text;
    m_hasHuman = true;
  }

  void Print(bool json) const;

 private:
  enum class Kind { Text, Raw, List };
  struct Field {
    std::string name;
    Kind kind;
    std::string text;
    std::vector<std::string> list;
  };
  std::vector<Field> m_fields;
  std::string m_human;
  bool m_hasHuman = false;
};

struct Command {
  std::string group;
  std::string name;
  std::string synopsis;  // positional arguments, e.g. "<text>"
  std::string summary;
  std::vector<Option> options;
  std::vector<std::string> examples;
  std::size_t minArgs = 0;
  std::size_t maxArgs = 0;
  int (*run)(const Invocation&, Reply&) = nullptr;
};

struct Group {
  std::string name;
  std::string summary;
  std::vector<Command> commands;
  // This group's part of `utility demo`: prints what it shows, leaves nothing behind.
  void (*demo)(std::ostream& out) = nullptr;
};

// Every group of the program, in the order --help lists them.
const std::vector<Group>& Groups();

// Parses integers and numbers strictly: the whole text must be a number in range, else
// UsageError naming what was expected.
long long ParseInteger(const std::string& text, const std::string& what, long long min, long long max);
double ParseNumber(const std::string& text, const std::string& what);

// An argument as messages quote it: whole up to 80 bytes, else its start (cut between
// characters) and "...".
std::string Shortened(const std::string& text);
// The same between single quotes: 'text'.
std::string Quoted(const std::string& text);

// A number as messages write it: integers in full, others with the digits that tell them apart.
std::string ShortNumber(double value);

// JSON string literal of UTF-8 text.
std::string JsonQuote(const std::string& text);

}  // namespace utility::cli
