// Test entry point: every test process runs in a sandbox of its own, so that nothing a test
// writes (files, registry hives, settings) lands outside a temporary directory.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "support/Environment.h"
#include "support/TempDir.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  utility::testsupport::TempDir sandbox;
  const std::string home = sandbox.path().string();
  std::filesystem::create_directories(sandbox.path() / "registry");
  using utility::testsupport::SetEnvironment;
  SetEnvironment("HOME", home);
  SetEnvironment("XDG_CONFIG_HOME", home + "/config");
  SetEnvironment("XDG_DATA_HOME", home + "/data");
  SetEnvironment("UTILITY_REGISTRY_DIR", home + "/registry");
  return RUN_ALL_TESTS();
}
