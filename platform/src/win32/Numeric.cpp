// The decimal separator of the C runtime's current locale.
#include <Utility/Platform/Numeric.h>

#include <clocale>

const char* utility::platform::DecimalSeparator() noexcept {
  const std::lconv* conventions = std::localeconv();
  return conventions != nullptr && conventions->decimal_point != nullptr && conventions->decimal_point[0] != 0
             ? conventions->decimal_point
             : ".";
}
