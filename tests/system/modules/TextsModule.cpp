// A module that carries nothing but the string table compiled from Texts.txt.
extern "C" __attribute__((visibility("default"))) int TextsModuleLoaded() { return 1; }
