// Help pages and the demo, generated from the command table.
#pragma once

#include <iosfwd>
#include <string>

#include "Command.h"

namespace utility::cli {

void PrintProgramHelp(std::ostream& out);
void PrintGroupHelp(std::ostream& out, const Group& group);
void PrintCommandHelp(std::ostream& out, const Command& command);
void RunDemo(std::ostream& out);

// The words that name a command: "files list", or "help" for one of the program's own.
std::string CommandWords(const Command& command);

}  // namespace utility::cli
