// Small file helpers for tests.
#include "support/Files.h"

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace utility::testsupport {

std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + file.string());
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Utf8Name(const std::filesystem::path& path) {
  const std::u8string name = path.generic_u8string();
  return std::string(name.begin(), name.end());
}

std::filesystem::path PathOf(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::set<std::string> EntriesBelow(const std::filesystem::path& root) {
  std::set<std::string> found;
  for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
    found.insert(Utf8Name(std::filesystem::relative(e.path(), root)));
  }
  return found;
}

std::string WithPagesOverwritten(std::string bytes, std::size_t first, std::size_t pages, unsigned seed) {
  std::mt19937 rng(seed);
  for (std::size_t i = first * 4096; i < (first + pages) * 4096 && i < bytes.size(); ++i)
    bytes[i] = static_cast<char>(rng());
  return bytes;
}

std::string ShellQuoted(const std::string& text) {
  std::string q = "'";
  for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

void MakeReadOnly(const std::filesystem::path& file) {
  namespace fs = std::filesystem;
  fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
}

void MakeWritable(const std::filesystem::path& file) {
  namespace fs = std::filesystem;
  fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
}

}  // namespace utility::testsupport
