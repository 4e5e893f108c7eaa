// A host program for the identity tests: copied into a temporary directory (with or without a
// DiskID.dll beside it) and run there, it prints what the identity queries answer and whether
// the module stayed loaded afterwards.
#include <Utility/Platform/Module.h>
#include <Utility/Utility.h>

#include <cstdio>

int main() {
  const LONG id = CUtility::GetHardDriveComputerID();
  const CString cpu = CUtility::GetCPUID();
  const CString guid = CUtility::GetComputerGUID();
  std::printf("id=%d\n", static_cast<int>(id));
  std::printf("cpu=%s\n", cpu.ToUtf8().c_str());
  std::printf("guid=%s\n", guid.ToUtf8().c_str());
  std::printf("loaded=%d\n", GetModuleHandleW(reinterpret_cast<const WCHAR*>(u"DiskID.dll")) != nullptr ? 1 : 0);
  return 0;
}
