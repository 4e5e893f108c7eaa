// Symbol visibility for the platform library: every target is built with hidden symbols, and
// the platform's API is marked here for export.
#pragma once

#define UTILITY_PLATFORM_API __attribute__((visibility("default")))
