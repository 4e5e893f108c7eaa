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
#include <Utility/Platform/Registry.h>
#include <Utility/Platform/String.h>
#include <Utility/Platform/Types.h>
#include <Utility/Platform/Variant.h>

class CWnd;

#define UTILITY_API __attribute__((visibility("default")))

class UTILITY_API CUtility {
 public:
  // Trivial special members: nothing to set up, nothing to copy, nothing to release.
  CUtility();
  ~CUtility();
  CUtility& operator=(const CUtility& other);

  // ---- Text encoding -------------------------------------------------------------------

  // ANSIToUnicode1()
  //
  // A new zero-terminated UTF-16 copy of 8-bit text in the active code page, released with
  // delete[]. Null text gives null; text that cannot be converted gives an empty string.
  //
  // Example:
  //   unsigned short* w = CUtility::ANSIToUnicode1("abc");  // u"abc"
  //   delete[] w;
  static unsigned short* ANSIToUnicode1(const char* text);

  // ANSIToUnicode2()
  //
  // The same conversion as a CString; null text gives an empty string.
  //
  // Example:
  //   CString s = CUtility::ANSIToUnicode2("caf\xc3\xa9");  // u"café"
  static CString ANSIToUnicode2(const char* text);

  // UnicodeToANSI()
  //
  // A new zero-terminated 8-bit copy of UTF-16 text (up to its first zero unit), released with
  // delete[]. Null or unconvertible text gives a new empty string, never null (the CString form
  // gives null only when no temporary copy of the string could be made).
  //
  // Example:
  //   char* a = CUtility::UnicodeToANSI(CString(u"abc"));  // "abc"
  //   delete[] a;
  static char* UnicodeToANSI(const unsigned short* text);
  static char* UnicodeToANSI(const CString& text);

  // ToWideString()
  //
  // Converts length bytes of text (-1: the zero-terminated whole) into a new zero-filled array
  // stored in out (one unit more when terminate is non-zero), released with delete[]. Returns
  // the units converted, never counting a terminator; 0 leaves out untouched.
  //
  // Example:
  //   unsigned short* w = nullptr;
  //   int n = CUtility::ToWideString(w, "abc", -1, 1);   // n == 3, w == u"abc"
  //   delete[] w;
  static int ToWideString(unsigned short*& out, const char* text, int length, int terminate);

  // ToMultiBytes()
  //
  // The reverse of ToWideString, with the same rules.
  //
  // Example:
  //   char* a = nullptr;
  //   int n = CUtility::ToMultiBytes(a, reinterpret_cast<const unsigned short*>(u"abc"), 3, 0);
  static int ToMultiBytes(char*& out, const unsigned short* text, int length, int terminate);

  // UnicodeToAnsi()
  //
  // Converts into a block from CoTaskMemAlloc, released with CoTaskMemFree. Returns S_OK (0),
  // E_OUTOFMEMORY, or the conversion's Win32 error folded into an HRESULT; after a failure out
  // is null. Null text sets out to null and returns 0.
  //
  // Example:
  //   char* a = nullptr;
  //   if (CUtility::UnicodeToAnsi(text, &a) == 0) { ...; CoTaskMemFree(a); }
  static LONG UnicodeToAnsi(const unsigned short* text, char** out);

  // AnsiToUnicode()
  //
  // The reverse of UnicodeToAnsi, with the same rules.
  static LONG AnsiToUnicode(const char* text, unsigned short** out);

  // ConvertStringToChar()
  //
  // A new 8-bit copy of the text up to its first zero unit, released with delete[]. Raises
  // _com_error when the conversion fails.
  //
  // Example:
  //   char* a = CUtility::ConvertStringToChar(CString(u"abc"));  delete[] a;
  static char* ConvertStringToChar(const CString& text);

  // ConvertCharToString()
  //
  // The CString of 8-bit text; null gives an empty string. Raises _com_error when the
  // conversion fails.
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
  static LONG WriteKey(HKEY rootKey, const unsigned short* subKey, const unsigned short* valueName, const CString& text);

  // DeleteKeyValue()
  //
  // Opens subKey with KEY_ALL_ACCESS and deletes the first value, in creation order, whose
  // text equals text exactly (case-sensitive, unit by unit); later values with the same text
  // remain. No match returns 0. valueName is ignored. A failed enumeration before a match
  // returns its code (234 for a value name of 249 or more characters).
  //
  // Example:
  //   CUtility::DeleteKeyValue(HKEY_CURRENT_USER, CString(u"Software\\App\\Recent"), nullptr, CString(u"old.txt"));
  static LONG DeleteKeyValue(HKEY rootKey, const unsigned short* subKey, const unsigned short* valueName, const CString& text);

  // ---- Track log -----------------------------------------------------------------------
  static void SaveTrackLog(const CString& logPath, const CString& entryText, int startNew);
  static void SaveTrackLogEx(const CString& logName, const CString& entryText, int startNew);

  // ---- System and windows --------------------------------------------------------------
  static ULONG GetNumberOfProcessors();
  static ULONG SetThreadAffinityMask(void* thread, ULONG mask);
  static CString GetStringFromResourceID(HINSTANCE module, unsigned int stringId);
  static CString GetLastErrorText(int error);
  static void EnableAllWindow(CWnd* parent, int enable);
  static void ShowAllWindow(CWnd* parent, int show);
  static CString CreateGUID();

  // ---- Machine identity ----------------------------------------------------------------
  static CString GetComputerGUID();
  static CString GetCPUID();
  static LONG GetHardDriveComputerID();
  static const char* CreateGuidByID(ULONG id);
};
