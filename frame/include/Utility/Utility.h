// The Utility library: every operation is a static member of CUtility and takes all it needs as
// arguments. Including this header alone declares the class and every type its signatures use.
#pragma once

#include <Utility/Platform/Bstr.h>
#include <Utility/Platform/CodePage.h>
#include <Utility/Platform/Containers.h>
#include <Utility/Platform/Error.h>
#include <Utility/Platform/Exception.h>
#include <Utility/Platform/FileException.h>
#include <Utility/Platform/Memory.h>
#include <Utility/Platform/String.h>
#include <Utility/Platform/Types.h>
#include <Utility/Platform/Variant.h>
#include <Utility/Platform/Window.h>

#define UTILITY_API __attribute__((visibility("default")))

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
  static int IsNumVar(VARTYPE vt);
  static int IsNumVar(COleVariant* var);
  static void StringFromVartype(VARTYPE vt, CString& name);
  static int GetSizeByVT(VARTYPE vt);
  static int GetVarTypeLimit(VARTYPE vt, double& minimum, double& maximum);
  static int GetVarLimit(int hex, int dataFormat, VARTYPE vt, double& minimum, double& maximum);
  static CString VarToStr(COleVariant var);
  static CString ConVarToStr(COleVariant* var, int decimals, int hex);
  static COleVariant StrToVar(CString text, VARTYPE vt);
  static double VarToDouble(COleVariant* var);
  static double VarToDouble(COleVariant* var, VARTYPE vt, int truncate);
  static void DoubleToVar(double value, COleVariant* var);
  static int IsVarSame(COleVariant& a, COleVariant& b);
  static int IsDataEqual(COleVariant a, COleVariant b);

  // ---- Bits and digits -----------------------------------------------------------------
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
  static int GetBit(char value, int bit);
  static int GetBit(unsigned char value, int bit);
  static int GetBit(short value, int bit);
  static int GetBit(unsigned short value, int bit);
  static int GetBit(int value, int bit);
  static int GetBit(unsigned int value, int bit);
  static int GetBit(float value, int bit);
  static int GetBit(double value, int bit);
  static int GetBit(COleVariant value, int bit);
  static int GetDigit(int number, int position);
  static ULONG SetDigit(int number, int position, int digit);
  static int ConvertToBitValue(int value, int start, int width);
  static unsigned char GetByte(void* data, int index);

  // ---- Names and text checks -----------------------------------------------------------
  static int CheckNameValidiy(CString name, int allowFreeForm, int allowSpace);
  static int IsPathNameValid(CString name);
  static int IsKeyWords(const CString& word);
  static int IsKeyWords(const CString& word, const CString& filePath);
  static void ReplaceEx(CString& text, const CString& oldWord, const CString& newWord, const CString& delimiters);
  static int IsNumeric(CString text, int allowDecimal);
  static int IsValidIP(char* address);
  static int IsSameIp(CString firstAddress, CString secondAddress);

  // ---- Files and folders ---------------------------------------------------------------
  static int CreateAllDirectories(CString path);
  static int CreateAllDirectoriesEx(const char* path);
  static int RemoveDirectoryW(CString path);
  static int ReNameFolder(const CString& from, const CString& to);
  static void GetDirInfo(CString path, CString extension, CStringArray& files, CStringArray& folders, int recurse);

  // ---- Registry ------------------------------------------------------------------------
  static LONG ReadKey(HKEY rootKey, const unsigned short* subKey, const unsigned short* valueName, ULONG& number);
  static LONG ReadKey(HKEY rootKey, const unsigned short* subKey, const unsigned short* valueName, CString& text);
  static LONG ReadKey(HKEY rootKey, const unsigned short* subKey, const unsigned short* valueName, CStringList& list);
  static LONG WriteKey(HKEY rootKey, const unsigned short* subKey, const unsigned short* valueName, ULONG number);
  static LONG WriteKey(HKEY rootKey, const unsigned short* subKey, const unsigned short* valueName, const CString& text);
  static LONG DeleteKeyValue(HKEY rootKey, const unsigned short* subKey, const unsigned short* valueName, const CString& text);

  // ---- Track log -----------------------------------------------------------------------
  static void SaveTrackLog(const CString& logPath, const CString& entryText, int startNew);
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
  // The identifiers come from DiskID.dll in the host directory (GetModulePath()), loaded for
  // one query and released before it returns; nothing is cached. Without that file, or
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
