// Where a processor has no identification instruction that a program may run, the system's own
// record of its identification register.
#pragma once

#include <string>

namespace utility::diskid {

// The identification register as the system publishes it, as 16 upper-case hexadecimal
// digits; empty when it is not published.
std::string ProcessorRegisterIdentity();

}  // namespace utility::diskid
