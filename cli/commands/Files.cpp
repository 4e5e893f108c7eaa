// `utility files`: create, remove, rename and list directories.
// Paths typed on the command line are native; they reach the library in its backslash form and
// come back native, so that `/tmp/a/b` and `\tmp\a\b` name the same directory.
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <Utility/Platform/Error.h>
#include <Utility/Platform/FileSystem.h>
#include <Utility/Platform/Path.h>
#include <Utility/Utility.h>

#include "Command.h"
#include "Groups.h"
#include "HostProcess.h"
#include "Progress.h"

namespace utility::cli {
namespace {

CString Library(const std::string& native) { return utility::platform::WindowsPath(native); }

std::string Native(const CString& library) { return utility::platform::NativePath(library); }

// What the system's path limit is, for the messages that name it.
const std::string kPathLimit = "the system takes at most " + std::to_string(utility::platform::kMaxNativePathBytes) +
                               " bytes (" + std::to_string(utility::platform::kMaxPathUnits) + " UTF-16 units)";

std::string TooLong(const std::string& path) { return Shortened(path) + ": the path is too long; " + kPathLimit; }

// Whether the call that just failed refused a path as too long.
bool RefusedAsTooLong() { return GetLastError() == static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE); }

// The listing in byte order (as `LC_ALL=C ls` sorts), unless the library's own order is asked for.
std::vector<std::string> NativeList(const CStringArray& paths, bool sorted) {
  std::vector<std::string> out;
  for (INT_PTR i = 0; i < paths.GetSize(); ++i) out.push_back(Native(paths[i]));
  if (sorted) std::sort(out.begin(), out.end());
  return out;
}

// The library answers an unreadable or missing directory with an empty listing; the program
// says which it was, so that a typing error is not mistaken for an empty directory.
void RequireReadableDirectory(const std::string& path) {
  std::error_code ec;
  const std::filesystem::directory_iterator dir(FsPath(path.empty() ? "/" : path), ec);
  if (ec == std::errc::filename_too_long) throw Failure("cannot read the directory " + TooLong(path));
  if (ec) throw Failure("cannot read the directory " + Shortened(path) + ": " + ec.message());
}

// Whether something is at a path already (links followed), so that the answer says what the
// command changed.
bool Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(FsPath(path), ec);
}

int Create(const Invocation& inv, Reply& reply) {
  const bool existed = Exists(inv.Arg(0));
  SetLastError(ERROR_SUCCESS);
  const int result = CUtility::CreateAllDirectories(Library(inv.Arg(0)));
  const bool tooLong = result == 0 && RefusedAsTooLong();
  reply.Integer("result", result);
  if (tooLong) throw Failure("could not create " + TooLong(inv.Arg(0)));
  if (result == 0)
    throw Failure("could not create " + Shortened(inv.Arg(0)) + " (a level is in the way or not allowed)");
  reply.Human((existed ? "already there: " : "created ") + Shown(inv.Arg(0)));
  return kExitOk;
}

int CreateParents(const Invocation& inv, Reply& reply) {
  std::string path = inv.Arg(0);
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  const std::string parent = inv.Arg(0).substr(0, inv.Arg(0).find_last_of('/') + 1);
  const bool existed = parent.empty() || Exists(parent);
  SetLastError(ERROR_SUCCESS);
  const int result = CUtility::CreateAllDirectoriesEx(path.c_str());
  const bool tooLong = result == 0 && RefusedAsTooLong();
  reply.Integer("result", result);
  if (tooLong) throw Failure("could not create the directories of " + TooLong(inv.Arg(0)));
  if (result == 0) throw Failure("could not create the directories of " + Shortened(inv.Arg(0)));
  reply.Human((existed ? "already there: " : "created ") + Shown(parent.empty() ? "." : parent));
  return kExitOk;
}

