// ConvertStringToChar and ConvertCharToString: the COM support conversions, which raise
// _com_error when a conversion fails. The temporary system string is released on every path.
#include <Utility/Platform/ComUtil.h>
#include <Utility/Utility.h>

namespace {

// Releases a system string when the scope ends, also when a conversion raises.
class SysStringHolder {
 public:
  explicit SysStringHolder(BSTR text) noexcept : m_text(text) {}
  ~SysStringHolder() { SysFreeString(m_text); }
  SysStringHolder(const SysStringHolder&) = delete;
  SysStringHolder& operator=(const SysStringHolder&) = delete;
  BSTR get() const noexcept { return m_text; }

 private:
  BSTR m_text;
};

}  // namespace

char* CUtility::ConvertStringToChar(const CString& text) {
  const SysStringHolder copy(text.AllocSysString());
  return _com_util::ConvertBSTRToString(copy.get());
}

CString CUtility::ConvertCharToString(const char* text) {
  CString result;
  if (text == nullptr) return result;
  const SysStringHolder converted(_com_util::ConvertStringToBSTR(text));
  result = CString(converted.get());
  return result;
}
