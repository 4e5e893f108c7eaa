// The decimal separator through nl_langinfo, which reads the current locale without the
// shared buffer that localeconv() fills.
#include <Utility/Platform/Numeric.h>

#include <langinfo.h>

const char* utility::platform::DecimalSeparator() noexcept {
  const char* point = nl_langinfo(RADIXCHAR);
  return point != nullptr && point[0] != 0 ? point : ".";
}
