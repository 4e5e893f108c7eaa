// The Utility library: every operation is a static member of CUtility and takes all it needs as
// arguments. Including this header alone declares the class and every type its signatures use.
#pragma once

#include <Utility/Platform/Bstr.h>
#include <Utility/Platform/CodePage.h>
#include <Utility/Platform/Containers.h>
#include <Utility/Platform/Error.h>
#include <Utility/Platform/Exception.h>
#include <Utility/Platform/Export.h>
#include <Utility/Platform/FileException.h>
#include <Utility/Platform/Memory.h>
#include <Utility/Platform/Registry.h>
#include <Utility/Platform/String.h>
#include <Utility/Platform/Types.h>
#include <Utility/Platform/Variant.h>
#include <Utility/Platform/Window.h>

#if defined(UTILITY_BUILDING)
#define UTILITY_API UTILITY_SYMBOL_EXPORT
#else
#define UTILITY_API UTILITY_SYMBOL_IMPORT
#endif

class UTILITY_API CUtility {
 public:
  // Trivial special members: nothing to set up, nothing to copy, nothing to release.
  CUtility();
  ~CUtility();
  CUtility& operator=(const CUtility& other);

  // ---- Text encoding -------------------------------------------------------------------
  //
  // 8-bit text is in the active code page, which is UTF-8 here: every character converts,
  // malformed UTF-8 reads as U+FFFD (one per maximal subpart) and a lone surrogate writes as
  // U+FFFD (EF BF BD). The operations differ in how the result is delivered and released.

  // ANSIToUnicode1()
  //
  // A new zero-terminated UTF-16 copy of zero-terminated 8-bit text, in an array of n + 1
  // units from new[] (n = converted units with the terminator; the extra unit is 0), released
  // with delete[]. Null text gives null; an empty text gives a new array of two zero units.
  // Raises CMemoryException when the array cannot be allocated.
  //
  // Example:
  //   unsigned short* w = CUtility::ANSIToUnicode1("abc");  // a b c 0 0
  //   delete[] w;
  static unsigned short* ANSIToUnicode1(const char* text);

  // ANSIToUnicode2()
  //
  // The same conversion as a CString. Null or empty text gives an empty string.
  //
  // Example:
  //   CString s = CUtility::ANSIToUnicode2("caf\xc3\xa9");  // u"café"
  static CString ANSIToUnicode2(const char* text);

  // UnicodeToANSI()
  //
  // A new zero-terminated 8-bit copy of UTF-16 text up to its first zero unit, in an array of
  // n + 1 bytes from new[] (n = converted bytes with the terminator), released with delete[].
  // Null text gives a new one-byte empty string, never null. The CString form reads the
  // string's text up to its first zero unit, so u"ab\0cd" gives "ab".
  //
  // Example:
  //   char* a = CUtility::UnicodeToANSI(CString(u"\u4e2d"));  // "\xe4\xb8\xad"
  //   delete[] a;
  static char* UnicodeToANSI(const unsigned short* text);
  static char* UnicodeToANSI(const CString& text);

  // ToWideString()
  //
  // Converts length bytes of text (-1: the zero-terminated whole; embedded zeros are kept
  // with an explicit length) into a new zero-filled array of n units, n + 1 when terminate is
  // non-zero, stored in out and released with delete[]. Returns n, never counting a
  // terminator. Returns 0 and leaves out untouched, allocating nothing, for a null text, a
  // length of 0 (or below -1), or an empty whole text.
  //
  // Example:
  //   unsigned short *w = nullptr, *w2 = nullptr;
  //   int n = CUtility::ToWideString(w, "abc", -1, 1);     // n == 3, w == a b c 0
  //   int m = CUtility::ToWideString(w2, "abcdef", 2, 0);  // m == 2, w2 == a b (no terminator)
  //   delete[] w;  delete[] w2;
  static int ToWideString(unsigned short*& out, const char* text, int length, int terminate);

  // ToMultiBytes()
  //
  // The reverse of ToWideString, with length in units and the same rules: n bytes (n + 1
  // with terminate), the count never including a terminator, out untouched when it is 0.
  //
  // Example:
  //   char* a = nullptr;
  //   int n = CUtility::ToMultiBytes(a, reinterpret_cast<const unsigned short*>(u"abc"), 3, 0);  // 3
  //   delete[] a;
  static int ToMultiBytes(char*& out, const unsigned short* text, int length, int terminate);

  // UnicodeToAnsi()
  //
  // Converts zero-terminated text of L units into a block of 2 x (L + 1) bytes from
  // CoTaskMemAlloc, released with CoTaskMemFree. Returns S_OK (0); E_OUTOFMEMORY
  // (0x8007000E) when the block cannot be allocated; or the conversion's Win32 error folded
  // into an HRESULT. After a failure out is null and nothing stays allocated. Null text sets
  // out to null and returns 0; a null out returns E_POINTER. UTF-8 takes three bytes for each
  // character from U+0800 up, so text made mostly of them (CJK) outgrows the block and gives
  // 0x8007007A (ERROR_INSUFFICIENT_BUFFER).
  //
  // Example:
  //   char* a = nullptr;
  //   if (CUtility::UnicodeToAnsi(text, &a) == 0) { ...; CoTaskMemFree(a); }
  static LONG UnicodeToAnsi(const unsigned short* text, char** out);

