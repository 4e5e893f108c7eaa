// The arrows between the parts of the product, read from every #include of the source tree:
// platform <- library <- host program, the identity module on the platform alone, the portable
// platform code apart from its operating-system backend, and no operating-system header where
// code must build for every system; and no call outside the host program that changes a setting
// of the whole process.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

enum class Part { PlatformApi, Platform, PlatformBackend, LibraryApi, Library, IdentityModule, Host };

struct Rule {
  const char* name;
  std::set<Part> mayInclude;  // every other arrow must not exist
  bool portable;              // builds unchanged for every system: no operating-system header
};

const std::map<Part, Rule> kRules = {
    {Part::PlatformApi, {"platform headers", {Part::PlatformApi}, true}},
    {Part::Platform, {"portable platform", {Part::PlatformApi, Part::Platform}, true}},
    {Part::PlatformBackend, {"platform backend", {Part::PlatformApi, Part::Platform, Part::PlatformBackend}, false}},
    {Part::LibraryApi, {"library header", {Part::PlatformApi, Part::LibraryApi}, true}},
    {Part::Library, {"library", {Part::PlatformApi, Part::LibraryApi, Part::Library}, true}},
    {Part::IdentityModule, {"identity module", {Part::PlatformApi, Part::IdentityModule}, false}},
    {Part::Host, {"host program", {Part::PlatformApi, Part::LibraryApi, Part::Host}, false}},
};

bool Under(const std::string& path, const std::string& folder) { return path.rfind(folder + "/", 0) == 0; }

// The part a file belongs to by its path from the root; none for tests, benchmarks and tools.
std::optional<Part> PartOf(const std::string& path) {
  if (Under(path, "platform/include")) return Part::PlatformApi;
  if (Under(path, "platform/src/posix") || Under(path, "platform/src/win32")) return Part::PlatformBackend;
  if (Under(path, "platform/src")) return Part::Platform;
  if (Under(path, "frame/include")) return Part::LibraryApi;
  for (const char* folder :
       {"frame", "encoding", "variant", "bits", "names", "files", "registry", "tracklog", "system", "identity"}) {
    if (Under(path, folder)) return Part::Library;
  }
  if (Under(path, "diskid")) return Part::IdentityModule;
  if (Under(path, "cli")) return Part::Host;
  return std::nullopt;
}

// A header of the compiler's or of a well-kept library that is the same on every system.
bool PortableSystemHeader(const std::string& name, Part part) {
  if (name == "immintrin.h" || name == "emmintrin.h" || name == "cpuid.h") return true;
  if (name == "sqlite3.h") return part == Part::Platform || part == Part::PlatformBackend;
  // The standard library's headers have no extension and no folder.
  return name.find_first_of("./") == std::string::npos;
}

// Where an include leads inside the tree: nothing for a header from outside it, "" for a quoted
// one found nowhere the build looks (beside the file, or under the part's private include root).
std::optional<std::string> Resolve(const fs::path& root, const std::string& file, const std::string& name, bool quoted,
                                   Part part) {
  if (!quoted) {
    if (name.rfind("Utility/Platform/", 0) == 0) return "platform/include/" + name;
    if (name.rfind("Utility/", 0) == 0) return "frame/include/" + name;
    return std::nullopt;
  }
  std::vector<std::string> places = {fs::path(file).parent_path().string()};
  if (part == Part::Platform || part == Part::PlatformBackend) places.push_back("platform/src");
  if (part == Part::Host) places.push_back("cli");
  for (const std::string& place : places) {
    const fs::path candidate = fs::path(place) / name;
    if (fs::exists(root / candidate)) return candidate.lexically_normal().generic_string();
  }
  return "";
}

// Calls f(file, part, text) for every source file of the product under root.
template <class F>
std::size_t ForEachProductFile(const fs::path& root, F f) {
  std::size_t files = 0;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
    const fs::directory_entry& entry = *it;
    // Build trees and hidden folders hold no sources, and change while tests run in them.
    const std::string top = entry.path().filename().string();
    if (it.depth() == 0 && entry.is_directory() && (top == "build" || top.starts_with("."))) {
      it.disable_recursion_pending();
      continue;
    }
    const std::string ext = entry.path().extension().string();
    if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h" && ext != ".inc")) continue;
    const std::string file = entry.path().lexically_relative(root).generic_string();
    const std::optional<Part> part = PartOf(file);
    if (!part) continue;
    ++files;
    std::ifstream in(entry.path());
    f(file, *part, std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
  }
  return files;
}

