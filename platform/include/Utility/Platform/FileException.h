// CFileException: a file operation failed; carries the Win32 error code and the path.
#pragma once

#include <Utility/Platform/Exception.h>
#include <Utility/Platform/Export.h>
#include <Utility/Platform/String.h>

// CFileException
//
// Example:
//   try { CFile::Remove(path); } catch (const CFileException& e) { e.m_lOsError; e.m_strFileName; }
class UTILITY_PLATFORM_API CFileException : public CException {
 public:
  CFileException() = default;
  CFileException(LONG osError, const CString& fileName) : m_lOsError(osError), m_strFileName(fileName) {}
  const char* what() const noexcept override;

  LONG m_lOsError = 0;
  CString m_strFileName;
};
