// The processor's identification from its own identification instruction (x86), or from the
// identification register the kernel publishes (64-bit ARM).
#include <cstdio>
#include <cstdlib>
#include <string>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

#include "Identifiers.h"
#include "Sysfs.h"

namespace utility::diskid {

std::string ProcessorIdentity() {
  char text[32] = {};
#if defined(__x86_64__) || defined(__i386__)
  // Leaf 1: EAX is the signature (family, model, stepping), EDX the feature flags. EBX holds
  // the calling core's APIC id and is left out, so every core gives the same text.
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) return {};
  std::snprintf(text, sizeof text, "%08X%08X", edx, eax);
#else
  const std::string midr = ReadLine("/sys/devices/system/cpu/cpu0/regs/identification/midr_el1");
  if (midr.empty()) return {};
  char* end = nullptr;
  const unsigned long long value = std::strtoull(midr.c_str(), &end, 16);
  if (end == midr.c_str()) return {};
  std::snprintf(text, sizeof text, "%016llX", value);
#endif
  return text;
}

}  // namespace utility::diskid
