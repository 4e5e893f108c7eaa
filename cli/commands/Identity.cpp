// `utility identity`: the machine identifiers that DiskID.dll (beside this program, or the installed one) supplies, and
// the GUID text of any identifier.
#include <ostream>
#include <string>

#include <Utility/Platform/InstallLayout.h>
#include <Utility/Utility.h>

#include "Command.h"
#include "Groups.h"

namespace utility::cli {
namespace {

// The identifiers come from the module; without it the library answers 0 or "", which must not
// pass for an answer.
void RequireModule() {
  RequireInstalled("DiskID.dll", utility::platform::InstalledModuleDirectory(), "identity module");
}

int DiskId(const Invocation&, Reply& reply) {
  RequireModule();
  reply.Integer("id", CUtility::GetHardDriveComputerID());
  return kExitOk;
}

int CpuId(const Invocation&, Reply& reply) {
  RequireModule();
  reply.Text("cpu", CUtility::GetCPUID().ToUtf8());
  return kExitOk;
}

int ComputerGuid(const Invocation&, Reply& reply) {
  RequireModule();
  reply.Text("guid", CUtility::GetComputerGUID().ToUtf8());
  return kExitOk;
}

int GuidOf(const Invocation& inv, Reply& reply) {
  // Negative identifiers are taken by their 32-bit pattern, as the hard drive identifier is.
  const long long id = inv.Integer(0);
  reply.Text("guid", CUtility::CreateGuidByID(static_cast<ULONG>(id)));
  return kExitOk;
}

void Demo(std::ostream& out) {
  const LONG id = CUtility::GetHardDriveComputerID();
  const std::string cpu = CUtility::GetCPUID().ToUtf8();
  out << "Hard drive identifier (0: DiskID.dll missing or no disk identity): " << id << '\n'
      << "Processor identifier: " << (cpu.empty() ? "(not available)" : cpu) << '\n'
      << "Computer GUID: " << CUtility::GetComputerGUID().ToUtf8() << '\n'
      << "GUID text of identifier 1: " << CUtility::CreateGuidByID(1) << '\n';
}

}  // namespace

// The table keeps one command to a few lines, laid out by hand.
// clang-format off
Group IdentityGroup() {
  return {"identity",
          "machine identifiers from DiskID.dll (beside this program or installed), and GUID text of identifiers",
          {
              {"identity", "disk-id", {}, "print the hard drive identifier (0 when not available)", {},
               {"utility identity disk-id"}, DiskId},
              {"identity", "cpu-id", {}, "print the processor identifier (empty when not available)", {},
               {"utility identity cpu-id"}, CpuId},
              {"identity", "computer-guid", {}, "print the GUID text of the hard drive identifier", {},
               {"utility identity computer-guid"}, ComputerGuid},
              {"identity", "guid-of", {Integer("id", "identifier", -0x80000000LL, 0xFFFFFFFFLL)}, "print the GUID text of a 32-bit identifier (decimal, 0x hex or negative)",
               {}, {"utility identity guid-of 1", "utility identity guid-of 0x12345678", "utility identity guid-of -2"}, GuidOf},
          },
          Demo};
}
// clang-format on

}  // namespace utility::cli
