// Small readers for the kernel's text files (/sys, /proc, /run): they never block on a device
// and answer "nothing" for a file that is missing or unreadable.
#pragma once

#include <string>
#include <vector>

namespace utility::diskid {

// The first line of a text file, without surrounding blanks; empty when it cannot be read.
std::string ReadLine(const std::string& path);

// The whole of a small file (at most limit bytes); empty when it cannot be read.
std::string ReadSmallFile(const std::string& path, std::size_t limit = 4096);

// The names in a directory, sorted, without "." and ".."; empty when it cannot be read.
std::vector<std::string> ListDirectory(const std::string& path);

// Whether path exists (a dangling link does not).
bool Exists(const std::string& path);

}  // namespace utility::diskid
