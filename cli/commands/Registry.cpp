// `utility reg`: see and repair what a host keeps in the registry. Query values, set and
// delete them, list sub-keys, mark keys read-only, export and import key trees as text, and
// check a hive for damage and recover what a damaged one still holds; on HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE or any
// hive file.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

#include <Utility/Platform/HiveFiles.h>
#include <Utility/Platform/Path.h>
#include <Utility/Platform/Registry.h>
#include <Utility/Utility.h>

#include "Command.h"
#include "Groups.h"
#include "HostProcess.h"
#include "Progress.h"
#include "commands/RegFile.h"
#include "commands/RegistryText.h"

namespace utility::cli {
namespace {

using regtext::FromUtf8;
using regtext::ToUtf8;
using regtext::W;

void Check(LONG rc, const std::string& what) {
  if (rc != ERROR_SUCCESS) throw Failure(Shortened(what) + ": " + regtext::ErrorText(rc));
}

// A key named on the command line: HKCU\path, HKEY_LOCAL_MACHINE\path..., or, with --hive, a
// path inside that hive file.
struct KeyName {
  HKEY root = nullptr;
  std::string label;  // the root as exports write it; empty for a hive file
  std::u16string path;
  std::string shown;
};

// Opens the hive file of --hive for the length of a command.
class Roots : public regtext::RootResolver {
 public:
  explicit Roots(const Invocation& inv) {
    if (inv.Has("hive")) {
      m_file = inv.Get("hive");
      Check(RegLoadAppKeyW(utility::platform::WindowsPath(m_file), &m_hive, KEY_ALL_ACCESS, 0, 0), m_file);
    }
  }
  ~Roots() override {
    if (m_hive != nullptr) RegCloseKey(m_hive);
  }
  Roots(const Roots&) = delete;
  Roots& operator=(const Roots&) = delete;

  KeyName Name(const std::string& text) const {
    KeyName k;
    std::u16string path;
    Resolve(text, k.root, path);
    k.path = path;
    k.shown = text;
    if (m_hive == nullptr) k.label = k.root == HKEY_CURRENT_USER ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
    return k;
  }

  void Resolve(const std::string& text, HKEY& root, std::u16string& path) const override {
    if (m_hive != nullptr) {
      root = m_hive;
      path = FromUtf8(text);
      while (!path.empty() && path.front() == u'\\') path.erase(0, 1);
      return;
    }
    const std::size_t slash = text.find('\\');
    std::string head = text.substr(0, slash);
    for (char& c : head) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (head == "HKCU" || head == "HKEY_CURRENT_USER") {
      root = HKEY_CURRENT_USER;
    } else if (head == "HKLM" || head == "HKEY_LOCAL_MACHINE") {
      root = HKEY_LOCAL_MACHINE;
    } else {
      throw UsageError("a key starts with HKCU or HKLM (or HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE): " + Quoted(text));
    }
    path = slash == std::string::npos ? std::u16string() : FromUtf8(text.substr(slash + 1));
  }

 private:
  std::string m_file;
  HKEY m_hive = nullptr;
};

const Option kHive =
    With("hive", PathTo("file"), "work on the hive in this file instead of HKCU/HKLM; keys are paths inside it");

// A key's root as completion offers it; any path may follow.
Value Key() {
  Value v = Text("key");
  v.choices = {"HKCU\\", "HKLM\\", "HKEY_CURRENT_USER\\", "HKEY_LOCAL_MACHINE\\"};
  return v;
}

Value Root() {
  Value v = Optional(Text("root"));
  v.choices = {"HKCU", "HKLM"};
  return v;
}

struct OpenKey {
  HKEY key = nullptr;
  OpenKey(const KeyName& name, REGSAM rights) {
    Check(RegOpenKeyExW(name.root, W(name.path), 0, rights, &key), name.shown);
  }
  ~OpenKey() { RegCloseKey(key); }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
};

// Registry names compare without regard to (ASCII) case; listings are in that order.
bool NoCaseLess(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
  });
}

std::u16string ValueNameArg(const std::string& text) { return text == "@" ? std::u16string() : FromUtf8(text); }

