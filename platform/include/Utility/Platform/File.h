// CFile and CStdioFile: the framework's file objects over the platform's files.
// Share modes are real: an exclusive open (shareExclusive, or shareCompat, which the framework
// maps to exclusive) fails with ERROR_SHARING_VIOLATION while any other platform open of the
// file exists, from any thread or process, and no other open succeeds while it lasts.
// A file with no write permission bit is read-only: opening it for writing (or truncating
// it) fails with ERROR_ACCESS_DENIED, also for the superuser.
#pragma once

#include <string>

#include <Utility/Platform/CodePage.h>
#include <Utility/Platform/Export.h>
#include <Utility/Platform/FileException.h>
#include <Utility/Platform/String.h>
#include <Utility/Platform/Types.h>

// CFile
//
// A file opened by name, read and written as bytes. Read, Write, Seek, Flush and Close raise
// CFileException (Win32 code and file name) when the platform call fails; Open reports by
// its result and fills the optional exception object instead.
//
// Example:
//   CFile f;
//   if (f.Open(u"\\tmp\\x.bin", CFile::modeCreate | CFile::modeWrite)) { f.Write("ab", 2); f.Close(); }
class UTILITY_PLATFORM_API CFile {
 public:
  enum OpenFlags : UINT {
    modeRead = 0x00000,
    modeWrite = 0x00001,
    modeReadWrite = 0x00002,
    shareCompat = 0x00000,
    shareExclusive = 0x00010,
    shareDenyWrite = 0x00020,
    shareDenyRead = 0x00030,
    shareDenyNone = 0x00040,
    modeNoInherit = 0x00080,
    modeCreate = 0x01000,
    modeNoTruncate = 0x02000,
    typeText = 0x04000,
    typeBinary = 0x08000,
    // This platform's own: every Write goes to the end of the file as it is at that moment,
    // whatever Seek did, so that appending needs no seek of its own.
    modeAppend = 0x1000000,
  };
  enum SeekPosition : UINT { begin = 0x0, current = 0x1, end = 0x2 };

  static const HANDLE hFileNull;

  CFile() noexcept;
  // Opens at once; raises CFileException on failure.
  CFile(const WCHAR* fileName, UINT openFlags);
  CFile(const char16_t* fileName, UINT openFlags);
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;
  // Closes an open file, ignoring errors.
  virtual ~CFile();

  // Open()
  //
  // Opens fileName. Access: modeRead, modeWrite or modeReadWrite. Without modeCreate the file
  // must exist; modeCreate creates it or, without modeNoTruncate, empties an existing one.
  // modeAppend makes every write go to the end of the file.
  // Names of MAX_PATH (260) units or more are refused with ERROR_FILENAME_EXCED_RANGE, as the
  // framework refuses them. A directory cannot be opened (ERROR_ACCESS_DENIED). Returns FALSE
  // and, when error is given, stores the Win32 code and the name in it.
  virtual BOOL Open(const WCHAR* fileName, UINT openFlags, CFileException* error = nullptr);
  BOOL Open(const char16_t* fileName, UINT openFlags, CFileException* error = nullptr);

  virtual void Close();
  // Closes without raising anything.
  virtual void Abort() noexcept;

  virtual UINT Read(void* buffer, UINT count);
  virtual void Write(const void* buffer, UINT count);

  // Append()
  //
  // Writes all of buffer at the end of a file opened with modeAppend, or nothing of it: when
  // the system stores part of the data and then fails (a disk that fills up after a short
  // write), the part stored is cut away again before CFileException is raised, so the file
  // ends where it ended before the call. The cut assumes that no one else appended meanwhile,
  // so this is for a writer that holds the file exclusively (shareExclusive or shareCompat).
  //
  // Example:
  //   CFile log;
  //   if (log.Open(u"\\tmp\\app.log", CFile::modeWrite | CFile::modeAppend | CFile::modeCreate |
  //                CFile::modeNoTruncate)) {
  //     log.Append(entry.data(), static_cast<UINT>(entry.size()));  // the whole entry, or none
  //   }
  void Append(const void* buffer, UINT count);
  virtual ULONGLONG Seek(LONGLONG offset, UINT from);
  ULONGLONG SeekToEnd();
  void SeekToBegin();
  virtual ULONGLONG GetPosition() const;
  virtual ULONGLONG GetLength() const;
  virtual void SetLength(ULONGLONG length);
  // Hands what was written to the system and waits until it is on disk.
  virtual void Flush();