  // AnsiToUnicode()
  //
  // Converts zero-terminated text of L bytes into a block of L + 1 units from CoTaskMemAlloc,
  // released with CoTaskMemFree, with the same results as UnicodeToAnsi (UTF-8 text always
  // fits its block).
  //
  // Example:
  //   unsigned short* w = nullptr;
  //   if (CUtility::AnsiToUnicode("abc", &w) == 0) { ...; CoTaskMemFree(w); }
  static LONG AnsiToUnicode(const char* text, unsigned short** out);

  // ConvertStringToChar()
  //
  // A new 8-bit copy of the text up to its first zero unit, in an array of exactly the
  // converted bytes and terminator from new[], released with delete[]. An empty string gives
  // a new one-byte empty string. Raises _com_error when the conversion fails
  // (E_OUTOFMEMORY when the array cannot be allocated).
  //
  // Example:
  //   char* a = CUtility::ConvertStringToChar(CString(u"abc"));  delete[] a;
  static char* ConvertStringToChar(const CString& text);

  // ConvertCharToString()
  //
  // The CString of zero-terminated 8-bit text; null gives an empty string and raises
  // nothing. Raises _com_error when the conversion fails.
  //
  // Example:
  //   CString s = CUtility::ConvertCharToString("abc");   // u"abc"
  static CString ConvertCharToString(const char* text);

  // ---- Module location -----------------------------------------------------------------

  // GetModulePath()
  //
  // The directory of the process's executable, without a trailing backslash.
  //
  // Example:
  //   CUtility::GetModulePath();   // \opt\app\bin for /opt/app/bin/utility
  static CString GetModulePath();

  // GetModuleName()
  //
  // The file name of a loaded module; null stands for the executable. A handle that names no
  // module gives an empty string.
  //
  // Example:
  //   CUtility::GetModuleName(nullptr);   // utility
  static CString GetModuleName(HINSTANCE module);

  // FileNameOnly()
  //
  // The part of path after its last backslash (the whole path when it has none).
  //
  // Example:
  //   CUtility::FileNameOnly(u"C:\\dir\\name.txt");   // name.txt
  static CString FileNameOnly(CString path);

  // GetHelpFile()
  //
  // The help file's path: the host directory, then \Help\TarnwellHelp.chm. Never opened.
  static CString GetHelpFile();

  // ---- Variant values ------------------------------------------------------------------

  // IsNumVar()
  //
  // TRUE exactly for the numeric types VT_I2, VT_I4, VT_R4, VT_R8, VT_BOOL, VT_I1, VT_UI1,
  // VT_UI2, VT_UI4, VT_INT and VT_UINT; FALSE for every other code, VT_I8, VT_DATE and any
  // code with a flag bit (VT_ARRAY, VT_BYREF, VT_VECTOR) included. The pointer form gives
  // FALSE for null and otherwise looks at var->vt.
  //
  // Example:
  //   CUtility::IsNumVar(VT_BOOL);                         // 1
  //   CUtility::IsNumVar(VT_ARRAY | VT_I4);                // 0
  static int IsNumVar(VARTYPE vt);
  static int IsNumVar(COleVariant* var);

  // StringFromVartype()
  //
  // Replaces name with the descriptive name of vt ("2 byte signed int", "4 byte unsigned
  // short", "date", "string", ...; "Native" for every code without a name of its own). The
  // VT_ARRAY bit is looked past and adds " Array"; any other flag bit makes the code "Native".
  //
  // Example:
  //   CString name;
  //   CUtility::StringFromVartype(VT_ARRAY | VT_UI1, name);   // "unsigned char Array"
  //   CUtility::StringFromVartype(VT_BYREF | VT_I4, name);    // "Native"
  static void StringFromVartype(VARTYPE vt, CString& name);

  // GetSizeByVT()
  //
  // The size of vt's value in bytes: 2, 4, 4, 8 for VT_I2, VT_I4, VT_R4, VT_R8; 8 for
  // VT_DATE, VT_I8 and VT_UI8; 1 for VT_BOOL, VT_I1 and VT_UI1; 2 and 4 for VT_UI2 and VT_UI4.
  // -1 for every other code, VT_BSTR, VT_INT and VT_UINT included.
  //
  // Example:
  //   CUtility::GetSizeByVT(VT_BOOL);   // 1
  static int GetSizeByVT(VARTYPE vt);

  // GetVarTypeLimit()
  //
  // For the ranged types (VT_I2, VT_I4, VT_R4, VT_R8, VT_BOOL, VT_I1, VT_UI1, VT_UI2, VT_UI4)
  // writes the smallest and largest value to minimum and maximum and returns TRUE. The real
  // types give -FLT_MAX..FLT_MAX and -DBL_MAX..DBL_MAX, VT_BOOL 0..1. Every other code returns
  // FALSE and leaves both outputs as they were.
  //
  // Example:
  //   double lo = 0, hi = 0;
  //   CUtility::GetVarTypeLimit(VT_I2, lo, hi);    // TRUE, -32768 and 32767
  //   CUtility::GetVarTypeLimit(VT_INT, lo, hi);   // FALSE, lo and hi unchanged
  static int GetVarTypeLimit(VARTYPE vt, double& minimum, double& maximum);

