// A module that carries nothing but the string table compiled from Texts.txt.
#include "support/ModuleExport.h"

TEST_MODULE_EXPORT int TextsModuleLoaded() { return 1; }
