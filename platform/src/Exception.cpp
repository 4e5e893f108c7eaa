// The framework's exception classes.
#include <Utility/Platform/Exception.h>
#include <Utility/Platform/FileException.h>

const char* CException::what() const noexcept { return "CException"; }

const char* CMemoryException::what() const noexcept { return "CMemoryException: out of memory"; }

const char* _com_error::what() const noexcept { return "_com_error"; }

const char* CFileException::what() const noexcept { return "CFileException"; }

void utility::platform::ThrowMemoryException() { throw CMemoryException(); }
