// The string table compiled from Strings.txt, and one export for the loader tests.
#include "support/ModuleExport.h"

TEST_MODULE_EXPORT int StringsModuleAnswer() { return 42; }
