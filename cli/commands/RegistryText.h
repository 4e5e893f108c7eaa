// The text form of registry keys and values that `utility reg` prints, exports and imports:
//
//   [HKEY_CURRENT_USER\Software\Tarnwell]
//   !readonly
//   @=sz:"default text"
//   "Count"=dword:0000002a
//   "Data"=binary:01,02,ff
//
// Every value survives an export and an import byte for byte: data that its type's readable
// form cannot carry exactly (a text without terminator, a dword of 3 bytes) is written as
// hex(<type>):<bytes>.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include <Utility/Platform/Registry.h>

namespace utility::cli::regtext {

// A value as read from a key.
struct Value {
  std::u16string name;
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

// "name=type:data" for one value; the name alone ("@" or a quoted string) and the
// "type:data" part apart.
std::string FormatValue(const Value& value);
std::string FormatName(const std::u16string& name);
std::string FormatData(DWORD type, const std::vector<BYTE>& data);

// A value as JSON: {"name": "Count", "type": "dword", "data": 42}. The data is a number
// (dword, qword), a string (sz, expand_sz), a list of strings (multi_sz), or, when it does not
// have its type's form (a string without terminator, a dword of 3 bytes, another type), the
// list of its bytes; the type is a name, or the type's number for types without one.
std::string ValueJson(const Value& value);

// Reads "type:data" (as FormatData writes it, or typed by a person: `sz:text` needs no quotes,
// `dword:42` and `dword:0x2a` are numbers). Throws UsageError on malformed text.
void ParseData(const std::string& text, DWORD& type, std::vector<BYTE>& data);

// Reads a value line ("name=type:data"). Throws UsageError.
Value ParseValue(const std::string& line);

// Every value of an open key, in creation order. Throws Failure on a registry error.
std::vector<Value> ReadValues(HKEY key);

// Names of the sub-keys of an open key. Throws Failure.
std::vector<std::u16string> ReadSubKeys(HKEY key);

// UTF-16 text as the registry calls take it.
inline const WCHAR* W(const std::u16string& s) { return reinterpret_cast<const WCHAR*>(s.c_str()); }

// Visits the key at path below root and every key below it, each before the keys below it:
// visit(shown, key, path) with the key open for reading, shown its name as exports write it
// (label\path, or the path alone when label is empty). Throws Failure on a registry error.
void VisitTree(HKEY root, const std::string& label, const std::u16string& path,
               const std::function<void(const std::string& shown, HKEY key, const std::u16string& path)>& visit);

// Writes the key at path below root, its values and every key below it. label is the
// root's name as the export writes it ("HKEY_CURRENT_USER", or empty for a hive file).
void ExportTree(HKEY root, const std::string& label, const std::u16string& path, std::ostream& out);

// Reads an export and writes its keys and values (and read-only marks, last) below the
// roots that resolve() gives for each key line's root name. Returns the number of values
// written. Throws UsageError for malformed text and Failure for registry errors, naming the
// line.
struct RootResolver {
  virtual ~RootResolver() = default;
  // The root key and the path below it for the text of a [key] line.
  virtual void Resolve(const std::string& keyText, HKEY& root, std::u16string& path) const = 0;
};
int ImportText(std::istream& in, const RootResolver& resolve);
// The text accepted is this program's own export, or a standard registry export file (see
// RegFile.h) once its header line is read: then [-key] lines delete a key with everything
// below it and "name"=- lines delete a value.

// Deletes the key at path below root and every key below it (deepest first). Throws Failure.
void DeleteTree(HKEY root, const std::u16string& path, const std::string& shown);

// A registry error as one line: "the system cannot find the file specified (2)".
std::string ErrorText(LONG code);

// UTF-16 and UTF-8.
std::u16string FromUtf8(const std::string& text);
std::string ToUtf8(const std::u16string& text);

}  // namespace utility::cli::regtext
