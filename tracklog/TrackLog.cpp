// SaveTrackLog and SaveTrackLogEx: timestamped entries appended to a code page 936 text file.
#include <algorithm>

#include <Utility/Platform/File.h>
#include <Utility/Platform/FileSystem.h>
#include <Utility/Platform/Time.h>
#include <Utility/Utility.h>

namespace {

// 58 equals signs open every entry.
constexpr int kSeparatorLength = 58;
// The second line up to the text: "yyyy/mm/dd hh:mm:ss.mmm : " (a year past 9999 takes more).
constexpr int kStampLength = 26;

// Writes value in decimal, zero-padded to at least width digits, and returns the end.
WCHAR* PutNumber(WCHAR* at, unsigned value, int width) noexcept {
  int digits = 1;
  for (unsigned rest = value / 10; rest != 0; rest /= 10) ++digits;
  if (digits < width) digits = width;
  for (int i = digits - 1; i >= 0; --i) {
    at[i] = static_cast<WCHAR>(u'0' + value % 10);
    value /= 10;
  }
  return at + digits;
}

WCHAR* Put(WCHAR* at, char16_t unit) noexcept {
  *at = static_cast<WCHAR>(unit);
  return at + 1;
}

// The whole entry as text, with LF for each line end: the file's text mode writes them as
// CR LF, so that line ends inside the text and around it come out alike.
CString EntryText(const SYSTEMTIME& now, const CString& text) {
  // As zero-terminated text: an embedded zero ends it.
  const WCHAR* body = text.GetString();
  const int length = text.GetLength();
  int bodyLength = 0;
  while (bodyLength < length && body[bodyLength] != 0) ++bodyLength;

  CString entry;
  WCHAR* const start = entry.GetBuffer(kSeparatorLength + 1 + kStampLength + 1 + bodyLength + 2);
  WCHAR* at = start;
  for (int i = 0; i < kSeparatorLength; ++i) at = Put(at, u'=');
  at = Put(at, u'\n');
  at = PutNumber(at, now.wYear, 4);
  at = Put(at, u'/');
  at = PutNumber(at, now.wMonth, 2);
  at = Put(at, u'/');
  at = PutNumber(at, now.wDay, 2);
  at = Put(at, u' ');
  at = PutNumber(at, now.wHour, 2);
  at = Put(at, u':');
  at = PutNumber(at, now.wMinute, 2);
  at = Put(at, u':');
  at = PutNumber(at, now.wSecond, 2);
  at = Put(at, u'.');
  at = PutNumber(at, now.wMilliseconds, 3);
  at = Put(at, u' ');
  at = Put(at, u':');
  at = Put(at, u' ');
  std::copy_n(body, bodyLength, at);
  at += bodyLength;
  at = Put(at, u'\n');
  at = Put(at, u'\n');
  entry.ReleaseBuffer(static_cast<int>(at - start));
  return entry;
}

}  // namespace

void CUtility::SaveTrackLog(const CString& logPath, const CString& entryText, int startNew) {
  // A deletion that fails (nothing there, or a read-only file) is not reported: the entry then
  // goes to the end of the old file, if there is one.
  if (startNew != 0) DeleteFileW(logPath);
  // Write access alone, no sharing: a writer that finds the file held by another drops its
  // entry instead of waiting. Every write goes to the end, so no seek is needed; a missing
  // file is created, without truncation, so that should another writer create it first, its
  // entry is kept rather than cut away.
  CStdioFile file;
  file.SetCodePage(CP_GBK);
  constexpr UINT kAppend =
      CFile::modeWrite | CFile::modeAppend | CFile::modeCreate | CFile::modeNoTruncate | CFile::typeText;
  if (!file.Open(logPath, kAppend)) return;
  try {
    SYSTEMTIME now;
    GetLocalTime(&now);
    // One write for the whole entry.
    file.WriteString(EntryText(now, entryText));
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
