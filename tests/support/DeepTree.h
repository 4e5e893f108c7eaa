// Trees deeper than the system's path limit, built, counted and removed by walks that need no
// full path (posix/DeepTree.cpp, win32/DeepTree.cpp).
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace utility::testsupport {

// Names for a chain below a directory whose native path has rootBytes bytes, such that the
// path of the chain's last name has exactly totalBytes bytes. Each name repeats `character`
// (the UTF-8 of one character), padded with 'a' where its width does not divide the room
// left, and holds at most about 240 bytes; the last one is at least 8 bytes long.
std::vector<std::string> ChainNames(std::size_t rootBytes, std::size_t totalBytes, const std::string& character);

// Creates root/names[0]/names[1]/... as directories, the last name as a file (or an empty
// directory), and a file "side" in each directory of the chain above it, so that the tree has
// something at every level.
void MakeChain(const std::filesystem::path& root, const std::vector<std::string>& names, bool lastIsDirectory = false);

// The number of entries below root (root itself not counted), at any depth.
std::size_t CountEntriesDeep(const std::filesystem::path& root);

// Removes root and everything below it, at any depth; nothing when root does not exist.
void RemoveDeep(const std::filesystem::path& root);

}  // namespace utility::testsupport
