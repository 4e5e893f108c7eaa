// ReNameFolder: the shell's rename of one item.
#include <vector>

#include <Utility/Platform/FileSystem.h>
#include <Utility/Utility.h>

namespace {

// The shell's lists are fixed buffers of 1024 units: the text and two zero units must fit.
constexpr int kListUnits = 1024;

std::vector<WCHAR> ShellList(const CString& path) {
  std::vector<WCHAR> list(kListUnits, 0);
  const WCHAR* text = path;
  for (int i = 0; i < path.GetLength() && text[i] != 0; ++i) list[static_cast<std::size_t>(i)] = text[i];
  return list;
}

}  // namespace

int CUtility::ReNameFolder(const CString& from, const CString& to) {
  if (from.GetLength() > kListUnits - 2 || to.GetLength() > kListUnits - 2) return 0;
  std::vector<WCHAR> source = ShellList(from), target = ShellList(to);
  SHFILEOPSTRUCTW operation{};
  operation.hwnd = nullptr;
  operation.wFunc = FO_RENAME;
  operation.pFrom = source.data();
  operation.pTo = target.data();
  operation.fFlags = static_cast<FILEOP_FLAGS>(FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI);
  operation.hNameMappings = nullptr;
  operation.lpszProgressTitle = nullptr;
  return SHFileOperationW(&operation) == 0 ? 1 : 0;
}
