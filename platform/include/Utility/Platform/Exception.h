// The framework's exception classes. All are thrown by value and derive from CException,
// itself a std::exception, so a host may catch either.
#pragma once

#include <exception>

#include <Utility/Platform/Export.h>
#include <Utility/Platform/Types.h>

// CException
//
// Base of the framework's exceptions.
class UTILITY_PLATFORM_API CException : public std::exception {
 public:
  CException() noexcept = default;
  const char* what() const noexcept override;
};

// CMemoryException
//
// Raised when memory for a string, array or list cannot be allocated.
//
// Example:
//   try { CString s(u"x"); s += huge; } catch (const CMemoryException&) { ... }
class UTILITY_PLATFORM_API CMemoryException : public CException {
 public:
  const char* what() const noexcept override;
};

// _com_error
//
// Raised by the COM support conversions; Error() gives the HRESULT that caused it.
//
// Example:
//   try { ... } catch (const _com_error& e) { HRESULT hr = e.Error(); }
class UTILITY_PLATFORM_API _com_error : public CException {
 public:
  explicit _com_error(HRESULT hr) noexcept : m_hr(hr) {}
  HRESULT Error() const noexcept { return m_hr; }
  const char* what() const noexcept override;

 private:
  HRESULT m_hr;
};

namespace utility::platform {

// ThrowMemoryException()
//
// Throws CMemoryException. Used by every allocation path of the platform's containers.
[[noreturn]] UTILITY_PLATFORM_API void ThrowMemoryException();

}  // namespace utility::platform
