// Symbol visibility. Every target is built with hidden symbols; the functions and classes that
// make up an API are marked with UTILITY_PLATFORM_API (the platform library) or UTILITY_API
// (the Utility library, declared in <Utility/Utility.h>). On Windows the same marks export
// from the DLL that is being built and import into everything that uses it.
#pragma once

#if defined(_WIN32)
#define UTILITY_SYMBOL_EXPORT __declspec(dllexport)
#define UTILITY_SYMBOL_IMPORT __declspec(dllimport)
#else
#define UTILITY_SYMBOL_EXPORT __attribute__((visibility("default")))
#define UTILITY_SYMBOL_IMPORT __attribute__((visibility("default")))
#endif

#if defined(UTILITY_PLATFORM_BUILDING)
#define UTILITY_PLATFORM_API UTILITY_SYMBOL_EXPORT
#else
#define UTILITY_PLATFORM_API UTILITY_SYMBOL_IMPORT
#endif
