// The identity queries through DiskID.dll: a probe host program is laid out with the libraries
// as an installation is (bin/host, <libdir>/ with the libraries, <libdir>/utility/ for the
// package's modules), with or without a module beside the host or in the package's directory.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <Utility/Utility.h>

#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using utility::testsupport::TempDir;

namespace {

const char* const kGuidOfZero = "00000000-0000-0000-0000-000000000000";

const fs::path kModules = UTILITY_MODULEDIR;

// A module copied to root/<where>/DiskID.dll.
struct Placed {
  const char* module;
  fs::path where;
};

// Lays out root/bin/host and root/<libdir>/<libraries>, then the modules.
void LayOut(const fs::path& root, const std::vector<Placed>& modules) {
  fs::create_directories(root / "bin");
  fs::create_directories(root / kModules);
  fs::copy_file(IDENTITY_PROBE, root / "bin" / "host");
  fs::copy_file(UTILITY_LIBRARY, root / UTILITY_LIBDIR / UTILITY_LIBRARY_SONAME);
  fs::copy_file(PLATFORM_LIBRARY, root / UTILITY_LIBDIR / PLATFORM_LIBRARY_SONAME);
  for (const Placed& p : modules) fs::copy_file(p.module, root / p.where / "DiskID.dll");
}

std::map<std::string, std::string> RunHost(const fs::path& root) {
  return utility::testsupport::RunProbe(root / "bin" / "host");
}

}  // namespace

// Without a usable module, or with one that lacks an export, the queries answer what they have
// and nothing for the rest; the module beside the host wins over the package's.
TEST(IdentityQueries, AnswerOnlyWhatTheModuleFoundExports) {
  struct Case {
    const char* why;
    std::vector<Placed> modules;
    const char* notAModule;  // written as bin/DiskID.dll, when not null
    const char* id;
    const char* cpu;
    const char* guid;
  };
  const char* const partialGuid = "FFFFFE00-FFE0-FFF8-00E0-FFFCFFFFFFFF";
  const Case cases[] = {
      {"no module", {}, nullptr, "0", "", kGuidOfZero},
      {"a module beside the library, not in its module directory",
       {{REAL_DISKID, UTILITY_LIBDIR}},
       nullptr,
       "0",
       "",
       kGuidOfZero},
      {"a file that is no module beside the host",
       {{REAL_DISKID, kModules}},
       "not a shared object\n",
       "0",
       "",
       kGuidOfZero},
      {"no GetCPUID, a negative identifier", {{PARTIAL_DISKID, "bin"}}, nullptr, "-2", "", partialGuid},
      {"no GetHardDriveComputerID", {{CPUONLY_DISKID, "bin"}}, nullptr, "0", "FAKE-CPU-0001", kGuidOfZero},
      {"the host's module before the package's",
       {{PARTIAL_DISKID, "bin"}, {CPUONLY_DISKID, kModules}},
       nullptr,
       "-2",
       "",
       partialGuid},
      {"the package's module when the host has none",
       {{CPUONLY_DISKID, kModules}},
       nullptr,
       "0",
       "FAKE-CPU-0001",
       kGuidOfZero},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    TempDir dir;
    LayOut(dir.path(), c.modules);
    if (c.notAModule != nullptr) std::ofstream(dir.path() / "bin" / "DiskID.dll") << c.notAModule;
    const auto out = RunHost(dir.path());
    EXPECT_EQ(out.at("id"), c.id);
    EXPECT_EQ(out.at("cpu"), c.cpu);
    EXPECT_EQ(out.at("guid"), c.guid);
    EXPECT_EQ(out.at("loaded"), "0");
  }
}
