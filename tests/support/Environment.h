// The test process's own environment, set the same way on every system.
#pragma once

#include <string>

namespace utility::testsupport {

// Sets name to value in this process's environment (and so in its children's).
void SetEnvironment(const std::string& name, const std::string& value);

}  // namespace utility::testsupport