  // GetVarLimit()
  //
  // The range of a value of type vt held in data format dataFormat (0 to 14):
  //   0, 5, 14        GetVarTypeLimit(vt, ...), result and outputs as it gives them;
  //   1, 2 / 3, 4 / 9, 10 / 11, 12
  //                   0..4095 / 0..32767 / 0..8191 / 0..255 and TRUE, whatever vt and hex;
  //   6, 7, 8, 13     digit formats: minimum = 0 first; then hex other than 0 or 1 returns
  //                   TRUE with maximum unwritten; VT_BOOL, VT_INT, VT_UINT and unlisted types
  //                   return FALSE with maximum unwritten; hex 1 gives 0x999, 0x9999,
  //                   0x99999999, 0x9999 read as hexadecimal; hex 0 gives the decimal digit
  //                   count capped by the type (format 13 of a signed integer leads with 7).
  // A format outside 0 to 14 returns TRUE and writes nothing.
  //
  // Example:
  //   double lo = -1, hi = -1;
  //   CUtility::GetVarLimit(0, 13, VT_I2, lo, hi);   // TRUE, 0 and 7999
  //   CUtility::GetVarLimit(1, 8, VT_UI1, lo, hi);   // TRUE, 0 and 2576980377
  static int GetVarLimit(int hex, int dataFormat, VARTYPE vt, double& minimum, double& maximum);

  // VarToStr()
  //
  // The plain text of a variant (the caller's variant is copied, never changed): integers as
  // "%d"/"%u"; VT_R4 as "%.6f" and VT_R8 as "%.15f" (no trimming of zeros, -0.0 keeps its
  // sign); VT_BOOL "0" for 0 and "1" for any other value; VT_DATE as "YYYY-MM-DD HH:MM:SS"
  // to the nearest second, or -001--1--1 -1:-1:-1 outside 0100-01-01 to 9999-12-31; VT_BSTR
  // the string up to its first zero unit, white space trimmed at both ends (null is empty).
  // Every other type, VT_I8, VT_INT and flagged codes included, gives "***".
  //
  // Example:
  //   CUtility::VarToStr(COleVariant(1.5));                // "1.500000000000000"
  //   CUtility::VarToStr(COleVariant(45356.5, VT_DATE));   // "2024-03-05 12:00:00"
  static CString VarToStr(COleVariant var);

  // ConVarToStr()
  //
  // The display text of *var. With hex nonzero, integers show "0x" and upper-case digits of
  // their pattern (at least 2 digits for VT_I1, VT_UI1, VT_BOOL, 4 for VT_I2, VT_UI2, 8 for
  // the 32-bit types; negative small types are widened with their sign to eight digits),
  // VT_R4 and VT_R8 their IEEE bit pattern (8 and 16 digits). Otherwise integers show
  // decimals places when decimals > 0 ("%.Nf") and plain decimal when it is 0 or less; reals
  // always use the place count (a negative count shows no places, as 0 does). VT_BOOL is the
  // number 1 or 0. Dates show the date text ("Invalid DateTime" outside 0100-01-01 to
  // 9999-12-31), strings themselves, whatever hex and decimals are. A number shown as zero
  // loses its minus sign. Null, VT_EMPTY, VT_I8 and other types give "***", and so does a
  // place count above 100000.
  //
  // Example:
  //   COleVariant v(-0.0001);
  //   CUtility::ConVarToStr(&v, 2, 0);                         // "0.00"
  //   COleVariant s(static_cast<short>(-1));
  //   CUtility::ConVarToStr(&s, 0, 1);                         // "0xFFFFFFFF"
  static CString ConVarToStr(COleVariant* var, int decimals, int hex);

  // StrToVar()
  //
  // A variant of type vt read from text (trimmed first). The nine numeric types read the
  // longest leading decimal number ([sign] digits [. digits] [e [sign] digits]; 0 when there
  // is none, no hexadecimal, inf or nan) and store it as DoubleToVar does; VT_INT and VT_UINT
  // carry the number rounded as VT_I4 and VT_UI4. VT_DATE reads the date text forms of
  // VarDateFromStr (Utility/Platform/Date.h), giving 0.0 for text that is no date and -1.0
  // for a date out of range. VT_BSTR holds the trimmed text. Every other type gives VT_EMPTY.
  // Only the first 1023 bytes of the text's UTF-8 form are read for a number.
  //
  // Example:
  //   CUtility::StrToVar(u" 2.5 ", VT_I2);                  // VT_I2 3
  //   CUtility::StrToVar(u"300", VT_UI1);                   // VT_UI1 44
  //   CUtility::StrToVar(u"2024-03-05 14:07:09", VT_DATE);  // that date
  static COleVariant StrToVar(CString text, VARTYPE vt);

  // VarToDouble()
  //
  // The number a variant holds: the value of VT_I2, VT_I4, VT_R4, VT_R8, VT_I1, VT_UI1,
  // VT_UI2, VT_UI4; 1.0 or 0.0 for VT_BOOL; 0.0 for null and every other type (dates and texts
  // too: text is never parsed). The variant is not changed.
  //
  // The second form, with raw 0 or less, gives the number as a variant of type vt would hold
  // it (stored by DoubleToVar and read back: rounded, truncated, wrapped or made single
  // precision; 0.0 for a type outside the nine); with raw above 0 it gives the number as is.
  //
  // Example:
  //   COleVariant v(3.7);
  //   CUtility::VarToDouble(&v);               // 3.7
  //   CUtility::VarToDouble(&v, VT_I2, 0);     // 4.0
  //   CUtility::VarToDouble(&v, VT_UI1, 0);    // 3.0
  static double VarToDouble(COleVariant* var);
  static double VarToDouble(COleVariant* var, VARTYPE vt, int raw);

