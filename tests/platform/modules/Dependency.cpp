// A shared library with a string table of its own, loaded as a dependency of the plain module.
extern "C" __attribute__((visibility("default"))) int DependencyAnswer() { return 7; }
