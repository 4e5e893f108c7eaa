// The processor's identification from its own identification instruction (x86, on every
// system), or from the identification register the system publishes (64-bit ARM).
#include <cstdio>
#include <string>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#else
#include "ProcessorRegister.h"
#endif

#include "Identifiers.h"

namespace utility::diskid {

std::string ProcessorIdentity() {
#if defined(__x86_64__) || defined(__i386__)
  // Leaf 1: EAX is the signature (family, model, stepping), EDX the feature flags. EBX holds
  // the calling core's APIC id and is left out, so every core gives the same text.
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) return {};
  char text[32] = {};
  std::snprintf(text, sizeof text, "%08X%08X", edx, eax);
  return text;
#else
  return ProcessorRegisterIdentity();
#endif
}

}  // namespace utility::diskid