  // DoubleToVar()
  //
  // Stores value into *var by its current type, changing nothing else. VT_I2, VT_I4 and
  // VT_UI2 round half away from zero to a 32-bit integer, VT_UI4 to a 64-bit one; VT_BOOL,
  // VT_I1 and VT_UI1 truncate to a 32-bit integer; only the low 16, 32, 32, 16, 8 or 8 bits
  // are kept (40000 into VT_I2 is -25536; 1.0 into VT_BOOL is 1, not VARIANT_TRUE). VT_R4
  // rounds to single precision, VT_R8 stores the value. A value the intermediate integer
  // cannot hold, and NaN, becomes its most negative value before the low bits are taken.
  // Other types, and a null var, are left alone.
  //
  // Example:
  //   COleVariant v(static_cast<short>(0));
  //   CUtility::DoubleToVar(-2.5, &v);         // v.iVal == -3
  static void DoubleToVar(double value, COleVariant* var);

  // IsVarSame()
  //
  // 1 when a and b have the same type and the same value bit for bit: 16, 32 or 8-bit values,
  // interface pointers, both currency halves, BSTRs of the same bytes (case and embedded
  // zeros count; null equals empty); reals compare as floating-point numbers (NaN never same,
  // 0.0 same as -0.0). VT_EMPTY and VT_NULL are always the same. Types above VT_UI4 (VT_I8,
  // VT_INT, flagged codes) and VT_VARIANT, VT_DECIMAL are never the same, not even with
  // themselves.
  //
  // Example:
  //   COleVariant a(1L), b(static_cast<short>(1));
  //   CUtility::IsVarSame(a, b);   // 0: the types differ
  static int IsVarSame(COleVariant& a, COleVariant& b);

  // IsDataEqual()
  //
  // 1 when a and b stand for the same data: VT_EMPTY and VT_NULL equal each other; two dates
  // compare their values; two strings compare as zero-terminated texts, case-sensitive; any
  // other pair compares the numbers of VarToDouble, so a VT_I2 5 equals a VT_R8 5.0, and a
  // type without a numeric reading (text, date, empty) counts as 0.0.
  //
  // Example:
  //   CUtility::IsDataEqual(COleVariant(static_cast<short>(5)), COleVariant(5.0));   // 1
  //   CUtility::IsDataEqual(COleVariant(u"5"), COleVariant(5L));                     // 0
  static int IsDataEqual(COleVariant a, COleVariant b);

  // ---- Bits and digits -----------------------------------------------------------------

  // SetBit()
  //
  // Sets or clears one bit of a value in place. Only the low five bits of the index count
  // (35 addresses bit 3, -1 bit 31). In the typed overloads the flag is reversed: false sets
  // the bit to 1 and true clears it. The mask has the width of the type, so an index of 8..31
  // on a char (16..31 on a short) changes nothing. A float exposes all 32 stored bits; a
  // double only the low 32 bits of its representation (sign, exponent and the upper fraction
  // stay as they are). The bool overload ignores the index and stores the flag.
  //
  // The COleVariant overload uses the usual sense (true sets, false clears) and works by the
  // variant's type: VT_I1/VT_UI1 8 bits, VT_I2/VT_UI2 16, VT_I4/VT_UI4 32, VT_R4 the stored
  // single, VT_R8 the low 32 stored bits; a VT_BOOL is widened by sign extension, changed, and
  // stored back as VARIANT_TRUE when non-zero, else VARIANT_FALSE. Every other type (VT_BSTR,
  // VT_DATE, VT_I8, codes with flag bits, ...) is left alone. The type is never changed.
  //
  // Example:
  //   int n = 0;     CUtility::SetBit(n, 3, false);   // n == 8 (false sets)
  //   n = 15;        CUtility::SetBit(n, 3, true);    // n == 7 (true clears)
  //   COleVariant v(static_cast<LONG>(15));
  //   CUtility::SetBit(v, 3, false);                   // v.lVal == 7 (false clears)
  static void SetBit(bool& value, int bit, bool on);
  static void SetBit(char& value, int bit, bool on);
  static void SetBit(unsigned char& value, int bit, bool on);
  static void SetBit(short& value, int bit, bool on);
  static void SetBit(unsigned short& value, int bit, bool on);
  static void SetBit(int& value, int bit, bool on);
  static void SetBit(unsigned int& value, int bit, bool on);
  static void SetBit(float& value, int bit, bool on);
  static void SetBit(double& value, int bit, bool on);
  static void SetBit(COleVariant& value, int bit, bool on);

  // GetBit()
  //
  // 1 when bit (index modulo 32) of the value widened to 32 bits is 1, else 0. Signed types
  // widen by sign extension (so an index past their width reads the sign bit), unsigned types
  // by zero extension; a float gives its 32 stored bits, a double the low 32 of its 64. A
  // variant widens by type: VT_I1, VT_I2 and VT_BOOL sign-extend (VARIANT_TRUE has every bit
  // set), VT_UI1 and VT_UI2 zero-extend, VT_I4/VT_UI4/VT_R4/VT_R8 as their typed overloads;
  // every other type reads 0 at every index.
  //
  // Example:
  //   CUtility::GetBit(static_cast<char>(-128), 9);           // 1 (sign bit copied)
  //   CUtility::GetBit(static_cast<unsigned char>(128), 9);   // 0
  //   CUtility::GetBit(1.0, 20);                               // 0 (only the low 32 bits)
  static int GetBit(char value, int bit);
  static int GetBit(unsigned char value, int bit);
  static int GetBit(short value, int bit);
  static int GetBit(unsigned short value, int bit);
  static int GetBit(int value, int bit);
  static int GetBit(unsigned int value, int bit);
  static int GetBit(float value, int bit);
  static int GetBit(double value, int bit);
  static int GetBit(COleVariant value, int bit);