int Query(const Invocation& inv, Reply& reply) {
  const Roots roots(inv);
  const KeyName name = roots.Name(inv.Arg(0));
  OpenKey key(name, KEY_READ);
  if (inv.args.size() == 2) {
    const std::u16string valueName = ValueNameArg(inv.Arg(1));
    DWORD size = 0;
    DWORD type = 0;
    Check(RegQueryValueExW(key.key, W(valueName), nullptr, &type, nullptr, &size), name.shown + " " + inv.Arg(1));
    std::vector<BYTE> data(size);
    Check(RegQueryValueExW(key.key, W(valueName), nullptr, &type, data.data(), &size), name.shown + " " + inv.Arg(1));
    data.resize(size);
    const regtext::Value value{valueName, type, data};
    reply.Json("value", regtext::ValueJson(value));
    reply.Human(regtext::FormatValue(value));
    return kExitOk;
  }
  std::vector<std::string> lines;
  std::string json;
  std::vector<regtext::Value> values = regtext::ReadValues(key.key);
  if (!inv.Flag("unsorted")) {
    std::stable_sort(values.begin(), values.end(), [](const regtext::Value& a, const regtext::Value& b) {
      return NoCaseLess(ToUtf8(a.name), ToUtf8(b.name));
    });
  }
  for (const regtext::Value& v : values) {
    lines.push_back(regtext::FormatValue(v));
    json += (json.empty() ? "" : ", ") + regtext::ValueJson(v);
  }
  reply.Json("values", "[" + json + "]");
  std::string human;
  for (const std::string& l : lines) human += l + "\n";
  if (!human.empty()) human.pop_back();
  reply.Human(human.empty() ? "(no values)" : human);
  return kExitOk;
}

int Set(const Invocation& inv, Reply& reply) {
  const Roots roots(inv);
  const KeyName name = roots.Name(inv.Arg(0));
  const std::u16string valueName = ValueNameArg(inv.Arg(1));
  DWORD type = 0;
  std::vector<BYTE> data;
  regtext::ParseData(inv.Arg(2), type, data);
  HKEY key = nullptr;
  Check(RegCreateKeyExW(name.root, W(name.path), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), name.shown);
  const LONG rc = RegSetValueExW(key, W(valueName), 0, type, data.data(), static_cast<DWORD>(data.size()));
  RegCloseKey(key);
  Check(rc, name.shown + " " + inv.Arg(1));
  reply.Text("set", regtext::FormatName(valueName) + "=" + regtext::FormatData(type, data));
  reply.Human("set " + name.shown + " " + regtext::FormatName(valueName) + "=" + regtext::FormatData(type, data));
  return kExitOk;
}

// A key with nothing below it goes; one with sub-keys only with --recursive, so that a typing
// error never takes a tree with it.
int DeleteKey(const KeyName& name, bool recursive, Reply& reply) {
  if (name.path.empty()) throw UsageError("a whole root cannot be deleted: name a key below it");
  std::size_t below = 0;
  {
    OpenKey key(name, KEY_READ);
    below = regtext::ReadSubKeys(key.key).size();
  }
  if (below > 0 && !recursive) {
    throw Failure(Shortened(name.shown) + " has " + std::to_string(below) + (below == 1 ? " sub-key" : " sub-keys") +
                  "; --recursive deletes them too");
  }
  regtext::DeleteTree(name.root, name.path, name.shown);
  reply.Text("deleted", name.shown);
  reply.Human("deleted the key " + name.shown + (below > 0 ? " and everything below it" : ""));
  return kExitOk;
}

int Delete(const Invocation& inv, Reply& reply) {
  const Roots roots(inv);
  const KeyName name = roots.Name(inv.Arg(0));
  if (inv.args.size() == 1) return DeleteKey(name, inv.Flag("recursive"), reply);
  OpenKey key(name, KEY_SET_VALUE);
  const std::u16string valueName = ValueNameArg(inv.Arg(1));
  Check(RegDeleteValueW(key.key, W(valueName)), name.shown + " " + inv.Arg(1));
  reply.Text("deleted", regtext::FormatName(valueName));
  reply.Human("deleted the value " + regtext::FormatName(valueName) + " of " + name.shown);
  return kExitOk;
}

