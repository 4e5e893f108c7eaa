// Help pages, the demo and the bash completion, all generated from the command table.
#pragma once

#include <iosfwd>

#include "Command.h"

namespace utility::cli {

void PrintProgramHelp(std::ostream& out);
void PrintGroupHelp(std::ostream& out, const Group& group);
void PrintCommandHelp(std::ostream& out, const Command& command);
void PrintBashCompletion(std::ostream& out);
void RunDemo(std::ostream& out);

}  // namespace utility::cli