  // GetDigit()
  //
  // The decimal digit of value at position (0 = units, 1 = tens, ...). A negative value has
  // negative digits. Position 9 gives value / 1,000,000,000; positions of 10 and above, and
  // negative positions, give 0.
  //
  // Example:
  //   CUtility::GetDigit(12345, 2);    // 3
  //   CUtility::GetDigit(-123, 0);     // -3
  static int GetDigit(int value, int position);

  // SetDigit()
  //
  // value with the decimal digit at position replaced by digit, computed as
  // high * 10^(position+1) + digit * 10^position + (the digits below), in 32-bit arithmetic
  // that wraps, returned as an unsigned number. A digit outside 0..9 gives 0. For a negative
  // value the digit is added as a positive amount (SetDigit(-123, 1, 5) is -53, returned as
  // 4294967243). Position 9 is computed the same way with the wrap; a negative position or
  // one of 10 and above gives 0.
  //
  // Example:
  //   CUtility::SetDigit(12345, 2, 9);   // 12945
  //   CUtility::SetDigit(5, 3, 7);       // 7005
  static ULONG SetDigit(int value, int position, int digit);

  // ConvertToBitValue()
  //
  // The field of width bits that starts at bit (shift modulo 32) of value. The value is
  // shifted with sign propagation, so a field that reaches past bit 31 of a negative value
  // holds copies of the sign bit. Width 0 or any negative width gives 0; a width of 32 or
  // more gives every bit of the shifted value.
  //
  // Example:
  //   CUtility::ConvertToBitValue(0x1234, 4, 8);   // 0x23
  //   CUtility::ConvertToBitValue(-1, 28, 8);      // 255
  static int ConvertToBitValue(int value, int shift, int width);

  // GetByte()
  //
  // The byte at buffer + index (a negative index reads before the pointer); a null buffer
  // gives 0. The caller guarantees that the byte lies inside its buffer.
  //
  // Example:
  //   unsigned char bytes[] = {1, 2, 3};
  //   CUtility::GetByte(bytes, 2);   // 3
  static unsigned char GetByte(void* buffer, int index);

  // ---- Names and text checks -----------------------------------------------------------

  // CheckNameValidiy()
  //
  // Grades a name a user typed: 0 valid, 1 empty once trimmed, 2 holds an inner space (only
  // when allowSpace is 0), 3 holds one of the 30 forbidden characters ~`!@#$%^&*()[]{}"';:?><,-
  // +=|\/ or, when allowFreeForm is 0, is not an identifier (A-Z first, then A-Z, 0-9, _,
  // after upper-casing), 4 is a keyword of KeyWords.ini in the host directory. The checks run
  // in that order on a trimmed, upper-cased copy; the caller's name is not changed.
  //
  // Example:
  //   CUtility::CheckNameValidiy(u"  Count_1  ", 0, 0);   // 0 (unless COUNT_1 is a keyword)
  //   CUtility::CheckNameValidiy(u"my var", 0, 0);        // 2
  //   CUtility::CheckNameValidiy(u"a.b", 1, 0);           // 0; with allowFreeForm 0: 3
  static int CheckNameValidiy(CString name, int allowFreeForm, int allowSpace);

  // IsPathNameValid()
  //
  // 1 when the name, as given, holds none of \  //  :  ?  *  <  >  | (a single slash and the
  // quotation mark are allowed), else 0. The empty text gives 1.
  //
  // Example:
  //   CUtility::IsPathNameValid(u"a/b");    // 1
  //   CUtility::IsPathNameValid(u"a//b");   // 0
  static int IsPathNameValid(CString name);

  // IsKeyWords()
  //
  // 1 when the word, upper-cased but not trimmed, equals an entry of a keyword file, else 0.
  // The first overload reads KeyWords.ini in the host directory (when the host has none, the
  // one the installed package ships, e.g. /usr/share/utility/KeyWords.ini), the second the
  // file at filePath. The file is code page 936 text with one entry per line (CR LF or LF ends a line;
  // a Ctrl-Z ends the text); each line is upper-cased and trimmed, and a blank line is the
  // empty entry. A missing or unreadable file, or a path of 260 units or more, lists no
  // entries. The file is read on every call, so an edit counts at the next call.
  //
  // Example (KeyWords.ini holding the line "  if "):
  //   CUtility::IsKeyWords(u"If");          // 1
  //   CUtility::IsKeyWords(u" IF ");        // 0: the word is not trimmed
  //   CUtility::IsKeyWords(u"\\etc\\app\\Reserved.ini", u"while");
  static int IsKeyWords(const CString& word);
  static int IsKeyWords(const CString& filePath, const CString& word);

