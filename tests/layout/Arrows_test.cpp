// The arrows between the parts of the product, read from every #include of the source tree:
// platform <- library <- host program, the identity module on the platform alone, the portable
// platform code apart from its operating-system backend, and no operating-system header where
// code must build for every system.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

enum class Part { PlatformApi, Platform, PlatformBackend, LibraryApi, Library, IdentityModule, Host };

const std::map<Part, std::string> kPartNames = {
    {Part::PlatformApi, "platform headers"},
    {Part::Platform, "portable platform"},
    {Part::PlatformBackend, "platform backend"},
    {Part::LibraryApi, "library header"},
    {Part::Library, "library"},
    {Part::IdentityModule, "identity module"},
    {Part::Host, "host program"},
};

// Which parts each part may include. Everything else is an arrow that must not exist.
const std::map<Part, std::set<Part>> kAllowed = {
    {Part::PlatformApi, {Part::PlatformApi}},
    {Part::Platform, {Part::PlatformApi, Part::Platform}},
    {Part::PlatformBackend, {Part::PlatformApi, Part::Platform, Part::PlatformBackend}},
    {Part::LibraryApi, {Part::PlatformApi, Part::LibraryApi}},
    {Part::Library, {Part::PlatformApi, Part::LibraryApi, Part::Library}},
    {Part::IdentityModule, {Part::PlatformApi, Part::IdentityModule}},
    {Part::Host, {Part::PlatformApi, Part::LibraryApi, Part::Host}},
};

// Parts whose code builds unchanged for every system: they reach the system only through the
// platform, so they include no header of an operating system.
const std::set<Part> kPortable = {Part::PlatformApi, Part::Platform, Part::LibraryApi, Part::Library};

const std::vector<std::string> kLibraryFolders = {"frame", "encoding", "variant",  "bits",   "names",
                                                  "files", "registry", "tracklog", "system", "identity"};

bool Under(const std::string& path, const std::string& folder) { return path.rfind(folder + "/", 0) == 0; }

// The part a file of the tree belongs to, by its path relative to the root; none for files
// outside the product (tests, benchmarks, fuzzers, tools).
std::optional<Part> PartOf(const std::string& path) {
  if (Under(path, "platform/include")) return Part::PlatformApi;
  if (Under(path, "platform/src/posix") || Under(path, "platform/src/win32")) return Part::PlatformBackend;
  if (Under(path, "platform/src")) return Part::Platform;
  if (Under(path, "frame/include")) return Part::LibraryApi;
  for (const std::string& folder : kLibraryFolders) {
    if (Under(path, folder)) return Part::Library;
  }
  if (Under(path, "diskid")) return Part::IdentityModule;
  if (Under(path, "cli")) return Part::Host;
  return std::nullopt;
}

// The folders a quoted include is looked up in besides the including file's own: the private
// include roots the build gives each part.
std::vector<std::string> RootsOf(Part part) {
  switch (part) {
    case Part::Platform:
    case Part::PlatformBackend:
      return {"platform/src"};
    case Part::Host:
      return {"cli"};
    default:
      return {};
  }
}

// A header of the compiler's or of a well-kept library that is the same on every system.
bool PortableSystemHeader(const std::string& name, Part part) {
  static const std::set<std::string> kCompiler = {"immintrin.h", "emmintrin.h", "cpuid.h"};
  if (kCompiler.count(name) != 0) return true;
  if (name == "sqlite3.h") return part == Part::Platform || part == Part::PlatformBackend;
  // The standard library's headers have no extension and no folder.
  return name.find('.') == std::string::npos && name.find('/') == std::string::npos;
}

struct Include {
  std::string file;
  int line = 0;
  std::string name;
  bool quoted = false;
};

