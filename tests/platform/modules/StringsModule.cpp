// A module whose only content of its own is the string table compiled from Strings.txt, plus one
// exported function for the loader tests.
extern "C" __attribute__((visibility("default"))) int StringsModuleAnswer() { return 42; }
