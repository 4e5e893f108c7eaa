// The command table of the host program: one typed entry per command drives the parser, the
// help pages, the manual pages and the completion scripts, so that none drifts from the others.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <Utility/Platform/String.h>

namespace utility::cli {

struct Command;

// Exit statuses: success, a negative answer (or a failed operation), bad usage or input, and a
// file the library needs (the identity module, the keyword file) that is not installed.
inline constexpr int kExitOk = 0;
inline constexpr int kExitNo = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitMissing = 3;

// Bad usage or bad input: one line on stderr, a hint, exit status 2.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The operation itself failed (missing file, denied access): one line on stderr, exit 1.
struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A file the library reads is not where it looks (the answer would be a silent default): one
// line on stderr that names the places looked in, exit 3.
struct MissingFile : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// What an argument or an option's value is. The parser checks every value against its kind
// before the handler runs, and help, completion and manual pages show it, so that a handler
// never parses a synopsis of its own.
enum class Kind {
  Text,         // any text
  Integer,      // a whole number, decimal or 0x hexadecimal, within [min, max]
  Number,       // a decimal number
  Choice,       // one of `choices`, as written
  VariantType,  // a variant type: I4, VT_R8, 3, ARRAY|I4 (checked by the handler, completed from a list)
  Path,         // a file or directory; relative paths are relative to the current directory
  Input,        // a file to read, or - for standard input
};

struct Value {
  std::string name{};  // the placeholder, shown as <name>
  Kind kind = Kind::Text;
  std::string what{};  // how messages name it ("bit index"); the placeholder when empty
  long long min = 0;
  long long max = 0;
  std::vector<std::string> choices{};  // a Choice: the words allowed; other kinds: words completion offers
  bool optional = false;               // a positional argument that may be left out (only the last ones)

  // How messages name the value.
  const std::string& Described() const { return what.empty() ? name : what; }
};

Value Text(std::string name, std::string what = "");
Value Integer(std::string name, std::string what, long long min, long long max);
Value Number(std::string name, std::string what = "");
Value Choice(std::string name, std::vector<std::string> choices, std::string what = "");
Value VariantType(std::string name);
Value PathTo(std::string name);
Value Input(std::string name);
Value Optional(Value value);

struct Option {
  std::string name{};  // without the leading dashes
  std::string help{};
  Value value{};       // its name is empty for a flag
  char shortName = 0;  // -y for --yes; 0 when there is none
};

// A flag (--name) or an option with a value (--name value, --name=value).
Option Flag(std::string name, std::string help, char shortName = 0);
Option With(std::string name, Value value, std::string help, char shortName = 0);

// Every command also takes these.
extern const Option kJsonOption;
extern const Option kLibraryPathsOption;
extern const Option kHelpOption;
// All of a command's options, its own first.
std::vector<const Option*> AllOptions(const Command& command);

// What a command was given on the command line.
class Invocation {
 public:
  const Command* command = nullptr;            // the command parsed for, which says what each value is
  std::vector<std::string> args;               // positional arguments
  std::map<std::string, std::string> options;  // --name value / --name=value
  std::map<std::string, bool> flags;           // --name
  bool json = false;
  bool libraryPaths = false;  // --library-paths: show paths as the library writes them

  // Positional argument i read as its kind in the table says (already checked by the parser).
  long long Integer(std::size_t i) const;
  double Number(std::size_t i) const;
  // An option's value read as its kind says, or fallback when it was not given.
  long long IntegerOption(const std::string& name, long long fallback) const;

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
  // A JSON value built by the command (an object or a list); text output shows Human().
  void Json(const std::string& name, const std::string& json);
  void List(const std::string& name, const std::vector<std::string>& values);
  // A path, or a list of them, in the system's form (/tmp/a): printed as Shown() writes it, or
  // in the library's form with --library-paths; JSON carries the exact bytes.
  void Path(const std::string& name, const std::string& path);
  void Paths(const std::string& name, const std::vector<std::string>& paths);
  // Human-readable text printed instead of the fields when --json is not given.
  void Human(const std::string& text) {
    m_human = text;
    m_hasHuman = true;
  }

  void Print(bool json, bool libraryPaths = false) const;

 private:
  enum class Kind { Text, Raw, List, Path, Paths };
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
  std::string group;  // empty for the program's own commands (help, version, ...)
  std::string name;
  std::vector<Value> args;  // the positional arguments, in order
  std::string summary;
  std::vector<Option> options;
  std::vector<std::string> examples;
  int (*run)(const Invocation&, Reply&) = nullptr;
  bool hidden = false;  // used by the build only: not listed in help or completion
};

// The positional arguments as usage lines show them: "<key> [<value>]", "[on|off]".
std::string Synopsis(const Command& command);
std::string Placeholder(const Value& value);

struct Group {
  std::string name;
  std::string summary;
  std::vector<Command> commands;
  // This group's part of `utility demo`: prints what it shows, leaves nothing behind.
  void (*demo)(std::ostream& out) = nullptr;
};

// Every group of the program, in the order --help lists them.
const std::vector<Group>& Groups();
// The program's own commands: demo, help, version, completion (and the build's manpage).
const std::vector<Command>& ProgramCommands();

// Parses integers and numbers strictly: the whole text must be a number in range, else
// UsageError naming what was expected.
long long ParseInteger(const std::string& text, const std::string& what, long long min, long long max);
double ParseNumber(const std::string& text, const std::string& what);

// An argument as messages quote it: whole up to 80 bytes, else its start (cut between
// characters) and "...".
std::string Shortened(const std::string& text);
// The same between single quotes: 'text'.
std::string Quoted(const std::string& text);

// Words as messages list them: "a, b, c".
std::string Listed(const std::vector<std::string>& words);

// A number as messages write it: integers in full, others with the digits that tell them apart.
std::string ShortNumber(double value);

// The bytes of a file named on the command line, or of standard input for "-". Throws Failure
// naming the file and the system's reason.
std::string ReadInput(const std::string& file);

// The first of the places the library looks for one of its files (the host directory, then the
// installed directory) that holds it; otherwise MissingFile naming both places.
//   RequireInstalled("DiskID.dll", utility::platform::InstalledModuleDirectory(), "identity module");
std::string RequireInstalled(const std::string& file, const CString& installedDirectory, const std::string& what);

// A path as a shell user would type it: unchanged when it is printable UTF-8, else quoted as
// $'...' with \xHH for each byte that is not, so that the text still names the file.
//   Shown("/tmp/a b") == "/tmp/a b";  Shown("/tmp/\xff") == "$'/tmp/\\xff'"
std::string Shown(const std::string& path);

// A native path, as the program takes and prints paths, in the form the standard library's file
// calls take: the bytes as they are on POSIX systems, UTF-8 read as such on Windows (where a
// plain string would be read in the ANSI code page).
//   std::ifstream in(FsPath(file), std::ios::binary);
std::filesystem::path FsPath(const std::string& native);

// JSON string literal of UTF-8 text.
std::string JsonQuote(const std::string& text);

}  // namespace utility::cli