  CString GetFilePath() const { return m_strFileName; }
  bool IsOpen() const noexcept { return m_hFile != hFileNull; }

  // Remove()
  //
  // Deletes one file (DeleteFileW's rules: a read-only file or a directory is refused).
  // Raises CFileException carrying the Win32 code and fileName as given.
  //
  // Example:
  //   try { CFile::Remove(u"\\tmp\\x.txt"); } catch (const CFileException& e) { e.m_lOsError; }
  static void Remove(const WCHAR* fileName);
  static void Remove(const char16_t* fileName);

  // Rename()
  //
  // Renames a file or directory; an existing target is not replaced (ERROR_ALREADY_EXISTS).
  // Raises CFileException on failure.
  static void Rename(const WCHAR* oldName, const WCHAR* newName);

  HANDLE m_hFile;

 protected:
  [[noreturn]] void ThrowLastError() const;

  CString m_strFileName;
};

// CStdioFile
//
// A CFile for lines of text. In text mode (the default) WriteString converts the UTF-16 text
// to the file's code page (CP_ACP, that is UTF-8, unless SetCodePage chose another such as
// 936) and writes every LF as CR LF, in one write to the system; ReadString reads one line,
// drops its LF (and a CR before it) and converts it back. A character the code page cannot
// hold is written as the code page's default character '?'. With typeBinary no line ends are
// changed.
//
// Example:
//   CStdioFile log;
//   log.SetCodePage(936);
//   if (log.Open(u"\\tmp\\log.txt", CFile::modeCreate | CFile::modeWrite)) log.WriteString(u"line\n");
//   // the file holds "line\r\n"
class UTILITY_PLATFORM_API CStdioFile : public CFile {
 public:
  CStdioFile() noexcept;
  CStdioFile(const WCHAR* fileName, UINT openFlags);

  BOOL Open(const WCHAR* fileName, UINT openFlags, CFileException* error = nullptr) override;
  using CFile::Open;

  void SetCodePage(UINT codePage) noexcept { m_codePage = codePage; }
  UINT GetCodePage() const noexcept { return m_codePage; }

  virtual void WriteString(const WCHAR* text);
  void WriteString(const char16_t* text);

  // AppendText()
  //
  // Appends length units of text to out as bytes of the code page, with every LF as CR LF when
  // textMode is set: the bytes WriteString writes, for a caller that puts more than one piece
  // in one write. FALSE, with the last error set, when the code page is not offered here or
  // the text is too long (out is then as it was).
  //
  // Example:
  //   std::string bytes = "head: ";
  //   CStdioFile::AppendText(936, true, text, length, bytes);  // "head: " and text in 936, CR LF
  static BOOL AppendText(UINT codePage, bool textMode, const WCHAR* text, std::size_t length, std::string& out);
  // ReadString()
  //
  // FALSE at the end of the file (line then empty), else TRUE with the line in line.
  virtual BOOL ReadString(CString& line);

  UINT Read(void* buffer, UINT count) override;
  void Write(const void* buffer, UINT count) override;
  ULONGLONG Seek(LONGLONG offset, UINT from) override;
  ULONGLONG GetPosition() const override;
  void Close() override;
  void Abort() noexcept override;

 private:
  // Bytes read ahead of the caller by ReadString, dropped before any other access.
  void DropReadAhead();

  UINT m_codePage = CP_ACP;
  bool m_text = true;
  std::string m_ahead;
  std::size_t m_aheadPos = 0;
};
