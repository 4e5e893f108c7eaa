// Machine identity: the hard drive and processor identifiers of DiskID.dll, and GUID text
// derived from an identifier.
#include <Utility/Utility.h>

#include "DiskIDDll.h"
#include "GuidByID.h"

namespace {

// The one piece of data that outlives a call: CreateGuidByID's text, shared by every caller.
char g_guidText[64] = {};

}  // namespace

LONG CUtility::GetHardDriveComputerID() {
  CDiskIDDll module;
  module.Load();
  return module.m_getHardDriveComputerID != nullptr ? module.m_getHardDriveComputerID() : 0;
}

CString CUtility::GetCPUID() {
  CDiskIDDll module;
  module.Load();
  return module.GetCPUID();
}

CString CUtility::GetComputerGUID() {
  const LONG id = GetHardDriveComputerID();
  const char* text = CreateGuidByID(static_cast<ULONG>(id));
  return CString(text);  // hexadecimal digits and dashes only
}

const char* CUtility::CreateGuidByID(ULONG id) {
  utility::identity::FormatGuidByID(id, g_guidText, sizeof g_guidText);
  return g_guidText;
}