int Keys(const Invocation& inv, Reply& reply) {
  const Roots roots(inv);
  const KeyName name = roots.Name(inv.Arg(0));
  OpenKey key(name, KEY_READ);
  std::vector<std::string> names;
  for (const std::u16string& n : regtext::ReadSubKeys(key.key)) names.push_back(ToUtf8(n));
  // Key names compare without case, so they are listed that way (as registry editors do).
  if (!inv.Flag("unsorted")) std::stable_sort(names.begin(), names.end(), NoCaseLess);
  reply.List("keys", names);
  std::string human;
  for (const std::string& n : names) human += n + "\n";
  if (!human.empty()) human.pop_back();
  reply.Human(human.empty() ? "(no sub-keys)" : human);
  return kExitOk;
}

int ReadOnly(const Invocation& inv, Reply& reply) {
  const Roots roots(inv);
  const KeyName name = roots.Name(inv.Arg(0));
  if (inv.args.size() == 2) {
    const std::string& what = inv.Arg(1);
    if (what != "on" && what != "off") throw UsageError("expected on or off, not " + Quoted(what));
    Check(utility::platform::SetKeyReadOnly(name.root, W(name.path), what == "on" ? TRUE : FALSE), name.shown);
  }
  BOOL marked = FALSE;
  BOOL effective = FALSE;
  Check(utility::platform::GetKeyReadOnly(name.root, W(name.path), &marked, &effective), name.shown);
  reply.Bool("marked", marked != FALSE);
  reply.Bool("readonly", effective != FALSE);
  reply.Human(std::string(effective ? "read-only" : "writable") +
              (effective && !marked ? " (through a key above it)" : ""));
  return kExitOk;
}

int Export(const Invocation& inv, Reply& reply) {
  const Roots roots(inv);
  const KeyName name = roots.Name(inv.Arg(0));
  const bool regFile = inv.Get("format", "text") == "reg";
  std::ostringstream text;
  Progress progress("exporting " + inv.Arg(0));
  if (regFile) {
    text << "Windows Registry Editor Version 5.00\r\n\r\n" << regfile::ExportTree(name.root, name.label, name.path);
  } else {
    text << "; utility registry export\n";
    regtext::ExportTree(name.root, name.label, name.path, text);
  }
  progress.Done();
  // With --json the export text travels as one string field, so that scripts parse it back.
  if (inv.json && !inv.Has("file")) {
    reply.Text("export", text.str());
    return kExitOk;
  }
  // A standard export file is UTF-16LE with its byte order mark, wherever it goes.
  const std::string bytes = regFile ? regfile::EncodeFile(text.str()) : text.str();
  if (inv.Has("file")) {
    std::ofstream out(FsPath(inv.Get("file")), std::ios::binary | std::ios::trunc);
    if (!(out << bytes) || !out.flush()) {
      throw Failure("cannot write " + Shortened(inv.Get("file")) + ": " + std::strerror(errno));
    }
    reply.Path("file", inv.Get("file"));
    reply.Human("exported " + name.shown + " to " + Shown(inv.Get("file")));
    return kExitOk;
  }
  std::cout << bytes;
  return kExitOk;
}

int Import(const Invocation& inv, Reply& reply) {
  const Roots roots(inv);
  const std::string& file = inv.Arg(0);
  const std::string shown = file == "-" ? "standard input" : file;
  int written = 0;
  // Every message names the file, and a line of it where the text is at fault.
  try {
    const std::string bytes = ReadInput(file);
    Progress progress("importing " + shown);
    std::istringstream text(regfile::DecodeFile(bytes));
    written = regtext::ImportText(text, roots);
  } catch (const UsageError& e) {
    throw UsageError(Shortened(shown) + ", " + e.what());
  } catch (const Failure& e) {
    if (std::string(e.what()).rfind("cannot read ", 0) == 0) throw;
    throw Failure(Shortened(shown) + ", " + e.what());
  }
  reply.Integer("values", written);
  reply.Human("imported " + std::to_string(written) + (written == 1 ? " value" : " values") + " from " + shown);
  return kExitOk;
}

int CheckHive(const Invocation& inv, Reply& reply) {
  const Roots roots(inv);
  const KeyName name = roots.Name(inv.args.empty() ? (inv.Has("hive") ? "" : "HKCU") : inv.Arg(0));
  const LONG rc = utility::platform::CheckHive(name.root);
  reply.Text("result", rc == ERROR_SUCCESS ? "ok" : regtext::ErrorText(rc));
  return rc == ERROR_SUCCESS ? kExitOk : kExitNo;
}

