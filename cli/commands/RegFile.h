// The standard registry export file, as registry editors write and read it:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\Tarnwell]
//   @="default text"
//   "Count"=dword:0000002a
//   "Data"=hex:01,02,ff
//   "Path"=hex(2):25,00,41,00,00,00
//   "Gone"=-
//
//   [-HKEY_CURRENT_USER\Software\Old]
//
// Version 5 files are UTF-16LE with a byte order mark; "REGEDIT4" files are 8-bit, and their
// hex(1), hex(2) and hex(7) data hold 8-bit text. Long hex data continues on the next line
// after a backslash.
#pragma once

#include <string>
#include <vector>

#include <Utility/Platform/Registry.h>

namespace utility::cli::regfile {

// The version of a header line: 5, 4 (REGEDIT4), or 0 when the line is no header.
int HeaderVersion(const std::string& line);

// A file's bytes as UTF-8 text: UTF-16LE when they start with its byte order mark, UTF-8
// (a leading mark dropped) otherwise.
std::string DecodeFile(const std::string& bytes);

// UTF-8 text as a version 5 file: the byte order mark and UTF-16LE.
std::string EncodeFile(const std::string& utf8);

// The data after '=' of a value line of a file of the given version, as type and bytes.
// Throws UsageError. ("-", a deletion, is the caller's to see first.)
void ParseData(const std::string& text, int version, DWORD& type, std::vector<BYTE>& data);

// The key at path below root, its values and every key below it, as a version 5 file's text
// (CR LF line ends, no header). label is the root's name ("HKEY_CURRENT_USER"; empty for a
// hive file, whose keys are written as paths inside it). Throws Failure on a registry error.
std::string ExportTree(HKEY root, const std::string& label, const std::u16string& path);

}  // namespace utility::cli::regfile
