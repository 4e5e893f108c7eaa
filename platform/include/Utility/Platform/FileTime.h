// FILETIME: a point in time as 100-nanosecond intervals since 1601-01-01 UTC, in two halves.
#pragma once

#include <Utility/Platform/Types.h>

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};
using PFILETIME = FILETIME*;
using LPFILETIME = FILETIME*;