// Asks on the terminal (or whatever stdin is); anything but y or yes keeps the tree.
bool Confirm(const std::string& path) {
  std::cerr << "Remove " << path << " and everything in it? [y/N] " << std::flush;
  std::string answer;
  if (!std::getline(std::cin, answer)) return false;
  return answer == "y" || answer == "Y" || answer == "yes" || answer == "YES" || answer == "Yes";
}

int Remove(const Invocation& inv, Reply& reply) {
  const std::string& path = inv.Arg(0);
  if (path.empty()) throw UsageError("an empty path would name the root; give the directory to remove");
  if (!inv.Flag("yes") && !Confirm(path)) throw Failure("not removed: " + Shortened(path));
  try {
    Progress progress("removing " + path);
    const CString library = Library(path);
    SetLastError(ERROR_SUCCESS);
    const int result = CUtility::RemoveDirectoryW(library);
    const bool tooLong = result == 0 && RefusedAsTooLong();
    progress.Done();
    reply.Integer("result", result);
    if (tooLong) {
      // Either the path given is itself too long, or something below it is: then the removal
      // was refused before it deleted anything.
      const DWORD own = utility::platform::GetNativePathLength(library);
      if (own == 0 || own > utility::platform::kMaxNativePathBytes) throw Failure("could not remove " + TooLong(path));
      throw Failure("could not remove " + Shortened(path) + ": a path in the tree is longer than " + kPathLimit +
                    "; nothing was removed");
    }
    if (result == 0)
      throw Failure("could not remove " + Shortened(path) + " (missing, not a directory, or something in it stayed)");
    reply.Human("removed " + Shown(path) + " and everything in it");
  } catch (const CFileException& e) {
    throw Failure("stopped at " + Shortened(Native(e.m_strFileName)) + ": cannot delete it (Win32 error " +
                  std::to_string(e.m_lOsError) + "); files deleted before it stay deleted");
  }
  return kExitOk;
}

int Rename(const Invocation& inv, Reply& reply) {
  const CString from = Library(inv.Arg(0)), to = Library(inv.Arg(1));
  SetLastError(ERROR_SUCCESS);
  const int result = CUtility::ReNameFolder(from, to);
  const bool tooLong = result == 0 && RefusedAsTooLong();
  reply.Integer("result", result);
  // The rename's own buffers hold paths of 1022 units; the system's limit comes after that.
  constexpr int kRenameUnits = 1022;
  for (const auto& [library, native] : {std::pair{&from, &inv.Arg(0)}, std::pair{&to, &inv.Arg(1)}}) {
    if (result == 0 && library->GetLength() > kRenameUnits) {
      throw Failure("could not rename: " + Shortened(*native) + ": the path is too long; a rename takes at most " +
                    std::to_string(kRenameUnits) + " UTF-16 units");
    }
  }
  if (tooLong) throw Failure("could not rename " + TooLong(inv.Arg(0)));
  if (result == 0) {
    throw Failure("could not rename " + Shortened(inv.Arg(0)) + " to " + Shortened(inv.Arg(1)) +
                  " (missing, target exists, another directory, or too long)");
  }
  reply.Human("renamed " + Shown(inv.Arg(0)) + " to " + Shown(inv.Arg(1)));
  return kExitOk;
}

int List(const Invocation& inv, Reply& reply) {
  CStringArray directories, files;
  const std::string filter = inv.Get("filter", "*.*");
  RequireReadableDirectory(inv.Arg(0));
  Progress progress("listing " + inv.Arg(0));
  CUtility::GetDirInfo(Library(inv.Arg(0)), CString(filter.c_str()), directories, files, inv.Flag("recursive") ? 1 : 0);
  progress.Done();
  reply.Paths("directories", NativeList(directories, !inv.Flag("unsorted")));
  reply.Paths("files", NativeList(files, !inv.Flag("unsorted")));
  return kExitOk;
}