// The damaged hive's file: the --hive file, or the file of HKCU/HKLM. Nothing is opened, so
// that no connection of this process can fold a log into the damaged file.
std::string HiveFileOf(const Invocation& inv) {
  if (inv.Has("hive")) return inv.Get("hive");
  const Roots roots(inv);
  const KeyName name = roots.Name(inv.args.empty() ? "HKCU" : inv.Arg(0));
  WCHAR path[4096];
  DWORD size = 4096;
  Check(utility::platform::GetHiveFile(name.root, path, &size), name.shown);
  return utility::platform::NativePath(CStringRef(path));
}

int Recover(const Invocation& inv, Reply& reply) {
  const std::string damaged = HiveFileOf(inv);
  const std::string output = inv.Get("output", damaged + ".recovered");
  REG_SALVAGE_COUNTS counts{};
  const LONG rc =
      utility::platform::SalvageHive(utility::platform::WindowsPath(damaged), utility::platform::WindowsPath(output),
                                     inv.Flag("force") ? REG_SALVAGE_REPLACE : 0, &counts);
  if (rc == ERROR_FILE_EXISTS) {
    throw Failure(Shortened(output) +
                  ": the file exists already; --force replaces it, --output <file> writes elsewhere");
  }
  Check(rc, damaged);
  reply.Text("file", output);
  reply.Integer("keys", counts.keys);
  reply.Integer("values", counts.values);
  reply.Integer("rebuilt", counts.rebuiltKeys);
  reply.Integer("lost", counts.lostRows);
  return kExitOk;
}

