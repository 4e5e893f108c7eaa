// Loading DiskID.dll from the host directory, found exactly as GetModulePath finds it, or, when
// the host has none, from the installed package's module directory.
#include "DiskIDDll.h"

#include <Utility/Platform/FileSystem.h>
#include <Utility/Platform/InstallLayout.h>
#include <Utility/Platform/Library.h>
#include <Utility/Platform/Module.h>

namespace {

template <class Function>
Function Resolve(HMODULE module, const char* name) {
  // Through void (*)(), the generic function pointer type, to the export's real type.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace

CDiskIDDll::~CDiskIDDll() {
  if (m_module != nullptr) {
    FreeLibrary(m_module);
    m_module = nullptr;
  }
}

void CDiskIDDll::Load() {
  if (m_module != nullptr) {
    FreeLibrary(m_module);
    m_module = nullptr;
  }
  // The executable's directory: its full path read into MAX_PATH units (a longer one is cut),
  // then cut before the last backslash; a path without one is taken whole.
  WCHAR path[MAX_PATH] = {};
  GetModuleFileNameW(GetModuleHandleW(nullptr), path, MAX_PATH);
  CString directory;
  directory.Format(u"%s", path);
  const int slash = directory.ReverseFind(u'\\');
  if (slash != -1) directory = directory.Left(slash);
  CString library;
  library.Format(u"%s\\DiskID.dll", directory);
  HMODULE module = LoadLibraryW(library.GetString());
  if (module == nullptr && GetFileAttributesW(library.GetString()) == INVALID_FILE_ATTRIBUTES) {
    // No module beside the host: the one the installed package ships, if any.
    const CString shipped = utility::platform::InstalledModuleDirectory();
    if (!shipped.IsEmpty()) module = LoadLibraryW((shipped + u"\\DiskID.dll").GetString());
  }
  if (module == nullptr) return;
  m_module = module;
  m_getHardDriveComputerID = Resolve<HardDriveIDFunction>(module, "GetHardDriveComputerID");
  m_getMACaddress = Resolve<MACAddressFunction>(module, "GetMACaddress");
  m_createGuidByID = Resolve<GuidByIDFunction>(module, "CreateGuidByID");
  m_getCPUID = Resolve<CPUIDFunction>(module, "GetCPUID");
}

CString CDiskIDDll::GetCPUID() const {
  if (m_getCPUID == nullptr) return CString();
  // The returned string is the module's temporary: copied here, released at the end of this
  // statement, both while the module is still loaded.
  return CString(m_getCPUID());
}
