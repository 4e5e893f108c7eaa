// A host program that knows the library only through its installed package.
#include <Utility/Utility.h>

#include <cstdio>

int main() {
  CString name = CUtility::FileNameOnly(CString(u"\\opt\\app\\host"));
  unsigned short* wide = CUtility::ANSIToUnicode1("abc");
  const bool ok = name == u"host" && wide != nullptr && wide[0] == u'a' && wide[3] == 0;
  delete[] wide;
  std::puts(ok ? "consumer: ok" : "consumer: wrong results");
  return ok ? 0 : 1;
}
