// The main identification register of a 64-bit ARM processor, as the kernel publishes it.
#include "../ProcessorRegister.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Sysfs.h"

namespace utility::diskid {

std::string ProcessorRegisterIdentity() {
  const std::string midr = ReadLine("/sys/devices/system/cpu/cpu0/regs/identification/midr_el1");
  if (midr.empty()) return {};
  char* end = nullptr;
  const unsigned long long value = std::strtoull(midr.c_str(), &end, 16);
  if (end == midr.c_str()) return {};
  char text[32] = {};
  std::snprintf(text, sizeof text, "%016llX", value);
  return text;
}

}  // namespace utility::diskid
