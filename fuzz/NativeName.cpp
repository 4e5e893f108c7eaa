// Fuzz target for the lossless native name mapping. Read as native bytes, the input must come
// back byte for byte through its library form. Read as UTF-16 units, it must either be refused
// or come back unchanged through its native form: no two library paths may reach one name.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <Utility/Platform/Path.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  for (char& c : bytes) {
    if (c == '\\') c = '/';  // the library form reads a backslash as a separator
  }
  std::string back;
  if (!utility::platform::NativePath(CStringRef(utility::platform::WindowsPath(bytes)), back) || back != bytes)
    std::abort();

  std::u16string units;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    auto unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (unit == 0) unit = u'a';
    // Most units stay where the mapping is subtle: escapes, surrogates and UTF-8 lead bytes.
    if ((data[i + 1] & 0x80) == 0) unit = static_cast<char16_t>(0xDC80 + (data[i] & 0x7F));
    units.push_back(unit);
  }
  const CString path(reinterpret_cast<const WCHAR*>(units.c_str()), static_cast<int>(units.size()));
  std::string native;
  if (utility::platform::NativePath(CStringRef(path), native)) {
    CString again = utility::platform::WindowsPath(native);
    CString expected = path;
    expected.Replace(u'/', u'\\');
    if (again != expected) std::abort();
  }
  return 0;
}
