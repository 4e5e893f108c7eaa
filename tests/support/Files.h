// Small file helpers for tests that work on real files inside a TempDir.
#pragma once

#include <filesystem>
#include <string>

namespace testsupport {

// The whole content of a file as bytes ("" when it cannot be read).
std::string ReadBytes(const std::filesystem::path& file);

// Creates or replaces a file holding bytes.
void WriteBytes(const std::filesystem::path& file, const std::string& bytes);

// Takes every write permission bit away (the file becomes read-only), or gives the owner's back.
void MakeReadOnly(const std::filesystem::path& file);
void MakeWritable(const std::filesystem::path& file);

}  // namespace testsupport