std::vector<Include> IncludesOf(const fs::path& root, const std::string& file) {
  static const std::regex kInclude(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
  std::vector<Include> found;
  std::ifstream in(root / file);
  std::string text;
  for (int line = 1; std::getline(in, text); ++line) {
    std::smatch m;
    if (std::regex_search(text, m, kInclude)) found.push_back({file, line, m[2].str(), m[1].str() == "\""});
  }
  return found;
}

// Where an include leads inside the tree, or nothing for a header from outside it.
std::optional<std::string> Resolve(const fs::path& root, const Include& inc, Part part) {
  if (!inc.quoted) {
    if (inc.name.rfind("Utility/Platform/", 0) == 0) return "platform/include/" + inc.name;
    if (inc.name.rfind("Utility/", 0) == 0) return "frame/include/" + inc.name;
    return std::nullopt;
  }
  std::vector<std::string> places = {fs::path(inc.file).parent_path().string()};
  for (const std::string& r : RootsOf(part)) places.push_back(r);
  for (const std::string& place : places) {
    const fs::path candidate = fs::path(place) / inc.name;
    if (fs::exists(root / candidate)) return candidate.lexically_normal().generic_string();
  }
  return "";  // quoted, yet found nowhere the build looks: an include that only a wide root allowed
}

// Every broken rule of the tree under root, one line each.
std::vector<std::string> Violations(const fs::path& root, std::size_t* filesSeen = nullptr) {
  std::vector<std::string> out;
  std::size_t files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string ext = entry.path().extension().string();
    if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h" && ext != ".inc")) continue;
    const std::string file = entry.path().lexically_relative(root).generic_string();
    const std::optional<Part> part = PartOf(file);
    if (!part) continue;
    ++files;
    for (const Include& inc : IncludesOf(root, file)) {
      const std::string where = file + ":" + std::to_string(inc.line) + ": " + inc.name + ": ";
      const std::optional<std::string> target = Resolve(root, inc, *part);
      if (!target) {
        if (kPortable.count(*part) != 0 && !PortableSystemHeader(inc.name, *part)) {
          out.push_back(where + "an operating-system header in the " + kPartNames.at(*part));
        }
        continue;
      }
      const std::optional<Part> to = target->empty() ? std::nullopt : PartOf(*target);
      if (!to) {
        out.push_back(where + "not found beside the file or under the " + kPartNames.at(*part) + "'s include root");
      } else if (kAllowed.at(*part).count(*to) == 0) {
        out.push_back(where + "the " + kPartNames.at(*part) + " must not include the " + kPartNames.at(*to));
      }
    }
  }
  if (filesSeen != nullptr) *filesSeen = files;
  return out;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

void Write(const fs::path& file, const std::string& text) {
  fs::create_directories(file.parent_path());
  std::ofstream(file) << text;
}

}  // namespace

TEST(Arrows, TheSourceTreeHasOnlyTheAllowedOnes) {
  std::size_t files = 0;
  const std::vector<std::string> broken = Violations(UTILITY_SOURCE_DIR, &files);
  EXPECT_GT(files, 150u) << "the product's files were not found under " << UTILITY_SOURCE_DIR;
  EXPECT_TRUE(broken.empty()) << Joined(broken);
}

// The check itself: a small tree with one file per kind of wrong arrow, and one of each kind
// of allowed arrow, must give exactly the wrong ones.
TEST(Arrows, EachKindOfWrongArrowIsFound) {
  utility::testsupport::TempDir dir;
  const fs::path root = dir.path();
  Write(root / "platform/include/Utility/Platform/Types.h", "#include <cstdint>\n");
  Write(root / "platform/src/Portable.h", "#include <Utility/Platform/Types.h>\n");
  Write(root / "platform/src/posix/Calls.h", "#include <unistd.h>\n#include \"Portable.h\"\n");
  Write(root / "frame/include/Utility/Utility.h", "#include <Utility/Platform/Types.h>\n");
  Write(root / "names/Own.h", "");
  Write(root / "names/Good.cpp", "#include <Utility/Utility.h>\n#include \"Own.h\"\n#include <vector>\n");
  Write(root / "cli/Good.cpp", "#include <Utility/Utility.h>\n#include <unistd.h>\n");
  Write(root / "diskid/Good.cpp", "#include <Utility/Platform/Types.h>\n#include <sys/stat.h>\n");
  Write(root / "platform/src/KnowsLibrary.cpp", "#include <Utility/Utility.h>\n");
  Write(root / "platform/src/KnowsBackend.cpp", "#include \"posix/Calls.h\"\n");
  Write(root / "platform/src/CallsSystem.cpp", "#include <fcntl.h>\n");
  Write(root / "names/KnowsHost.cpp", "#include \"cli/Good.cpp\"\n");
  Write(root / "names/CallsSystem.cpp", "#include <dirent.h>\n");
  Write(root / "diskid/KnowsLibrary.cpp", "#include <Utility/Utility.h>\n");
  Write(root / "frame/include/Utility/Wide.h", "#include <sys/types.h>\n");

  std::vector<std::string> broken = Violations(root);
  std::sort(broken.begin(), broken.end());
  const std::vector<std::string> expected = {
      "diskid/KnowsLibrary.cpp:1: Utility/Utility.h: the identity module must not include the library header",
      "frame/include/Utility/Wide.h:1: sys/types.h: an operating-system header in the library header",
      "names/CallsSystem.cpp:1: dirent.h: an operating-system header in the library",
      "names/KnowsHost.cpp:1: cli/Good.cpp: not found beside the file or under the library's include root",
      "platform/src/CallsSystem.cpp:1: fcntl.h: an operating-system header in the portable platform",
      "platform/src/KnowsBackend.cpp:1: posix/Calls.h: the portable platform must not include the platform backend",
      "platform/src/KnowsLibrary.cpp:1: Utility/Utility.h: the portable platform must not include the library header",
  };
  EXPECT_EQ(broken, expected) << Joined(broken);
}
