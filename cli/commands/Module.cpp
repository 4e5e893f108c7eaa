// `utility module`: where the host program lies, module names and the help file's path.
#include <ostream>

#include <Utility/Platform/Module.h>
#include <Utility/Platform/Path.h>
#include <Utility/Utility.h>

#include "Command.h"
#include "Groups.h"

namespace utility::cli {
namespace {

int Path(const Invocation&, Reply& reply) {
  reply.Path("path", utility::platform::NativePath(CUtility::GetModulePath()));
  return kExitOk;
}

int Name(const Invocation& inv, Reply& reply) {
  HINSTANCE module = nullptr;
  if (!inv.args.empty()) {
    module = GetModuleHandleW(CString(inv.Arg(0).c_str()).GetString());
    if (module == nullptr) throw Failure("no loaded module is named " + Quoted(inv.Arg(0)));
  }
  reply.Text("name", CUtility::GetModuleName(module).ToUtf8());
  return kExitOk;
}

int FileName(const Invocation& inv, Reply& reply) {
  reply.Text("name", CUtility::FileNameOnly(CString(inv.Arg(0).c_str())).ToUtf8());
  return kExitOk;
}

int HelpFile(const Invocation&, Reply& reply) {
  reply.Path("help", utility::platform::NativePath(CUtility::GetHelpFile()));
  return kExitOk;
}

void Demo(std::ostream& out) {
  out << "The host directory (where KeyWords.ini and DiskID.dll are looked for first): "
      << CUtility::GetModulePath().ToUtf8() << '\n'
      << "This program's name: " << CUtility::GetModuleName(nullptr).ToUtf8() << '\n'
      << "The help file's path: " << CUtility::GetHelpFile().ToUtf8() << '\n'
      << "FileNameOnly(C:\\dir\\name.txt) = " << CUtility::FileNameOnly(CString(u"C:\\dir\\name.txt")).ToUtf8() << '\n';
}

}  // namespace

// The table keeps one command to a few lines, laid out by hand.
// clang-format off
Group ModuleGroup() {
  return {"module",
          "where the host program lies: its directory, module names, the help file",
          {
              {"module", "path", {}, "print the host directory (--library-paths: as the library writes it, with no trailing backslash)", {},
               {"utility module path"}, Path},
              {"module", "name", {Optional(Text("module"))},
               "print the file name of a loaded module (the program itself when none is named)", {},
               {"utility module name", "utility module name libUtility.so.1"}, Name},
              {"module", "file-name", {Text("path")}, "print the part of a path after its last backslash", {},
               {"utility module file-name 'C:\\dir\\name.txt'   # name.txt"}, FileName},
              {"module", "help-file", {}, "print the help file's path (it is not opened)", {},
               {"utility module help-file"}, HelpFile},
          },
          Demo};
}
// clang-format on

}  // namespace utility::cli
