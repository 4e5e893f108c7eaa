// A module without a string table, whose dependencies' exports and table its handle must not reach.
#include <Utility/Platform/Error.h>
#include "support/ModuleExport.h"

extern "C" int DependencyAnswer();

TEST_MODULE_EXPORT unsigned PlainModuleLastError() {
  return GetLastError() + static_cast<unsigned>(DependencyAnswer() - 7);
}
