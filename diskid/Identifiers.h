// The machine identifiers of the identity module, as plain text; empty when not available.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace utility::diskid {

// The serial number of the disk that holds the root file system (on Windows, the system
// volume), or, where no serial can be read, that file system's UUID (on Windows, the volume's
// serial number, else its GUID). Prefixed "serial:" or "uuid:" so the two never collide.
std::string RootDiskIdentity();

// The 32-bit identifier of a text: FNV-1a over its bytes (stable across runs and builds).
std::uint32_t Fingerprint(const std::string& text);

// The GUID text of a 32-bit identifier: eleven fields of shifted copies of its bit pattern,
// "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX", upper-case, terminated.
constexpr std::size_t kGuidTextSize = 37;
void WriteGuidText(std::uint32_t id, char (&text)[kGuidTextSize]);

// The processor's identification: the signature and feature words of the processor's own
// identification instruction, as 16 upper-case hexadecimal digits.
std::string ProcessorIdentity();

// The MAC address of the first physical network interface (by the system's name of it), as six
// upper-case hexadecimal pairs joined by "-".
std::string FirstMacAddress();

}  // namespace utility::diskid
