// How the identity of a disk or a file system is spelled, whichever system reported it: the
// rules that tell a usable serial number from noise, and the text of a volume's own numbers.
#pragma once

#include <cstdint>
#include <string>

namespace utility::diskid {

// Whether text is a non-empty run of printable ASCII (0x20..0x7E), as a serial number must be.
bool Printable(const std::string& text);

// A serial number as a disk reports it, with the padding disks put around it (trailing blanks
// and zero bytes, leading blanks) removed; empty unless what remains is Printable.
//
//   TrimmedSerial("  WD-123 \0\0") == "WD-123"
std::string TrimmedSerial(std::string raw);

// A 32-bit file system serial number as its own tools print it, two groups of four upper-case
// hexadecimal digits: 0x1A2B3C4D -> "1A2B-3C4D". Empty for 0, which no formatted volume has.
std::string VolumeSerialText(std::uint32_t serial);

// The GUID of a volume from its volume name, "\\?\Volume{GUID}\", in lower case; empty when
// the name has no GUID of the form XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX between braces.
//
//   VolumeGuidText("\\\\?\\Volume{4C1B02C1-D990-11DC-99AE-806E6F6E6963}\\")
//       == "4c1b02c1-d990-11dc-99ae-806e6f6e6963"
std::string VolumeGuidText(const std::string& volumeName);

}  // namespace utility::diskid
