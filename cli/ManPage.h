// Manual pages in roff (man(7)), generated from the command table like the help pages: one for
// the program, listing the groups, and one per group, with every command, its options and its
// examples. The build writes them, so the installed pages cannot drift from the program.
#pragma once

#include <iosfwd>

#include "Command.h"

namespace utility::cli {

// utility(1): the synopsis, the groups, the exit status and the environment.
//   PrintProgramManPage(std::cout);   // ".TH UTILITY 1 ..."
void PrintProgramManPage(std::ostream& out);

// utility-GROUP(1): every command of one group.
//   PrintGroupManPage(std::cout, *FindGroup("reg"));   // ".TH UTILITY-REG 1 ..."
void PrintGroupManPage(std::ostream& out, const Group& group);

}  // namespace utility::cli
