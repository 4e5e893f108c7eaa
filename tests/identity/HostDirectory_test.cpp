// The identity queries through DiskID.dll in the host directory: a probe host program is laid
// out with the libraries as an installation is (bin/ and lib/), with or without a module.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include <Utility/Utility.h>

#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using utility::testsupport::TempDir;

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
  return utility::testsupport::RunProbe(root / "bin" / "host");
}

}  // namespace

// Without a usable module beside the host, or with one that lacks an export, the queries
// answer what they have and nothing for the rest.
TEST(IdentityQueries, AnswerOnlyWhatAModuleBesideTheHostExports) {
  struct Case {
    const char* why;
    const char* module;  // copied as DiskID.dll, or null
    const char* where;
    const char* notAModule;  // written as DiskID.dll instead, when not null
    const char* id;
    const char* cpu;
    const char* guid;
  };
  const Case cases[] = {
      {"no module", nullptr, "bin", nullptr, "0", "", kGuidOfZero},
      {"a module beside the library only", REAL_DISKID, "lib", nullptr, "0", "", kGuidOfZero},
      {"a file that is no module", nullptr, "bin", "not a shared object\n", "0", "", kGuidOfZero},
      {"no GetCPUID, a negative identifier", PARTIAL_DISKID, "bin", nullptr, "-2", "",
       "FFFFFE00-FFE0-FFF8-00E0-FFFCFFFFFFFF"},
      {"no GetHardDriveComputerID", CPUONLY_DISKID, "bin", nullptr, "0", "FAKE-CPU-0001", kGuidOfZero},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    TempDir dir;
    LayOut(dir.path(), c.module, c.where);
    if (c.notAModule != nullptr) std::ofstream(dir.path() / "bin" / "DiskID.dll") << c.notAModule;
    const auto out = RunHost(dir.path());
    EXPECT_EQ(out.at("id"), c.id);
    EXPECT_EQ(out.at("cpu"), c.cpu);
    EXPECT_EQ(out.at("guid"), c.guid);
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
