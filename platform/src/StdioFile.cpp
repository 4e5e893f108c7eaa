// CStdioFile: lines of text over CFile, converted to and from the file's code page, with
// text mode's LF <-> CR LF. Portable: it rests on CFile's byte calls alone.
#include <Utility/Platform/File.h>

#include <string>

#include <Utility/Platform/CodePage.h>
#include <Utility/Platform/Error.h>

namespace {

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
  std::size_t length = 0;
  while (text[length] != 0) ++length;
  if (length == 0) return;
  std::string bytes;
  if (!AppendText(m_codePage, m_text, text, length, bytes)) ThrowLastError();
  // One write to the system for the whole text.
  CFile::Write(bytes.data(), static_cast<UINT>(bytes.size()));
}

BOOL CStdioFile::AppendText(UINT codePage, bool textMode, const WCHAR* text, std::size_t length, std::string& out) {
  if (length > static_cast<std::size_t>(INT32_MAX / 4)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  unsigned bits = 0;
  std::size_t lineFeeds = 0;
  for (std::size_t i = 0; i < length; ++i) {
    bits |= text[i];
    lineFeeds += text[i] == u'\n' ? 1 : 0;
  }
  const std::size_t start = out.size();
  if (bits < 0x80 && AsciiCompatible(codePage)) {
    // Plain ASCII is the same bytes in every code page offered here: no converter needed, and
    // the line ends are made in the same pass.
    const bool crlf = textMode && lineFeeds != 0;
    out.resize(start + length + (crlf ? lineFeeds : 0));
    char* at = out.data() + start;
    if (crlf) {
      for (std::size_t i = 0; i < length; ++i) {
        if (text[i] == u'\n') *at++ = '\r';
        *at++ = static_cast<char>(text[i]);
      }
    } else {
      for (std::size_t i = 0; i < length; ++i) at[i] = static_cast<char>(text[i]);
    }
    return TRUE;
  }
  const int units = static_cast<int>(length);
  // No default character is passed: the code page's own ('?') stands in for what it lacks.
  const int size = WideCharToMultiByte(codePage, 0, text, units, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return FALSE;
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(codePage, 0, text, units, bytes.data(), size, nullptr, nullptr);
  if (!textMode) {
    out += bytes;
    return TRUE;
  }
  // Trail bytes of code page 936 never take the value of LF, so bytes can be scanned as text.
  out.reserve(start + bytes.size() + lineFeeds);
  for (char c : bytes) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return TRUE;
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
