#include "support/Environment.h"

#include <cstdlib>
#include <stdexcept>

namespace utility::testsupport {

void SetEnvironment(const std::string& name, const std::string& value) {
#ifdef _WIN32
  const int failed = _putenv_s(name.c_str(), value.c_str());
#else
  const int failed = setenv(name.c_str(), value.c_str(), 1);
#endif
  if (failed != 0) throw std::runtime_error("cannot set " + name);
}

}  // namespace utility::testsupport
