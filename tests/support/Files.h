// Small file helpers for tests that work on real files inside a TempDir.
#pragma once

#include <filesystem>
#include <set>
#include <string>

namespace utility::testsupport {

// A path's name as UTF-8 with `/` between its names, and the path of such a name: the bytes as
// they stand on Linux, the UTF-16 names converted on Windows.
std::string Utf8Name(const std::filesystem::path& path);
std::filesystem::path PathOf(const std::string& utf8);

// The whole content of a file as bytes ("" when it cannot be read).
std::string ReadBytes(const std::filesystem::path& file);

// Creates or replaces a file holding bytes.
void WriteBytes(const std::filesystem::path& file, const std::string& bytes);

// Every entry below root at any depth, as paths relative to it.
std::set<std::string> EntriesBelow(const std::filesystem::path& root);

// The bytes with `pages` pages of 4096 bytes from page `first` on replaced by seeded random
// bytes, as a failing disk leaves a file; the size stays the same.
std::string WithPagesOverwritten(std::string bytes, std::size_t first, std::size_t pages, unsigned seed);

// The text in single quotes for a POSIX shell, every quote in it escaped.
std::string ShellQuoted(const std::string& text);

// Takes every write permission bit away (the file becomes read-only), or gives the owner's back.
void MakeReadOnly(const std::filesystem::path& file);
void MakeWritable(const std::filesystem::path& file);

}  // namespace utility::testsupport
