// CStdioFile: lines of text over CFile, converted to and from the file's code page, with
// text mode's LF <-> CR LF. Portable: it rests on CFile's byte calls alone.
#include <Utility/Platform/File.h>

#include <string>

#include <Utility/Platform/CodePage.h>
#include <Utility/Platform/Error.h>

namespace {

// What one pass over a zero-terminated text tells: its length, whether it is plain ASCII, and
// how many LF it holds.
struct TextScan {
  std::size_t length = 0;
  bool ascii = true;
  std::size_t lineFeeds = 0;
};

TextScan Scan(const WCHAR* text) noexcept {
  TextScan scan;
  unsigned bits = 0;
  std::size_t n = 0;
  for (; text[n] != 0; ++n) {
    bits |= text[n];
    scan.lineFeeds += text[n] == u'\n' ? 1 : 0;
  }
  scan.length = n;
  scan.ascii = bits < 0x80;
  return scan;
}

bool AsciiCompatible(UINT codePage) noexcept {
  return codePage == CP_ACP || codePage == CP_THREAD_ACP || codePage == CP_OEMCP || codePage == CP_UTF8 ||
         codePage == CP_GBK;
}

}  // namespace

CStdioFile::CStdioFile() noexcept = default;

CStdioFile::CStdioFile(const WCHAR* fileName, UINT openFlags) {
  CFileException error;
  if (!Open(fileName, openFlags, &error)) throw error;
}

BOOL CStdioFile::Open(const WCHAR* fileName, UINT openFlags, CFileException* error) {
  m_ahead.clear();
  m_aheadPos = 0;
  m_text = (openFlags & typeBinary) == 0;
  return CFile::Open(fileName, openFlags & ~static_cast<UINT>(typeText | typeBinary), error);
}

void CStdioFile::DropReadAhead() {
  const std::size_t unread = m_ahead.size() - m_aheadPos;
  m_ahead.clear();
  m_aheadPos = 0;
  if (unread > 0) CFile::Seek(-static_cast<LONGLONG>(unread), current);
}

void CStdioFile::WriteString(const char16_t* text) { WriteString(reinterpret_cast<const WCHAR*>(text)); }

void CStdioFile::WriteString(const WCHAR* text) {
  if (text == nullptr) return;
  DropReadAhead();
  const TextScan scan = Scan(text);
  const std::size_t length = scan.length;
  if (length == 0) return;
  if (length > static_cast<std::size_t>(INT32_MAX / 4)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    ThrowLastError();
  }
  std::string bytes;
  if (scan.ascii && AsciiCompatible(m_codePage)) {
    // Plain ASCII is the same bytes in every code page offered here: no converter needed, and
    // the line ends are made in the same pass.
    const bool crlf = m_text && scan.lineFeeds != 0;
    bytes.resize(length + (crlf ? scan.lineFeeds : 0));
    char* out = bytes.data();
    if (crlf) {
      for (std::size_t i = 0; i < length; ++i) {
        if (text[i] == u'\n') *out++ = '\r';
        *out++ = static_cast<char>(text[i]);
      }
    } else {
      for (std::size_t i = 0; i < length; ++i) out[i] = static_cast<char>(text[i]);
    }
  } else {
    const int units = static_cast<int>(length);
    // No default character is passed: the code page's own ('?') stands in for what it lacks.
    const int size = WideCharToMultiByte(m_codePage, 0, text, units, nullptr, 0, nullptr, nullptr);
    if (size <= 0) ThrowLastError();
    bytes.assign(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(m_codePage, 0, text, units, bytes.data(), size, nullptr, nullptr);
    if (m_text) {
      // Trail bytes of code page 936 never take the value of LF, so bytes can be scanned as text.
      std::string expanded;
      expanded.reserve(bytes.size() + bytes.size() / 16 + 2);
      for (char c : bytes) {
        if (c == '\n') expanded += '\r';
        expanded += c;
      }
      bytes.swap(expanded);
    }
  }
  // One write to the system for the whole text.
  CFile::Write(bytes.data(), static_cast<UINT>(bytes.size()));
}

BOOL CStdioFile::ReadString(CString& line) {
  line.Empty();
  std::string raw;
  bool sawAny = false;
  for (;;) {
    if (m_aheadPos == m_ahead.size()) {
      m_ahead.resize(4096);
      m_aheadPos = 0;
      const UINT n = CFile::Read(m_ahead.data(), static_cast<UINT>(m_ahead.size()));
      m_ahead.resize(n);
      if (n == 0) break;
    }
    sawAny = true;
    const std::size_t newline = m_ahead.find('\n', m_aheadPos);
    if (newline == std::string::npos) {
      raw.append(m_ahead, m_aheadPos, std::string::npos);
      m_aheadPos = m_ahead.size();
      continue;
    }
    raw.append(m_ahead, m_aheadPos, newline - m_aheadPos);
    m_aheadPos = newline + 1;
    if (m_text && !raw.empty() && raw.back() == '\r') raw.pop_back();
    break;
  }
  if (!sawAny) return FALSE;
  if (!raw.empty()) {
    const int size = MultiByteToWideChar(m_codePage, 0, raw.data(), static_cast<int>(raw.size()), nullptr, 0);
    if (size > 0) {
      WCHAR* out = line.GetBuffer(size);
      MultiByteToWideChar(m_codePage, 0, raw.data(), static_cast<int>(raw.size()), out, size);
      line.ReleaseBuffer(size);
    }
  }
  return TRUE;
}

UINT CStdioFile::Read(void* buffer, UINT count) {
  DropReadAhead();
  return CFile::Read(buffer, count);
}

void CStdioFile::Write(const void* buffer, UINT count) {
  DropReadAhead();
  CFile::Write(buffer, count);
}

ULONGLONG CStdioFile::Seek(LONGLONG offset, UINT from) {
  DropReadAhead();
  return CFile::Seek(offset, from);
}

ULONGLONG CStdioFile::GetPosition() const {
  return CFile::GetPosition() - static_cast<ULONGLONG>(m_ahead.size() - m_aheadPos);
}

void CStdioFile::Close() {
  m_ahead.clear();
  m_aheadPos = 0;
  CFile::Close();
}

void CStdioFile::Abort() noexcept {
  m_ahead.clear();
  m_aheadPos = 0;
  CFile::Abort();
}