// Every broken rule of the tree under root, one line each. Besides the arrows: a call outside
// the host program that changes what the whole process shares (locale, working directory,
// signal handlers, environment, file mode mask), since a library serves many callers in one
// process; a call in a comment does not count.
std::vector<std::string> Violations(const fs::path& root, std::size_t* filesSeen = nullptr) {
  static const std::regex kInclude(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
  static const std::regex kCall(
      R"(\b(setlocale|uselocale|locale::global|chdir|fchdir|signal|sigaction|setenv|unsetenv|putenv|_wputenv_s|umask|)"
      R"(SetCurrentDirectoryW?|SetEnvironmentVariableW?)\s*\()");
  std::vector<std::string> out;
  const std::size_t files = ForEachProductFile(root, [&](const std::string& file, Part part, const std::string& all) {
    const Rule& rule = kRules.at(part);
    std::istringstream in(all);
    std::string text;
    std::smatch m;
    for (int line = 1; std::getline(in, text); ++line) {
      const std::string code = text.substr(0, text.find("//"));
      if (part != Part::Host && std::regex_search(code, m, kCall))
        out.push_back(file + ":" + std::to_string(line) + ": " + m[1].str() + ": a process-wide change in the " +
                      rule.name);
      if (!std::regex_search(text, m, kInclude)) continue;
      const std::string name = m[2].str();
      const std::string where = file + ":" + std::to_string(line) + ": " + name + ": ";
      const std::optional<std::string> target = Resolve(root, file, name, m[1].str() == "\"", part);
      const std::optional<Part> to = target && !target->empty() ? PartOf(*target) : std::nullopt;
      if (!target) {
        if (rule.portable && !PortableSystemHeader(name, part))
          out.push_back(where + "an operating-system header in the " + rule.name);
      } else if (!to) {
        out.push_back(where + "not found beside the file or under the " + rule.name + "'s include root");
      } else if (rule.mayInclude.count(*to) == 0) {
        out.push_back(where + "the " + rule.name + " must not include the " + kRules.at(*to).name);
      }
    }
  });
  if (filesSeen != nullptr) *filesSeen = files;
  return out;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

}  // namespace

TEST(Arrows, TheSourceTreeHasOnlyTheAllowedOnes) {
  std::size_t files = 0;
  const std::vector<std::string> broken = Violations(UTILITY_SOURCE_DIR, &files);
  EXPECT_GT(files, 150u) << "the product's files were not found under " << UTILITY_SOURCE_DIR;
  EXPECT_TRUE(broken.empty()) << Joined(broken);
}

// The checks themselves: a small tree with allowed arrows and three wrong ones must give exactly
// the wrong ones, and of two calls that change the process, only the library's.
TEST(Arrows, WrongArrowsAreFound) {
  utility::testsupport::TempDir dir;
  const std::map<std::string, std::string> tree = {
      {"platform/include/Utility/Platform/Types.h", "#include <cstdint>\n"},
      {"platform/src/posix/Calls.h", "#include <unistd.h>\n"},
      {"frame/include/Utility/Utility.h", "#include <Utility/Platform/Types.h>\n"},
      {"names/Own.h", ""},
      {"names/Good.cpp", "#include <Utility/Utility.h>\n#include \"Own.h\"\n#include <vector>\n"},
      {"platform/src/KnowsBackend.cpp", "#include \"posix/Calls.h\"\n"},
      {"names/CallsSystem.cpp", "#include <dirent.h>\n"},
      {"diskid/KnowsLibrary.cpp", "#include <Utility/Utility.h>\n"},
      {"names/SetsLocale.cpp",
       "// setlocale(LC_ALL, \"\") would change every thread's\nvoid F() { std::setlocale (LC_ALL, \"\"); }\n"},
      {"cli/Main.cpp", "void G() { setenv(\"A\", \"b\", 1); }\n"},
  };
  for (const auto& [file, text] : tree) {
    fs::create_directories((dir.path() / file).parent_path());
    std::ofstream(dir.path() / file) << text;
  }
  std::vector<std::string> broken = Violations(dir.path());
  std::sort(broken.begin(), broken.end());
  const std::vector<std::string> expected = {
      "diskid/KnowsLibrary.cpp:1: Utility/Utility.h: the identity module must not include the library header",
      "names/CallsSystem.cpp:1: dirent.h: an operating-system header in the library",
      "names/SetsLocale.cpp:2: setlocale: a process-wide change in the library",
      "platform/src/KnowsBackend.cpp:1: posix/Calls.h: the portable platform must not include the platform backend",
  };
  EXPECT_EQ(broken, expected) << Joined(broken);
}
