// SaveTrackLog and SaveTrackLogEx: timestamped entries appended to a code page 936 text file.
#include <string>

#include <Utility/Platform/File.h>
#include <Utility/Platform/FileSystem.h>
#include <Utility/Platform/Time.h>
#include <Utility/Utility.h>

namespace {

// The line of 58 equals signs that opens every entry.
constexpr char kSeparator[] = "==========================================================\r\n";
constexpr std::size_t kSeparatorLength = sizeof kSeparator - 1;
// The second line up to the text: "yyyy/mm/dd hh:mm:ss.mmm : " (a year past 9999 takes more).
constexpr std::size_t kStampLength = 26;
// Two line ends close the entry.
constexpr char kEnd[] = "\r\n\r\n";

// Writes value in decimal, zero-padded to at least width digits, and returns the end.
char* PutNumber(char* at, unsigned value, int width) noexcept {
  int digits = 1;
  for (unsigned rest = value / 10; rest != 0; rest /= 10) ++digits;
  if (digits < width) digits = width;
  for (int i = digits - 1; i >= 0; --i) {
    at[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  return at + digits;
}

// Writes "yyyy/mm/dd hh:mm:ss.mmm : " and returns the end; 48 bytes hold any SYSTEMTIME.
char* PutStamp(char* at, const SYSTEMTIME& now) noexcept {
  at = PutNumber(at, now.wYear, 4);
  *at++ = '/';
  at = PutNumber(at, now.wMonth, 2);
  *at++ = '/';
  at = PutNumber(at, now.wDay, 2);
  *at++ = ' ';
  at = PutNumber(at, now.wHour, 2);
  *at++ = ':';
  at = PutNumber(at, now.wMinute, 2);
  *at++ = ':';
  at = PutNumber(at, now.wSecond, 2);
  *at++ = '.';
  at = PutNumber(at, now.wMilliseconds, 3);
  *at++ = ' ';
  *at++ = ':';
  *at++ = ' ';
  return at;
}

// The entry's bytes: the text in code page 936, and every line end, those inside the text
// too, as CR LF. False when the text cannot be converted (the system lacks the code page).
bool EntryBytes(const SYSTEMTIME& now, const CString& text, std::string& entry) {
  // As zero-terminated text: an embedded zero ends it.
  const WCHAR* body = text.GetString();
  const auto length = static_cast<std::size_t>(text.GetLength());
  std::size_t bodyLength = 0;
  while (bodyLength < length && body[bodyLength] != 0) ++bodyLength;

  // Room enough for the usual text, one byte a unit with a few line ends.
  entry.reserve(kSeparatorLength + kStampLength + bodyLength + bodyLength / 8 + sizeof kEnd);
  entry.append(kSeparator, kSeparatorLength);
  char stamp[48];
  entry.append(stamp, static_cast<std::size_t>(PutStamp(stamp, now) - stamp));
  if (!CStdioFile::AppendText(CP_GBK, true, body, bodyLength, entry)) return false;
  entry.append(kEnd, sizeof kEnd - 1);
  return true;
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
  CFile file;
  if (!file.Open(logPath, CFile::modeWrite | CFile::modeAppend | CFile::modeCreate | CFile::modeNoTruncate)) return;
  try {
    SYSTEMTIME now;
    GetLocalTime(&now);
    // One write for the whole entry, or none.
    std::string entry;
    if (!EntryBytes(now, entryText, entry)) {
      file.Abort();
      return;
    }
    // Append cuts away what a write that fails part way stored, so no torn entry is left.
    file.Append(entry.data(), static_cast<UINT>(entry.size()));
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