  // ReplaceEx()
  //
  // Replaces whole words of text: a word is a run of characters holding none of the
  // delimiters, and a word whose trimmed core equals oldWord (case-sensitive) becomes newWord.
  // Every delimiter stays in place. Before a delimiter, each word is rebuilt from its core
  // with the white space on either side of it reduced to one space (none when there was
  // none), and a word of white space only disappears; after the last delimiter a matching
  // word is rebuilt the same way, any other word is kept as it is, and white space alone is
  // dropped. The result is never scanned again.
  //
  // Example:
  //   CString t(u"A+B*A");  CUtility::ReplaceEx(t, u"+-*/", u"A", u"X");   // X+B*X
  //   CString u(u"AB+A");   CUtility::ReplaceEx(u, u"+-*/", u"A", u"X");   // AB+X
  //   CString w(u"A, ,B");  CUtility::ReplaceEx(w, u",", u"Q", u"R");      // A,,B
  static void ReplaceEx(CString& text, const CString& delimiters, const CString& oldWord, const CString& newWord);

  // IsNumeric()
  //
  // 1 when the trimmed text holds only ASCII digits, minus signs (at most one, anywhere) and,
  // when allowDecimal is non-zero, at most one full stop; else 0. Empty or white space only
  // text gives 1.
  //
  // Example:
  //   CUtility::IsNumeric(u"12-", 0);   // 1
  //   CUtility::IsNumeric(u"1.5", 0);   // 0; with allowDecimal 1: 1
  //   CUtility::IsNumeric(u"+1", 1);    // 0
  static int IsNumeric(CString number, int allowDecimal);

  // IsValidIP()
  //
  // 1 when the text splits at full stops (runs of them count as one; stops at either end are
  // ignored) into exactly four parts of decimal digits, the first 1..254 and the others 0..255
  // (leading zeros allowed and decimal); else 0. Null gives 0. The text is not changed, and
  // calls on different threads share nothing.
  //
  // Example:
  //   CUtility::IsValidIP(address);   // "192.168.1.1" 1, "0.1.2.3" 0, "1..2.3.4" 1
  static int IsValidIP(char* address);

  // IsSameIp()
  //
  // 1 when both texts give the same 32-bit value to the classic BSD address parser (one to
  // four parts; decimal, octal with a leading 0, hexadecimal with 0x; the last part fills the
  // remaining bytes; white space ends the address), else 0. A text the parser rejects, or
  // longer than 1023 bytes in UTF-8, reads as 255.255.255.255, so two rejected texts compare
  // as the same.
  //
  // Example:
  //   CUtility::IsSameIp(u"10.0.0.8", u"10.0.0.010");   // 1 (octal)
  //   CUtility::IsSameIp(u"10.1", u"10.0.0.1");         // 1
  //   CUtility::IsSameIp(u"abc", u"xyz");               // 1 (both rejected)
  static int IsSameIp(CString firstAddress, CString secondAddress);

  // ---- Files and folders ---------------------------------------------------------------
  // Paths use `\` as the only separator of the library's own logic (the platform accepts `/`
  // too when it touches the file system). A relative path is relative to the current directory.

  // CreateAllDirectories()
  //
  // Makes sure that the directory path exists, creating missing parents first (outermost
  // first). One trailing backslash is dropped (only one: with two, the directory is created
  // and 0 is returned, since the form with the remaining backslash then exists). Returns 1 at
  // once when anything, a file included, exists under that name; otherwise the result of
  // creating the last level: non-zero when created, 0 when not. An empty path gives 0; levels
  // created before a failure stay.
  //
  // Example:
  //   CUtility::CreateAllDirectories(u"\\tmp\\a\\b\\c");   // creates a, a\b, a\b\c: non-zero
  //   CUtility::CreateAllDirectories(u"\\tmp\\a\\b\\c");   // 1: exists already
  static int CreateAllDirectories(CString path);

  // CreateAllDirectoriesEx()
  //
  // The platform's MakeSureDirectoryPathExists on 8-bit text in the active code page: every
  // directory up to the last separator is created, the rest counts as a file name. 1 on
  // success, 0 on failure (directories created before it stay).
  //
  // Example:
  //   CUtility::CreateAllDirectoriesEx("\\tmp\\a\\b");     // creates \tmp\a only
  //   CUtility::CreateAllDirectoriesEx("\\tmp\\a\\b\\");   // creates \tmp\a and \tmp\a\b
  static int CreateAllDirectoriesEx(const char* path);

  // RemoveDirectoryW()
  //
  // Deletes every file below path, depth first in the order the directory search yields
  // entries, removes every directory below it, then path itself; returns the result of that
  // last removal (non-zero when path is gone, 0 when it does not exist, is not a directory, or
  // something below it stayed). A link met in the tree is removed as a link: nothing outside
  // the named tree is deleted, and a path that is itself a link loses only the link. A file
  // that cannot be deleted (read-only, no rights) raises CFileException with the Win32 code
  // and the file's path; nothing more is deleted after it, and what was deleted before stays
  // deleted. An empty path is refused (0): it would name the root.
  //
  // Example:
  //   try { CUtility::RemoveDirectoryW(u"\\tmp\\old"); }
  //   catch (const CFileException& e) { /* e.m_lOsError == 5, e.m_strFileName names the file */ }
  static int RemoveDirectoryW(CString path);

  // ReNameFolder()
  //
  // Renames a folder (or file) through the platform's shell rename: 1 on success, 0 on any
  // failure (source missing, target existing, target in another directory), without a dialog.
  // An existing target is never replaced. Paths of more than 1022 units are refused (0).
  //
  // Example:
  //   CUtility::ReNameFolder(u"\\tmp\\old", u"\\tmp\\new");   // 1
  static int ReNameFolder(const CString& from, const CString& to);

