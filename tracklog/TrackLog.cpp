// SaveTrackLog and SaveTrackLogEx: timestamped entries appended to a code page 936 text file.
#include <Utility/Platform/File.h>
#include <Utility/Platform/FileSystem.h>
#include <Utility/Platform/Time.h>
#include <Utility/Utility.h>

namespace {

// 58 equals signs: the line that opens every entry.
constexpr const char16_t* kSeparator = u"==========================================================";

}  // namespace

void CUtility::SaveTrackLog(const CString& logPath, const CString& entryText, int startNew) {
  // A deletion that fails is not reported: the entry then goes to the end of the old file.
  if (startNew != 0 && PathFileExistsW(logPath)) DeleteFileW(logPath);
  // Write access alone, no sharing: the file must exist, and a writer that finds it held by
  // another drops its entry instead of waiting. A missing file is created empty first; trying
  // the open before looking for the file spares a call on every append to an existing log.
  CStdioFile file;
  file.SetCodePage(CP_GBK);
  if (!file.Open(logPath, CFile::modeWrite | CFile::typeText)) {
    if (GetLastError() != ERROR_FILE_NOT_FOUND) return;
    // Created without truncation: should another writer create the file between the failed
    // open and this one, its entry is kept rather than cut away.
    CFile create;
    if (create.Open(logPath, CFile::modeCreate | CFile::modeNoTruncate)) create.Abort();
    if (!file.Open(logPath, CFile::modeWrite | CFile::typeText)) return;
  }
  SYSTEMTIME now;
  GetLocalTime(&now);
  CString entry;
  entry.Format(u"%s\n%04d/%02d/%02d %02d:%02d:%02d.%03d : %s\n\n", kSeparator, static_cast<int>(now.wYear),
               static_cast<int>(now.wMonth), static_cast<int>(now.wDay), static_cast<int>(now.wHour),
               static_cast<int>(now.wMinute), static_cast<int>(now.wSecond), static_cast<int>(now.wMilliseconds),
               entryText.GetString());  // as zero-terminated text: an embedded zero ends it
  try {
    file.SeekToEnd();
    file.WriteString(entry);
    file.Close();
  } catch (const CFileException&) {
    // A full disk or a failing device ends the call quietly, as every other failure does.
    file.Abort();
  }
}

void CUtility::SaveTrackLogEx(const CString& logName, const CString& entryText, int startNew) {
  CString path;
  path.Format(u"%s\\%s", GetModulePath(), logName);
  SaveTrackLog(path, entryText, startNew);
}