int Where(const Invocation&, Reply& reply) {
  for (const auto& [label, root] : {std::pair<const char*, HKEY>{"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
                                    std::pair<const char*, HKEY>{"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE}}) {
    WCHAR path[4096];
    DWORD size = 4096;
    Check(utility::platform::GetHiveFile(root, path, &size), label);
    reply.Text(label, utility::platform::NativePath(CStringRef(path)));
  }
  return kExitOk;
}

// The demo works in a hive file of its own, removed afterwards.
void Demo(std::ostream& out) {
  const std::string dir = MakeTemporaryDirectory("utility-demo-");
  if (dir.empty()) {
    out << "(no temporary directory for the demo hive)\n";
    return;
  }
  const std::string file = dir + "/demo.db";
  HKEY root = nullptr;
  const LONG loaded = RegLoadAppKeyW(utility::platform::WindowsPath(file), &root, KEY_ALL_ACCESS, 0, 0);
  if (loaded != ERROR_SUCCESS) {
    out << "(cannot create the demo hive: " << regtext::ErrorText(loaded) << ")\n";
  } else {
    const std::u16string app = u"Software\\Tarnwell";
    const std::u16string sub = u"Software\\Tarnwell\\Recent";
    out << "A temporary hive: " << file << '\n';
    out << "WriteKey(Count, 3) = " << CUtility::WriteKey(root, W(app), W(u"Count"), 3u) << '\n';
    const char16_t* files[] = {u"first.txt", u"second.txt", u"third.txt"};
    for (int i = 0; i < 3; ++i) {
      CUtility::WriteKey(root, W(sub), W(u"File" + std::u16string(1, static_cast<char16_t>(u'1' + i))),
                         CString(files[i]));
    }
    DWORD n = 0;
    out << "ReadKey(Count) = " << CUtility::ReadKey(root, W(app), W(u"count"), n) << ", number " << n
        << " (names ignore case)\n";
    CString text;
    const LONG missing = CUtility::ReadKey(root, W(app), W(u"Missing"), text);
    out << "ReadKey(Missing) = " << missing << " (" << regtext::ErrorText(missing) << ")\n";
    CStringList list;
    CUtility::ReadKey(root, W(sub), nullptr, list);
    out << "The list reader puts the last value first:";
    for (POSITION p = list.GetHeadPosition(); p != nullptr;) out << " [" << list.GetNext(p).ToUtf8() << ']';
    out << '\n';
    out << "DeleteKeyValue(second.txt) = " << CUtility::DeleteKeyValue(root, W(sub), nullptr, CString(u"second.txt"))
        << '\n';
    if (utility::platform::SetKeyReadOnly(root, W(sub), TRUE) == ERROR_SUCCESS) {
      out << "After marking the key read-only, WriteKey = "
          << CUtility::WriteKey(root, W(sub), W(u"File4"), CString(u"x")) << " (access denied)\n";
    } else {
      out << "(this system's registry keeps no read-only marks)\n";
    }
    std::ostringstream text2;
    regtext::ExportTree(root, "", u"Software", text2);
    out << "The hive exported as text:\n" << text2.str();
    RegCloseKey(root);
  }
  std::error_code ec;
  std::filesystem::remove_all(FsPath(dir), ec);
}

}  // namespace

// The table keeps one command to a few lines, laid out by hand.
// clang-format off
Group RegistryGroup() {
  const Option file = With("file", PathTo("path"), "write the export to this file instead of standard output");
  return {"reg",
          "see and repair registry values: query, set, delete, list, protect, export, import, recover",
          {
              {"reg", "query", {Key(), Optional(Text("value"))},
               "print one value, or every value of a key sorted by name, as name=type:data ('@' is the default value)",
               {kHive, Flag("unsorted", "keep the order the store gives")},
               {"utility reg query 'HKCU\\Software\\Tarnwell'", "utility reg query 'HKCU\\Software\\Tarnwell' Count"}, Query},
              {"reg", "set", {Key(), Text("value"), Text("type:data")},
               "add or change a value; types sz, expand_sz, multi_sz, dword, qword, binary, hex(N)",
               {kHive},
               {"utility reg set 'HKCU\\Software\\Tarnwell' Count dword:42",
                "utility reg set 'HKCU\\Software\\Tarnwell' Name 'sz:Tarnwell Pro'",
                "utility reg set 'HKCU\\Software\\Tarnwell' Paths 'multi_sz:\"a\",\"b\"'",
                "utility reg set 'HKCU\\Software\\Tarnwell' Blob binary:01,02,ff"}, Set},
              {"reg", "delete", {Key(), Optional(Text("value"))},
               "delete a value ('@' is the default value), or a key when no value is named",
               {kHive, Flag("recursive", "delete a key's sub-keys too (without it a key with sub-keys stays)", 'r')},
               {"utility reg delete 'HKCU\\Software\\Tarnwell' Count", "utility reg delete -r 'HKCU\\Software\\Tarnwell'"},
               Delete},
              {"reg", "keys", {Key()}, "list the sub-keys of a key, sorted without regard to case",
               {kHive, Flag("unsorted", "keep the order the store gives")},
               {"utility reg keys 'HKCU\\Software'"}, Keys},
              {"reg", "readonly", {Key(), Optional(Choice("state", {"on", "off"}))},
               "mark a key and everything below it read-only (on), clear the mark (off), or show it",
               {kHive},
               {"utility reg readonly 'HKLM\\Software\\Tarnwell' on", "utility reg readonly 'HKLM\\Software\\Tarnwell'"}, ReadOnly},
              {"reg", "export", {Key()}, "write a key, its values and every key below it as text",
               {kHive, file, With("format", Choice("format", {"text", "reg"}),
                                  "text (this program's, the default) or reg (the standard export file, UTF-16)")},
               {"utility reg export 'HKCU\\Software\\Tarnwell' --file tarnwell.reg.txt",
                "utility reg export --format reg 'HKCU\\Software\\Tarnwell' --file tarnwell.reg"}, Export},
              {"reg", "import", {Input("file")},
               "write the keys and values of an export of either format ('-' reads standard input)",
               {kHive},
               {"utility reg import tarnwell.reg.txt"}, Import},
              {"reg", "check", {Root()}, "check a hive file for damage (HKCU, HKLM, or the --hive file)",
               {kHive},
               {"utility reg check HKLM", "utility reg check --hive settings.db"}, CheckHive},
              {"reg", "recover", {Root()},
               "copy every readable key and value of a damaged hive into a new hive file; the damaged one stays",
               {kHive,
                With("output", PathTo("file"), "write the new hive here (default: the damaged file's name + .recovered)", 'o'),
                Flag("force", "replace the --output file if it exists")},
               {"utility reg recover --hive settings.db   # writes settings.db.recovered",
                "utility reg recover HKCU --output ~/current-user.db.new"}, Recover},
              {"reg", "where", {}, "print the files that hold HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE", {},
               {"utility reg where"}, Where},
          },
          Demo};
}
// clang-format on

}  // namespace utility::cli