  // GetDirInfo()
  //
  // Appends to directories the path of every subdirectory of directory and to files the path
  // of every file whose extension matches filter, each formed as directory + "\" + name; with
  // recursive non-zero it descends into each subdirectory right after appending it (depth
  // first, pre-order). The arrays are only appended to. filter "*.*" (exactly) takes every
  // file; any other filter is reduced to its extension (the text from its last dot at a
  // position above 0; the whole filter when there is none) and compared, ignoring case, with
  // each file's extension (empty when the name has no dot past its first unit). A link to a
  // directory is listed as a directory but not descended into, so every walk ends. A
  // directory that cannot be searched adds nothing. Order within a directory is the file
  // system's.
  //
  // Example:
  //   CStringArray dirs, files;
  //   CUtility::GetDirInfo(u"\\data", u"*.txt", dirs, files, 1);   // files: \data\a.txt, \data\sub\b.TXT
  static void GetDirInfo(CString directory, CString filter, CStringArray& directories, CStringArray& files,
                         int recursive);

  // ---- Registry ------------------------------------------------------------------------
  //
  // Six operations on values under a sub-key of a root key that the caller has open
  // (HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE or any key handle; it is never closed here). Each
  // opens or creates the sub-key for the one call and closes it on every path. Results are
  // Win32 error codes passed through from the registry calls: 0 on success, 2 for a missing
  // sub-key or value, 5 for access denied (a read-only key), 234 for data or a value name that
  // does not fit. A null or empty valueName is the key's default value.

  // ReadKey() — a number
  //
  // Reads valueName, opened with KEY_READ, straight into number with room for 4 bytes: data
  // of up to 4 bytes lands there raw whatever its type (shorter data overwrites only its own
  // bytes). A missing sub-key returns its code and leaves number as it was; a failed read (a
  // missing value, data longer than 4 bytes: 234) sets number to 0xFFFFFFFF.
  //
  // Example:
  //   DWORD n = 0;
  //   if (CUtility::ReadKey(HKEY_CURRENT_USER, CString(u"Software\\App"), CString(u"Count"), n) == 0) { ... }
  static LONG ReadKey(HKEY rootKey, const unsigned short* subKey, const unsigned short* valueName, DWORD& number);

  // ReadKey() — a text
  //
  // Reads valueName into a 249-byte buffer and sets text to the data taken as UTF-16 up to its
  // first zero unit (a REG_DWORD or REG_BINARY value reads the same way). A text of up to 123
  // characters reads back whole; longer data gives 234. On any failure text is emptied.
  //
  // Example:
  //   CString name;
  //   CUtility::ReadKey(HKEY_CURRENT_USER, CString(u"Software\\App"), CString(u"Name"), name);
  static LONG ReadKey(HKEY rootKey, const unsigned short* subKey, const unsigned short* valueName, CString& text);

  // ReadKey() — the list of every value's text
  //
  // Opens subKey with KEY_ALL_ACCESS (so a read-only key gives 5) and adds the text of every
  // value at the head of list: values a, b, c (in creation order) leave c, b, a in front of
  // what list held. valueName is ignored; value names are not returned. The list is never
  // cleared. Once the key is open and described the result is 0, even when the walk stops
  // early (a value name of 249 or more characters, or data changed by another writer).
  //
  // Example:
  //   CStringList texts;
  //   CUtility::ReadKey(HKEY_CURRENT_USER, CString(u"Software\\App\\Recent"), nullptr, texts);
  static LONG ReadKey(HKEY rootKey, const unsigned short* subKey, const unsigned short* valueName, CStringList& list);

  // WriteKey() — a number
  //
  // Creates subKey (and every missing key on its path) or opens it with KEY_ALL_ACCESS, and
  // sets valueName to number as REG_DWORD, 4 bytes. Durable when the call returns.
  //
  // Example:
  //   CUtility::WriteKey(HKEY_CURRENT_USER, CString(u"Software\\App"), CString(u"Count"), 42);
  static LONG WriteKey(HKEY rootKey, const unsigned short* subKey, const unsigned short* valueName, DWORD number);

  // WriteKey() — a text
  //
  // As the number form, storing text as REG_SZ: its UTF-16 units and the terminating zero,
  // (length + 1) * 2 bytes, so the empty text is stored as 2 bytes.
  //
  // Example:
  //   CUtility::WriteKey(HKEY_CURRENT_USER, CString(u"Software\\App"), CString(u"Name"), CString(u"Tarnwell"));
  static LONG WriteKey(HKEY rootKey, const unsigned short* subKey, const unsigned short* valueName,
                       const CString& text);

  // DeleteKeyValue()
  //
  // Opens subKey with KEY_ALL_ACCESS and deletes the first value, in creation order, whose
  // text equals text exactly (case-sensitive, unit by unit); later values with the same text
  // remain. No match returns 0. valueName is ignored. A failed enumeration before a match
  // returns its code (234 for a value name of 249 or more characters).
  //
  // Example:
  //   CUtility::DeleteKeyValue(HKEY_CURRENT_USER, CString(u"Software\\App\\Recent"), nullptr, CString(u"old.txt"));
  static LONG DeleteKeyValue(HKEY rootKey, const unsigned short* subKey, const unsigned short* valueName,
                             const CString& text);

  // ---- Track log -----------------------------------------------------------------------

