// Fuzzes the date parser over arbitrary UTF-16 text: it answers with one of its three codes,
// a date it accepts lies in range, and that date's text reads back to the same second.
#include <Utility/Platform/Date.h>
#include <Utility/Platform/Error.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<WCHAR> units(size / 2 + 1, 0);
  if (size >= 2) std::memcpy(units.data(), data, size / 2 * 2);
  DATE date = 0;
  const HRESULT hr = VarDateFromStr(units.data(), LANG_USER_DEFAULT, 0, &date);
  if (hr != S_OK && hr != DISP_E_TYPEMISMATCH && hr != DISP_E_OVERFLOW) __builtin_trap();
  if (hr != S_OK) return 0;
  SYSTEMTIME st{};
  if (!VariantTimeToSystemTime(date, &st)) {
    // Only the last half second of 9999-12-31 may round out of range.
    if (!(date > 2958465.0)) __builtin_trap();
    return 0;
  }
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute,
                st.wSecond);
  WCHAR wide[64] = {};
  for (int i = 0; text[i] != 0; ++i) wide[i] = static_cast<unsigned char>(text[i]);
  DATE back = 0;
  if (VarDateFromStr(wide, LANG_USER_DEFAULT, 0, &back) != S_OK) __builtin_trap();
  SYSTEMTIME again{};
  if (!VariantTimeToSystemTime(back, &again)) __builtin_trap();
  if (again.wYear != st.wYear || again.wMonth != st.wMonth || again.wDay != st.wDay || again.wHour != st.wHour ||
      again.wMinute != st.wMinute || again.wSecond != st.wSecond) {
    __builtin_trap();
  }
  return 0;
}
