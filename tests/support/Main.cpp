// Test entry point: every test process runs in a sandbox of its own, so that nothing a test
// writes (files, registry hives, settings) lands outside a temporary directory.
#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "support/TempDir.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  utility::testsupport::TempDir sandbox;
  const std::string home = sandbox.path().string();
  std::filesystem::create_directories(sandbox.path() / "registry");
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
  setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
  setenv("UTILITY_REGISTRY_DIR", (home + "/registry").c_str(), 1);
  return RUN_ALL_TESTS();
}