  // SaveTrackLog()
  //
  // Appends one entry to the log file at logPath: a line of 58 equals signs, a line of the
  // local time "yyyy/mm/dd hh:mm:ss.mmm", " : " and entryText, and an empty line; every line
  // ends in CR LF, every LF inside entryText is written as CR LF, and the text is converted to
  // code page 936 (a character it cannot hold is written as '?'). With startNew non-zero an
  // existing file is deleted first. The file is held exclusively while the entry is written:
  // a call that finds it held by another writer drops its entry. Every failure (missing
  // directory, read-only file, path of 260 units or more) ends the call quietly.
  //
  // Example:
  //   CUtility::SaveTrackLog(u"\\var\\log\\app.log", u"started", 0);
  //   // ==========================================================\r\n
  //   // 2024/03/05 14:07:09.042 : started\r\n
  //   // \r\n
  static void SaveTrackLog(const CString& logPath, const CString& entryText, int startNew);

  // SaveTrackLogEx()
  //
  // SaveTrackLog on the file logName (sub-directories allowed, not validated) in the host
  // directory, the path formed as GetModulePath() + "\" + logName.
  //
  // Example:
  //   CUtility::SaveTrackLogEx(u"trace.log", u"started", 1);   // \opt\app\bin\trace.log
  static void SaveTrackLogEx(const CString& logName, const CString& entryText, int startNew);

  // ---- System and windows --------------------------------------------------------------

  // GetNumberOfProcessors()
  //
  // The number of logical processors online in the machine (at most 64), whatever this
  // process's affinity.
  //
  // Example:
  //   ULONG n = CUtility::GetNumberOfProcessors();   // 8 on a machine with 8 threads
  static ULONG GetNumberOfProcessors();

  // SetThreadAffinityMask()
  //
  // Binds the thread (a handle from OpenThread, or GetCurrentThread()'s -2) to the
  // processors whose bits are set and returns its previous mask (processors 0 to 31).
  // Returns 0xFFFFFFFF without touching the thread for a null handle, the handle -1, or a
  // mask above 2^n - 1 (n processors: a mask may name any of them; from 32 processors on
  // every mask passes); 0 when the platform refuses (a mask of 0, a closed handle).
  //
  // Example:
  //   ULONG before = CUtility::SetThreadAffinityMask(GetCurrentThread(), 0x1);
  //   CUtility::SetThreadAffinityMask(GetCurrentThread(), before);
  static ULONG SetThreadAffinityMask(void* thread, ULONG mask);

  // GetStringFromResourceID()
  //
  // The string stringId of the module's string table (null: the executable's), cut to 259
  // units; empty when the module, its table or the string is missing.
  //
  // Example:
  //   HMODULE m = LoadLibraryW(u"\\opt\\app\\bin\\Texts.so");
  //   CString title = CUtility::GetStringFromResourceID(m, 101);
  static CString GetStringFromResourceID(HINSTANCE module, unsigned int stringId);

  // GetLastErrorText()
  //
  // The system's message for a Win32 error code, in the user's language, ending in CR LF
  // and cut to 1023 units; empty for a code without a message (the code is read as an
  // unsigned 32-bit value). Safe to call from many threads at once.
  //
  // Example:
  //   CUtility::GetLastErrorText(2);         // u"No such file or directory\r\n"
  //   CUtility::GetLastErrorText(0x12345);   // u""
  static CString GetLastErrorText(int error);

  // EnableAllWindow(), ShowAllWindow()
  //
  // Enable (nonzero) or disable (0) / apply a show command (SW_HIDE, SW_SHOW, ...) to each
  // direct child of parent, top of the z-order first. Grandchildren and parent itself keep
  // their state; a null parent does nothing.
  //
  // Example:
  //   CUtility::EnableAllWindow(&dialog, FALSE);    // every control of the dialog disabled
  //   CUtility::ShowAllWindow(&dialog, SW_HIDE);
  static void EnableAllWindow(CWnd* parent, int enable);
  static void ShowAllWindow(CWnd* parent, int show);

  // CreateGUID()
  //
  // A new random GUID as 36 upper-case characters, 8-4-4-4-12, without braces; empty when
  // the system cannot make one.
  //
  // Example:
  //   CUtility::CreateGUID();   // e.g. u"3F2504E0-4F89-41D3-9A0C-0305E82C3301"
  static CString CreateGUID();

  // ---- Machine identity ----------------------------------------------------------------
  //
  // The identifiers come from DiskID.dll in the host directory (GetModulePath()) or, when the
  // host has none, the one the installed package ships (e.g.
  // /usr/lib/x86_64-linux-gnu/utility/DiskID.dll), loaded for one query and released before
  // it returns; nothing is cached. Without that file, or
  // without the export a query needs, the query gives 0, an empty text or the GUID text of 0.

  // GetComputerGUID()
  //
  // CreateGuidByID() of the hard drive identifier (of 0 when there is none), as a CString.
  //
  // Example:
  //   CUtility::GetComputerGUID();   // u"00000000-0000-0000-0000-000000000000" without DiskID.dll
  static CString GetComputerGUID();

  // GetCPUID()
  //
  // The processor identifier text of DiskID.dll; empty when it is not available.
  static CString GetCPUID();

  // GetHardDriveComputerID()
  //
  // The hard drive identifier of DiskID.dll; 0 when it is not available.
  static LONG GetHardDriveComputerID();

  // CreateGuidByID()
  //
  // GUID text derived from the 32 bits of id, in one buffer of the library: the next call
  // overwrites it (from any thread), so copy the text before calling again. Never free it.
  //
  // Example:
  //   CUtility::CreateGuidByID(1);   // "00000100-0010-0004-0010-000200000000"
  static const char* CreateGuidByID(ULONG id);
};
