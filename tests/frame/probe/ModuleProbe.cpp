// A host program for the module-location tests: copied into a temporary directory and run
// there, it prints what the library reports about where it lies.
#include <Utility/Utility.h>

#include <cstdio>

int main() {
  std::printf("path=%s\n", CUtility::GetModulePath().ToUtf8().c_str());
  std::printf("name=%s\n", CUtility::GetModuleName(nullptr).ToUtf8().c_str());
  std::printf("help=%s\n", CUtility::GetHelpFile().ToUtf8().c_str());
  return 0;
}