std::string Relative(const CString& path, const std::string& root) {
  const std::string native = Native(path);
  return native.compare(0, root.size(), root) == 0 ? "<tmp>" + native.substr(root.size()) : native;
}

void Demo(std::ostream& out) {
  const std::string root = MakeTemporaryDirectory("utility-demo-");
  if (root.empty()) {
    out << "(no temporary directory: skipped)\n";
    return;
  }
  const CString top = utility::platform::WindowsPath(root);
  out << "CreateAllDirectories(<tmp>\\a\\b\\c) = " << CUtility::CreateAllDirectories(top + u"\\a\\b\\c") << '\n';
  out << "again, it exists: " << CUtility::CreateAllDirectories(top + u"\\a\\b\\c") << '\n';
  const std::string ex = (top + u"\\logs\\2024\\trace.log").ToUtf8();
  out << "CreateAllDirectoriesEx(<tmp>\\logs\\2024\\trace.log) = " << CUtility::CreateAllDirectoriesEx(ex.c_str())
      << " (trace.log counts as a file name)\n";
  for (const char16_t* name : {u"\\a\\notes.txt", u"\\a\\b\\REPORT.TXT", u"\\a\\b\\c\\data.bin"}) {
    CUtility::SaveTrackLog(top + name, u"demo", 0);
  }
  CStringArray dirs, files;
  CUtility::GetDirInfo(top, u"*.txt", dirs, files, 1);
  out << "GetDirInfo(<tmp>, *.txt, recursive):\n";
  for (INT_PTR i = 0; i < dirs.GetSize(); ++i) out << "  dir  " << Relative(dirs[i], root) << '\n';
  for (INT_PTR i = 0; i < files.GetSize(); ++i) out << "  file " << Relative(files[i], root) << '\n';
  out << "ReNameFolder(<tmp>\\a, <tmp>\\renamed) = " << CUtility::ReNameFolder(top + u"\\a", top + u"\\renamed")
      << '\n';
  out << "RemoveDirectoryW(<tmp>) = " << CUtility::RemoveDirectoryW(top) << " (everything is gone)\n";
  std::error_code ec;
  std::filesystem::remove_all(FsPath(root), ec);  // in case anything stayed
}

}  // namespace

// The table keeps one command to a few lines, laid out by hand.
// clang-format off
Group FilesGroup() {
  return {"files",
          "create, remove, rename and list directories",
          {
              {"files", "create", {PathTo("path")},
               "create a directory and every missing parent (a file under that name counts as existing)", {},
               {"utility files create /tmp/a/b/c"}, Create},
              {"files", "create-parents", {PathTo("path")},
               "create the directories up to the last separator; what follows it is a file name", {},
               {"utility files create-parents /tmp/logs/2024/trace.log   # makes /tmp/logs/2024",
                "utility files create-parents /tmp/a/b/   # makes /tmp/a and /tmp/a/b"}, CreateParents},
              {"files", "remove", {PathTo("path")},
               "delete a directory with everything in it; asks first unless --yes (links go as links)",
               {Flag("yes", "remove without asking", 'y')},
               {"utility files remove /tmp/old", "utility files remove --yes /tmp/old"}, Remove},
              {"files", "rename", {PathTo("from"), PathTo("to")},
               "rename a folder or file within its directory; an existing target is never replaced", {},
               {"utility files rename /tmp/old /tmp/new"}, Rename},
              {"files", "list", {PathTo("directory")},
               "list subdirectories and files whose extension matches the filter",
               {With("filter", Text("pattern"), "*.* for every file (the default), else only its extension counts: *.txt"),
                Flag("recursive", "descend into subdirectories (links to directories are not entered)", 'r'),
                Flag("unsorted", "keep the order the directories give instead of sorting")},
               {"utility files list /tmp", "utility files list --filter '*.txt' --recursive /tmp/project"}, List},
          },
          Demo};
}
// clang-format on

}  // namespace utility::cli
