// IsNumeric: plain decimal text, with at most one minus sign and one decimal point anywhere.
#include <Utility/Utility.h>

int CUtility::IsNumeric(CString number, int allowDecimal) {
  number.TrimRight();
  number.TrimLeft();
  int minusSigns = 0;
  int points = 0;
  for (const char16_t c : number.View()) {
    if (c == u'-') {
      ++minusSigns;  // counted wherever it stands; only the count is judged
    } else if (c == u'.') {
      if (allowDecimal == 0 || ++points == 2) return 0;
    } else if (c < u'0' || c > u'9') {
      return 0;
    }
  }
  return minusSigns >= 2 ? 0 : 1;
}
