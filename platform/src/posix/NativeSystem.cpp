// Page size and online processors through sysconf.
#include "NativeSystem.h"

#include <unistd.h>

namespace utility::platform {

long NativePageSize() noexcept { return sysconf(_SC_PAGESIZE); }

long NativeOnlineProcessors() noexcept { return sysconf(_SC_NPROCESSORS_ONLN); }

}  // namespace utility::platform
