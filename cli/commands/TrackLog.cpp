// `utility tracklog`: append timestamped entries to a track log, by path or by name in the
// host directory.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <ostream>
#include <string>

#include <Utility/Platform/CodePage.h>
#include <Utility/Platform/FileContents.h>
#include <Utility/Platform/Path.h>
#include <Utility/Utility.h>

#include "Command.h"
#include "Groups.h"
#include "HostProcess.h"
#include "Progress.h"

namespace utility::cli {
namespace {

// The library only ever appends to a log, so an entry written shows in the size, and in the time
// of the last write.
struct FileState {
  bool exists = false;
  std::uintmax_t size = 0;
  std::filesystem::file_time_type written{};
};

FileState StateOf(const std::string& native) {
  std::error_code ec;
  const std::filesystem::path path = FsPath(native);
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) return {};
  const std::filesystem::file_time_type written = std::filesystem::last_write_time(path, ec);
  if (ec) return {};
  return {true, size, written};
}

// The library reports nothing; the program tells the user whether the file changed.
int Append(const std::string& native, const std::string& shown, const std::function<void()>& save, Reply& reply) {
  const FileState before = StateOf(native);
  Progress progress("appending to " + shown);
  save();
  progress.Done();
  const FileState after = StateOf(native);
  const bool written = after.exists && (!before.exists || after.size != before.size || after.written != before.written);
  reply.Path("log", native);
  reply.Bool("written", written);
  if (!written) {
    throw Failure("no entry written to " + Shortened(shown) +
                  " (missing directory, read-only file, or in use by another writer)");
  }
  reply.Human("appended an entry to " + Shown(native));
  return kExitOk;
}

int Save(const Invocation& inv, Reply& reply) {
  const CString path = utility::platform::WindowsPath(inv.Arg(0));
  const CString text(inv.Arg(1).c_str());
  const int startNew = inv.Flag("new") ? 1 : 0;
  return Append(
      utility::platform::NativePath(path), inv.Arg(0), [&] { CUtility::SaveTrackLog(path, text, startNew); }, reply);
}

int SaveEx(const Invocation& inv, Reply& reply) {
  const CString name = utility::platform::WindowsPath(inv.Arg(0));
  const CString text(inv.Arg(1).c_str());
  const int startNew = inv.Flag("new") ? 1 : 0;
  const std::string native = utility::platform::NativePath(CUtility::GetModulePath() + u"\\" + name);
  return Append(
      native, native, [&] { CUtility::SaveTrackLogEx(name, text, startNew); }, reply);
}

// A log as UTF-8 text for reading: its code page 936 bytes decoded (a byte that is not valid
// there becomes U+FFFD), and its CR LF line ends as the terminal's LF.
int Show(const Invocation& inv, Reply& reply) {
  const std::string bytes = ReadInput(inv.Arg(0));
  std::u16string units;
  if (!bytes.empty()) {
    const int size = static_cast<int>(bytes.size());
    units.resize(static_cast<std::size_t>(MultiByteToWideChar(936, 0, bytes.data(), size, nullptr, 0)));
    MultiByteToWideChar(936, 0, bytes.data(), size, reinterpret_cast<WCHAR*>(units.data()),
                        static_cast<int>(units.size()));
  }
  std::string text = CString(std::u16string_view(units)).ToUtf8();
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
  }
  reply.Text("text", out);
  reply.Human(out);
  return kExitOk;
}

// Shows the bytes of a log with its line ends visible.
std::string Visible(const std::string& bytes) {
  std::string out;
  for (char c : bytes) {
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n\n    ";
    } else {
      out += c;
    }
  }
  return out;
}

void Demo(std::ostream& out) {
  const std::string root = MakeTemporaryDirectory("utility-demo-");
  if (root.empty()) {
    out << "(no temporary directory: skipped)\n";
    return;
  }
  const CString log = utility::platform::WindowsPath(root + "/demo.log");
  CUtility::SaveTrackLog(log, u"first entry", 1);
  CUtility::SaveTrackLog(log, u"two lines\nin one entry", 0);
  std::string bytes;
  utility::platform::ReadRegularFile(root + "/demo.log", bytes);
  std::string shown = Visible(bytes);
  while (!shown.empty() && shown.back() == ' ') shown.pop_back();
  out << "SaveTrackLog twice; the file, line ends shown:\n    " << shown;
  std::error_code ec;
  std::filesystem::remove_all(FsPath(root), ec);
}

}  // namespace

// The table keeps one command to a few lines, laid out by hand.
// clang-format off
Group TrackLogGroup() {
  return {"tracklog",
          "append timestamped entries to a track log (code page 936 text, CR LF line ends)",
          {
              {"tracklog", "save", {PathTo("log"), Text("text")},
               "append one entry to the log file at <log>; a busy or read-only file drops it",
               {Flag("new", "delete the file first, so that it holds this entry alone")},
               {"utility tracklog save /tmp/app.log 'started'", "utility tracklog save --new /tmp/app.log 'fresh start'"}, Save},
              {"tracklog", "save-ex", {Text("name"), Text("text")},
               "append one entry to the log <name> in the program's directory (sub-directories allowed)",
               {Flag("new", "delete the file first, so that it holds this entry alone")},
               {"utility tracklog save-ex trace.log 'started'"}, SaveEx},
              {"tracklog", "show", {Input("log")}, "print a log as UTF-8 text with the terminal's line ends", {},
               {"utility tracklog show /tmp/app.log", "utility tracklog show - < app.log"}, Show},
          },
          Demo};
}
// clang-format on

}  // namespace utility::cli
