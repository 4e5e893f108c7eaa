// Tab completion scripts for bash, zsh and fish, generated from the command table: groups,
// commands and options by name, the words of a choice (types, hives, groups, on|off) where one
// is expected, and file names where a path is.
//
//   utility::cli::PrintCompletion(std::cout, "fish");   // the script `utility completion fish` prints
#pragma once

#include <iosfwd>
#include <string>

namespace utility::cli {

// shell is "bash", "zsh" or "fish" (the parser checks it).
void PrintCompletion(std::ostream& out, const std::string& shell);

}  // namespace utility::cli
