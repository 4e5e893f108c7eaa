// Where the host program lies: its directory, module names and the help file's path.
#include <Utility/Platform/Module.h>
#include <Utility/Utility.h>

namespace {

// The module's full file name as the platform reports it into a MAX_PATH buffer, so a longer
// path is seen cut to 259 units.
CString ModuleFileName(HMODULE module) {
  WCHAR buffer[MAX_PATH] = {};
  GetModuleFileNameW(module, buffer, MAX_PATH);
  CString name;
  name.Format(u"%s", buffer);
  return name;
}

}  // namespace

CString CUtility::GetModulePath() {
  CString path = ModuleFileName(GetModuleHandleW(nullptr));
  const int slash = path.ReverseFind(u'\\');
  if (slash != -1) path = path.Left(slash);
  return path;
}

CString CUtility::GetModuleName(HINSTANCE module) { return FileNameOnly(ModuleFileName(module)); }

CString CUtility::FileNameOnly(CString path) {
  const int slash = path.ReverseFind(u'\\');
  return path.Right(path.GetLength() - slash - 1);
}

CString CUtility::GetHelpFile() {
  CString help;
  help.Format(u"%s\\%s\\%s", GetModulePath().GetString(), u"Help", u"TarnwellHelp.chm");
  return help;
}
