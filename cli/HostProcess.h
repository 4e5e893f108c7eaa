// What the host program asks of its own process that only the operating system knows: whether
// standard error is a terminal, where temporary files go, and its own environment. These are the
// program's only calls into the system (the rest goes through the platform and the standard
// library); HostProcess.cpp has one branch per system.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace utility::cli {

// The program's arguments after its name, as UTF-8: on Windows read from the wide command line,
// since the narrow one holds only what the ANSI code page can spell.
std::vector<std::string> Arguments(int argc, char** argv);

// Makes standard output and standard error carry the program's bytes as they are: on Windows
// the C runtime would otherwise write "\r\n" for each "\n", and answers, exported hives and
// converted text would differ from one system to the other.
void UseByteStreams();

// Whether standard error is a terminal, where progress is drawn.
bool ErrorIsTerminal();

// A new directory of the program's own for temporary files, readable by the user alone:
// <temporary directory>/<prefix> and six letters, the temporary directory being TMPDIR (else
// /tmp) on POSIX systems and the user's one (TEMP) on Windows. The native path, or empty when
// no directory could be made.
//
//   const std::string root = MakeTemporaryDirectory("utility-demo-");   // "/tmp/utility-demo-Xa81Qz"
std::string MakeTemporaryDirectory(const std::string& prefix);

// A variable of the program's environment as UTF-8 text; none when it is not set.
std::optional<std::string> Variable(const std::string& name);

// Sets a variable of the program's environment, or removes it when value is none. Only the
// program itself calls this, around work it runs in a sandbox of its own.
void SetVariable(const std::string& name, const std::optional<std::string>& value);

}  // namespace utility::cli
