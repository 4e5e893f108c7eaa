// The list reader and DeleteKeyValue: both walk every value of a sub-key opened with full
// access, with a data buffer as large as the key's largest value when the walk starts.
#include <cstdlib>

#include <Utility/Platform/Registry.h>
#include <Utility/Utility.h>

#include "ValueText.h"

namespace {

// An open sub-key and a zero-filled buffer for its largest value, released on every path.
class ValueWalk {
 public:
  ValueWalk() = default;
  ~ValueWalk() {
    std::free(m_buffer);
    if (m_key != nullptr) RegCloseKey(m_key);
  }
  ValueWalk(const ValueWalk&) = delete;
  ValueWalk& operator=(const ValueWalk&) = delete;

  // Opens the sub-key and sizes the buffer. ERROR_SUCCESS with ready() false means the buffer
  // could not be allocated: the caller then does nothing more and reports success.
  LONG Open(HKEY rootKey, const unsigned short* subKey) {
    LONG rc = RegOpenKeyExW(rootKey, subKey, 0, KEY_ALL_ACCESS, &m_key);
    if (rc != ERROR_SUCCESS) {
      m_key = nullptr;
      return rc;
    }
    rc = RegQueryInfoKeyW(m_key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &m_count, nullptr, &m_capacity,
                          nullptr, nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    // As a process heap block: a request for 0 bytes still gives a usable block.
    m_buffer = static_cast<BYTE*>(std::calloc(m_capacity == 0 ? 1 : m_capacity, 1));
    return ERROR_SUCCESS;
  }

  bool ready() const noexcept { return m_buffer != nullptr; }
  DWORD count() const noexcept { return m_count; }

  // Enumerates the value at index, both buffer sizes reset first.
  LONG Enumerate(DWORD index) {
    m_nameSize = utility::registry::kNameBufferUnits;
    m_dataSize = m_capacity;
    return RegEnumValueW(m_key, index, m_name, &m_nameSize, nullptr, nullptr, m_buffer, &m_dataSize);
  }

  CString Text() const { return utility::registry::TextOfData(m_buffer, m_dataSize); }
  LONG DeleteCurrent() { return RegDeleteValueW(m_key, m_name); }

 private:
  HKEY m_key = nullptr;
  DWORD m_count = 0;
  DWORD m_capacity = 0;
  BYTE* m_buffer = nullptr;
  WCHAR m_name[utility::registry::kNameBufferUnits] = {};
  DWORD m_nameSize = 0;
  DWORD m_dataSize = 0;
};

}  // namespace

LONG CUtility::ReadKey(HKEY rootKey, const unsigned short* subKey, const unsigned short*, CStringList& list) {
  ValueWalk walk;
  const LONG rc = walk.Open(rootKey, subKey);
  if (rc != ERROR_SUCCESS || !walk.ready()) return rc;
  for (DWORD index = 0; index < walk.count(); ++index) {
    if (walk.Enumerate(index) != ERROR_SUCCESS) break;  // an early end still counts as success
    list.AddHead(walk.Text());
  }
  return ERROR_SUCCESS;
}

LONG CUtility::DeleteKeyValue(HKEY rootKey, const unsigned short* subKey, const unsigned short*, const CString& text) {
  ValueWalk walk;
  LONG rc = walk.Open(rootKey, subKey);
  if (rc != ERROR_SUCCESS || !walk.ready()) return rc;
  for (DWORD index = 0; index < walk.count(); ++index) {
    if ((rc = walk.Enumerate(index)) != ERROR_SUCCESS) return rc;
    if (walk.Text().Compare(text) == 0) {
      walk.DeleteCurrent();  // only the first match goes; the deletion's own result is not used
      return ERROR_SUCCESS;
    }
  }
  return ERROR_SUCCESS;
}
