// A module whose only content of its own is the string table compiled from Strings.txt, plus one
// exported function for the loader tests.
#include "support/ModuleExport.h"

TEST_MODULE_EXPORT int StringsModuleAnswer() { return 42; }
