// A module without a string table. It depends on the platform library and on a library that has
// a table; neither's exports may be seen through this module's handle.
#include <Utility/Platform/Error.h>

extern "C" int DependencyAnswer();

extern "C" __attribute__((visibility("default"))) unsigned PlainModuleLastError() {
  return GetLastError() + static_cast<unsigned>(DependencyAnswer() - 7);
}
