// The identity queries through DiskID.dll in the host directory: a probe host program is laid
// out with the libraries as an installation is (bin/ and lib/), with or without a module.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include <Utility/Utility.h>

#include "support/TempDir.h"

namespace fs = std::filesystem;
using testsupport::TempDir;

namespace {

const char* const kGuidOfZero = "00000000-0000-0000-0000-000000000000";

// Lays out root/bin/host and root/lib/<libraries>, and copies module (if any) to where.
void LayOut(const fs::path& root, const char* module, const fs::path& where) {
  fs::create_directories(root / "bin");
  fs::create_directories(root / "lib");
  fs::copy_file(IDENTITY_PROBE, root / "bin" / "host");
  fs::copy_file(UTILITY_LIBRARY, root / "lib" / UTILITY_LIBRARY_SONAME);
  fs::copy_file(PLATFORM_LIBRARY, root / "lib" / PLATFORM_LIBRARY_SONAME);
  if (module != nullptr) fs::copy_file(module, root / where / "DiskID.dll");
}

std::map<std::string, std::string> RunHost(const fs::path& root) {
  std::map<std::string, std::string> out;
  FILE* pipe = popen(("'" + (root / "bin" / "host").string() + "'").c_str(), "r");
  if (pipe == nullptr) return out;
  std::array<char, 4096> line{};
  while (std::fgets(line.data(), static_cast<int>(line.size()), pipe) != nullptr) {
    std::string s(line.data());
    if (!s.empty() && s.back() == '\n') s.pop_back();
    const std::size_t eq = s.find('=');
    if (eq != std::string::npos) out[s.substr(0, eq)] = s.substr(eq + 1);
  }
  EXPECT_EQ(pclose(pipe), 0);
  return out;
}

void ExpectNothingAvailable(const std::map<std::string, std::string>& out) {
  EXPECT_EQ(out.at("id"), "0");
  EXPECT_EQ(out.at("cpu"), "");
  EXPECT_EQ(out.at("guid"), kGuidOfZero);
  EXPECT_EQ(out.at("loaded"), "0");
}

}  // namespace

TEST(IdentityQueries, AnswerNothingWithoutAModuleBesideTheHost) {
  TempDir dir;
  LayOut(dir.path(), nullptr, "bin");
  ExpectNothingAvailable(RunHost(dir.path()));
}

TEST(IdentityQueries, IgnoreAModuleBesideTheLibraryOnly) {
  TempDir dir;
  LayOut(dir.path(), REAL_DISKID, "lib");
  ExpectNothingAvailable(RunHost(dir.path()));
}

TEST(IdentityQueries, AnswerNothingForAFileThatIsNoModule) {
  TempDir dir;
  LayOut(dir.path(), nullptr, "bin");
  { std::ofstream(dir.path() / "bin" / "DiskID.dll") << "not a shared object\n"; }
  ExpectNothingAvailable(RunHost(dir.path()));
}

TEST(IdentityQueries, AnswerOnlyWhatTheModuleExports) {
  {
    SCOPED_TRACE("no GetCPUID, a negative identifier");
    TempDir dir;
    LayOut(dir.path(), PARTIAL_DISKID, "bin");
    const auto out = RunHost(dir.path());
    EXPECT_EQ(out.at("id"), "-2");
    EXPECT_EQ(out.at("cpu"), "");
    EXPECT_EQ(out.at("guid"), "FFFFFE00-FFE0-FFF8-00E0-FFFCFFFFFFFF");
    EXPECT_EQ(out.at("loaded"), "0");
  }
  {
    SCOPED_TRACE("no GetHardDriveComputerID");
    TempDir dir;
    LayOut(dir.path(), CPUONLY_DISKID, "bin");
    const auto out = RunHost(dir.path());
    EXPECT_EQ(out.at("id"), "0");
    EXPECT_EQ(out.at("cpu"), "FAKE-CPU-0001");
    EXPECT_EQ(out.at("guid"), kGuidOfZero);
    EXPECT_EQ(out.at("loaded"), "0");
  }
}

TEST(IdentityQueries, GiveTheRealModulesStableIdentifiers) {
  TempDir dir;
  LayOut(dir.path(), REAL_DISKID, "bin");
  const auto first = RunHost(dir.path());
  const auto second = RunHost(dir.path());
  EXPECT_EQ(first, second);  // the same in a new process
  EXPECT_EQ(first.at("loaded"), "0");
  const auto id = static_cast<ULONG>(std::stol(first.at("id")));
  EXPECT_EQ(first.at("guid"), CUtility::CreateGuidByID(id));
  // The same identifiers as this process gets from the module staged beside it.
  EXPECT_EQ(std::stol(first.at("id")), CUtility::GetHardDriveComputerID());
  EXPECT_EQ(first.at("cpu"), CUtility::GetCPUID().ToUtf8());
}
