// A module without a string table. It depends on the platform library and on a library that has
// a table; neither's exports may be seen through this module's handle.
#include <Utility/Platform/Error.h>
#include "support/ModuleExport.h"

extern "C" int DependencyAnswer();

TEST_MODULE_EXPORT unsigned PlainModuleLastError() {
  return GetLastError() + static_cast<unsigned>(DependencyAnswer() - 7);
}
