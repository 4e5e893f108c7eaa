// `utility system`: processors and affinity, system error texts, string resources, new GUIDs,
// and a tour of the window helpers in the demo.
#include <cstdio>
#include <ostream>
#include <string>

#include <Utility/Platform/Error.h>
#include <Utility/Platform/Library.h>
#include <Utility/Platform/Path.h>
#include <Utility/Platform/Thread.h>
#include <Utility/Platform/Window.h>
#include <Utility/Utility.h>

#include "Command.h"
#include "Groups.h"

namespace utility::cli {
namespace {

std::string Hex(unsigned long long value) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%llX", value);
  return text;
}

// The text without the CR LF that system messages end with, for a terminal.
std::string WithoutLineEnd(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

int Processors(const Invocation&, Reply& reply) {
  reply.Integer("processors", CUtility::GetNumberOfProcessors());
  return kExitOk;
}

int Affinity(const Invocation& inv, Reply& reply) {
  const auto mask = static_cast<ULONG>(inv.Integer(0));
  HANDLE thread = GetCurrentThread();
  if (inv.Has("thread")) {
    const auto id = static_cast<DWORD>(inv.IntegerOption("thread", 0));
    thread = OpenThread(THREAD_SET_INFORMATION | THREAD_QUERY_INFORMATION, FALSE, id);
    if (thread == nullptr) throw Failure("no thread has the id " + inv.Get("thread"));
  }
  SetLastError(ERROR_SUCCESS);
  const ULONG previous = CUtility::SetThreadAffinityMask(thread, mask);
  const DWORD error = GetLastError();
  if (thread != GetCurrentThread()) CloseHandle(thread);
  const ULONG n = CUtility::GetNumberOfProcessors();
  if (previous == 0xFFFFFFFFu && n < 32) {
    throw Failure("mask " + Hex(mask) + " rejected: this machine has " + std::to_string(n) +
                  " processors, so the largest mask is " + Hex((1ull << n) - 1));
  }
  if (previous == 0) {
    throw Failure("the system refused mask " + Hex(mask) + ": " +
                  WithoutLineEnd(CUtility::GetLastErrorText(static_cast<int>(error)).ToUtf8()));
  }
  reply.Integer("previous", previous);
  reply.Human("previous mask: " + Hex(previous));
  return kExitOk;
}

int ErrorText(const Invocation& inv, Reply& reply) {
  const auto code = static_cast<int>(inv.Integer(0));
  const std::string text = CUtility::GetLastErrorText(code).ToUtf8();
  if (text.empty()) throw Failure("the system has no message for code " + inv.Arg(0));
  reply.Text("text", text);
  reply.Human(WithoutLineEnd(text));
  return kExitOk;
}

int String(const Invocation& inv, Reply& reply) {
  const auto id = static_cast<unsigned int>(inv.Integer(1));
  HMODULE module = LoadLibraryW(CString(inv.Arg(0).c_str()).GetString());
  if (module == nullptr) throw Failure("cannot load the module " + Quoted(inv.Arg(0)));
  const std::string text = CUtility::GetStringFromResourceID(module, id).ToUtf8();
  FreeLibrary(module);
  if (text.empty()) throw Failure("the module has no string " + inv.Arg(1));
  reply.Text("text", text);
  return kExitOk;
}

int Guid(const Invocation&, Reply& reply) {
  const std::string text = CUtility::CreateGUID().ToUtf8();
  if (text.empty()) throw Failure("the system could not make a GUID");
  reply.Text("guid", text);
  return kExitOk;
}

void Demo(std::ostream& out) {
  out << "Logical processors: " << CUtility::GetNumberOfProcessors() << '\n'
      << "A new GUID: " << CUtility::CreateGUID().ToUtf8() << '\n'
      << "The system's text for error 2: " << WithoutLineEnd(CUtility::GetLastErrorText(2).ToUtf8()) << '\n'
      << "Error 0x12345 has a text: " << (CUtility::GetLastErrorText(0x12345).IsEmpty() ? "no" : "yes") << '\n';
  // A dialog with two controls, one of which holds a control of its own.
  CWnd dialog, name, group, option;
  dialog.Create(u"Dialog", WS_VISIBLE, nullptr);
  name.Create(u"Name", WS_VISIBLE, &dialog);
  group.Create(u"Group", WS_VISIBLE, &dialog);
  option.Create(u"Option", WS_VISIBLE, &group);
  const auto state = [&] {
    return std::string("name ") + (name.IsWindowEnabled() ? "enabled" : "disabled") + ", group " +
           (group.IsWindowEnabled() ? "enabled" : "disabled") + ", option inside the group " +
           (option.IsWindowEnabled() ? "enabled" : "disabled");
  };
  CUtility::EnableAllWindow(&dialog, 0);
  out << "EnableAllWindow(dialog, 0): " << state() << " (only direct children change)\n";
  CUtility::EnableAllWindow(&dialog, 1);
  out << "EnableAllWindow(dialog, 1): " << state() << '\n';
}

}  // namespace

// The table keeps one command to a few lines, laid out by hand.
// clang-format off
Group SystemGroup() {
  return {"system",
          "processors and thread affinity, system error texts, string resources, new GUIDs",
          {
              {"system", "processors", {}, "print the number of logical processors", {},
               {"utility system processors"}, Processors},
              {"system", "affinity", {Integer("mask", "mask", 0, 0xFFFFFFFFLL)},
               "bind a thread to the processors of a mask and print its previous mask",
               {With("thread", Integer("id", "thread id", 1, 0x7FFFFFFFLL), "the kernel id of the thread to bind (default: this command's own)")},
               {"utility system affinity 0x1", "utility system affinity 3 --thread 12345"}, Affinity},
              {"system", "error-text", {Integer("code", "error code", -0x80000000LL, 0xFFFFFFFFLL)}, "print the system's message for a Win32 error code", {},
               {"utility system error-text 2", "utility system error-text 5 --json"}, ErrorText},
              {"system", "string", {PathTo("module"), Integer("id", "string id", 0, 0xFFFFFFFFLL)}, "print a string resource from a module's string table", {},
               {"utility system string ./Texts.so 101"}, String},
              {"system", "guid", {}, "print a new random GUID", {}, {"utility system guid"}, Guid},
          },
          Demo};
}
// clang-format on

}  // namespace utility::cli
