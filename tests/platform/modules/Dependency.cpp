// A shared library with a string table of its own, loaded as a dependency of the plain module.
#include "support/ModuleExport.h"

TEST_MODULE_EXPORT int DependencyAnswer() { return 7; }
