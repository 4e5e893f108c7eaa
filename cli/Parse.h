// Reading a command line against the command table: which group and command it names, and its
// positional arguments, options and flags. Nothing here runs a command, so a fuzzer can drive it
// with any words.
//
//   const utility::cli::Group* group = utility::cli::FindGroup("bits");                 // nullptr when unknown
//   const utility::cli::Command* command = utility::cli::FindCommand(*group, "get");
//   utility::cli::Invocation inv = utility::cli::ParseInvocation(*command, {"5", "0", "--json"});
//   // inv.args == {"5", "0"}, inv.json == true; bad words throw utility::cli::UsageError
#pragma once

#include <string>
#include <vector>

#include "Command.h"

namespace utility::cli {

const Group* FindGroup(const std::string& name);
const Command* FindCommand(const Group& group, const std::string& name);
// The command of the group, or UsageError naming the group and the closest command's name.
const Command& RequireCommand(const Group& group, const std::string& name);
// One of the program's own commands (help, version, demo, completion), or nullptr.
const Command* FindProgramCommand(const std::string& name);

// The words after the command's name. Throws UsageError for an unknown option (suggesting the
// closest known one), a flag given a value, an option without one, too few or too many
// positional arguments, or a value that is not of its kind (a number out of range, a word not
// among the choices); the message quotes what was wrong (shortened) and says what was expected.
// -y stands for the option whose short name is y; "-", "-5" and words after "--" are arguments.
Invocation ParseInvocation(const Command& command, const std::vector<std::string>& words);

// True when --help or -h comes before any "--".
bool WantsHelp(const std::vector<std::string>& words);

}  // namespace utility::cli
