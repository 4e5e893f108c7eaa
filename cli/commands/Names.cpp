// `utility names`: name and path-component checks, keyword lookup, whole-word replacement,
// numeric text and IPv4 address text.
#include <cerrno>
#include <cstring>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include <Utility/Platform/InstallLayout.h>
#include <Utility/Utility.h>

#include "Command.h"
#include "Groups.h"

namespace utility::cli {
namespace {

const char* CheckMeaning(int code) {
  switch (code) {
    case 0:
      return "valid";
    case 1:
      return "empty once trimmed";
    case 2:
      return "holds a space";
    case 3:
      return "holds a forbidden character or is not an identifier";
    case 4:
      return "is a keyword listed in KeyWords.ini";
    default:
      return "unknown";
  }
}

int Answer(Reply& reply, const std::string& name, int result) {
  reply.Bool(name, result != 0);
  return result != 0 ? kExitOk : kExitNo;
}

int Check(const Invocation& inv, Reply& reply) {
  const int code = CUtility::CheckNameValidiy(CString(inv.Arg(0).c_str()), inv.Flag("free-form") ? 1 : 0,
                                              inv.Flag("allow-space") ? 1 : 0);
  reply.Integer("code", code);
  reply.Text("meaning", CheckMeaning(code));
  return code == 0 ? kExitOk : kExitNo;
}

int PathComponent(const Invocation& inv, Reply& reply) {
  return Answer(reply, "valid", CUtility::IsPathNameValid(CString(inv.Arg(0).c_str())));
}

int KeyWord(const Invocation& inv, Reply& reply) {
  const CString word(inv.Arg(0).c_str());
  // The library takes a missing or unreadable file for one without the word; the program
  // tells the user instead, since a wrong path is far likelier than an empty keyword list.
  if (inv.Has("file") && !std::ifstream(FsPath(inv.Get("file")))) {
    throw Failure("cannot read the keyword file " + Shortened(inv.Get("file")) + ": " + std::strerror(errno));
  }
  if (!inv.Has("file")) RequireInstalled("KeyWords.ini", utility::platform::InstalledDataDirectory(), "keyword file");
  const int found =
      inv.Has("file") ? CUtility::IsKeyWords(CString(inv.Get("file").c_str()), word) : CUtility::IsKeyWords(word);
  return Answer(reply, "keyword", found);
}

int Replace(const Invocation& inv, Reply& reply) {
  CString text(inv.Arg(0).c_str());
  CUtility::ReplaceEx(text, CString(inv.Arg(1).c_str()), CString(inv.Arg(2).c_str()), CString(inv.Arg(3).c_str()));
  reply.Text("text", text.ToUtf8());
  return kExitOk;
}

int Numeric(const Invocation& inv, Reply& reply) {
  return Answer(reply, "numeric", CUtility::IsNumeric(CString(inv.Arg(0).c_str()), inv.Flag("decimal") ? 1 : 0));
}

int ValidIp(const Invocation& inv, Reply& reply) {
  std::vector<char> address(inv.Arg(0).begin(), inv.Arg(0).end());
  address.push_back('\0');
  return Answer(reply, "valid", CUtility::IsValidIP(address.data()));
}

int SameIp(const Invocation& inv, Reply& reply) {
  return Answer(reply, "same", CUtility::IsSameIp(CString(inv.Arg(0).c_str()), CString(inv.Arg(1).c_str())));
}

void Demo(std::ostream& out) {
  for (const char16_t* name : {u"  Count_1  ", u"my var", u"1abc", u"a-b", u"If"}) {
    const int code = CUtility::CheckNameValidiy(CString(name), 0, 0);
    out << "CheckNameValidiy('" << CString(name).ToUtf8() << "', 0, 0) = " << code << " (" << CheckMeaning(code)
        << ")\n";
  }
  out << "IsPathNameValid('a/b') = " << CUtility::IsPathNameValid(CString(u"a/b"))
      << ", IsPathNameValid('a//b') = " << CUtility::IsPathNameValid(CString(u"a//b")) << '\n';
  CString text(u"A+B*A");
  CUtility::ReplaceEx(text, CString(u"+-*/"), CString(u"A"), CString(u"X"));
  CString kept(u"AB+A");
  CUtility::ReplaceEx(kept, CString(u"+-*/"), CString(u"A"), CString(u"X"));
  out << "ReplaceEx('A+B*A', '+-*/', 'A', 'X') = '" << text.ToUtf8() << "', ReplaceEx('AB+A', ...) = '" << kept.ToUtf8()
      << "'\n";
  out << "IsNumeric('12-', 0) = " << CUtility::IsNumeric(CString(u"12-"), 0)
      << ", IsNumeric('1.5', 0) = " << CUtility::IsNumeric(CString(u"1.5"), 0) << '\n';
  char valid[] = "192.168.1.1";
  char invalid[] = "0.1.2.3";
  out << "IsValidIP('192.168.1.1') = " << CUtility::IsValidIP(valid)
      << ", IsValidIP('0.1.2.3') = " << CUtility::IsValidIP(invalid) << '\n';
  out << "IsSameIp('10.0.0.8', '10.0.0.010') = " << CUtility::IsSameIp(CString(u"10.0.0.8"), CString(u"10.0.0.010"))
      << " (octal), IsSameIp('10.1', '10.0.0.1') = " << CUtility::IsSameIp(CString(u"10.1"), CString(u"10.0.0.1"))
      << '\n';
}

}  // namespace

// The table keeps one command to a few lines, laid out by hand.
// clang-format off
Group NamesGroup() {
  return {"names",
          "name and path checks, keywords, whole-word replacement, numeric and IPv4 text",
          {
              {"names", "check", {Text("name")},
               "grade a name: 0 valid, 1 empty, 2 holds a space, 3 forbidden character or not an identifier, "
               "4 keyword",
               {Flag("free-form", "skip the identifier rule"), Flag("allow-space", "skip the space test")},
               {"utility names check '  Count_1  '   # 0", "utility names check 'my var' --allow-space --free-form",
                "utility names check If   # 4 with the starter KeyWords.ini"}, Check},
              {"names", "path", {Text("name")}, "check one path component for \\ // : ? * < > |", {},
               {"utility names path a/b   # true", "utility names path 'a//b'   # false"}, PathComponent},
              {"names", "keyword", {Text("word")},
               "look a word up in KeyWords.ini beside the program (or in --file); the word is upper-cased, not trimmed",
               {With("file", PathTo("path"), "the keyword file to read instead")},
               {"utility names keyword if", "utility names keyword while --file ./Reserved.ini"}, KeyWord},
              {"names", "replace", {Text("text"), Text("delimiters"), Text("old"), Text("new")},
               "replace every whole word equal to <old>; words are runs between delimiter characters", {},
               {"utility names replace 'A+B*A' '+-*/' A X   # X+B*X", "utility names replace 'AB+A' '+-*/' A X   # AB+X"}, Replace},
              {"names", "numeric", {Text("text")}, "check plain decimal text (digits and at most one minus sign)",
               {Flag("decimal", "allow one decimal point")},
               {"utility names numeric -12", "utility names numeric 1.5 --decimal"}, Numeric},
              {"names", "ip", {Text("address")}, "check a dotted IPv4 address of four decimal parts (first 1-254)", {},
               {"utility names ip 192.168.1.1   # true", "utility names ip 0.1.2.3   # false"}, ValidIp},
              {"names", "same-ip", {Text("first"), Text("second")},
               "compare two addresses as the BSD parser reads them (octal, hex, short forms)", {},
               {"utility names same-ip 10.0.0.8 10.0.0.010   # true", "utility names same-ip 10.1 10.0.0.1   # true"}, SameIp},
          },
          Demo};
}
// clang-format on

}  // namespace utility::cli
