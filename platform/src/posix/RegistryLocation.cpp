// Where the predefined hives lie: the test and sandbox override, else the XDG configuration
// directory of the user, or the system directory of the machine.
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "RegistrySystem.h"

namespace utility::platform::registry {

namespace {

std::string HomeDirectory() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != 0) return home;
  struct passwd pw {};
  struct passwd* found = nullptr;
  char buffer[4096];
  if (getpwuid_r(getuid(), &pw, buffer, sizeof buffer, &found) == 0 && found != nullptr && found->pw_dir != nullptr) {
    return found->pw_dir;
  }
  return "/";
}

}  // namespace

std::string HiveDirectory(bool currentUser) {
  const char* override = std::getenv("UTILITY_REGISTRY_DIR");
  if (override != nullptr && *override != 0) return override;
  if (!currentUser) return "/var/lib/utility/registry";
  const char* config = std::getenv("XDG_CONFIG_HOME");
  // The XDG rules ignore a relative XDG_CONFIG_HOME.
  const std::string base = config != nullptr && config[0] == '/' ? std::string(config) : HomeDirectory() + "/.config";
  return base + "/utility/registry";
}

}  // namespace utility::platform::registry
