// Directory walks, tree removal and track log appends, each beside the baseline that does the
// same work with the standard library or plain system calls:
//   Ours/ListTree       GetDirInfo recursive       Baseline/ListTree   recursive_directory_iterator
//   Ours/RemoveTree     RemoveDirectoryW           Baseline/RemoveTree std::filesystem::remove_all
//   Ours/AppendEntry    SaveTrackLog               Baseline/AppendEntry open(O_APPEND), write, close
//                                                  Floor/AppendEntry    the five calls ours must make
// The tree has 20,000 files in 400 directories, 20 of them at the top, each with 19 below it.
//   BM_Ours_RemoveSources    RemoveDirectoryW         BM_OldWalk_RemoveSources the removal as it was
//                                                     before it checked the tree's path lengths
// on eight copies of this project's sources (a few thousand files of a real tree).
#include <Utility/Platform/File.h>
#include <Utility/Platform/FileSystem.h>
#include <Utility/Platform/Path.h>
#include <Utility/Platform/Time.h>
#include <Utility/Utility.h>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "files/ChildPath.h"

namespace fs = std::filesystem;

namespace {

constexpr int kTop = 20, kBelow = 19, kFilesPerDirectory = 50;

fs::path MakeScratch() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr && *base != 0 ? base : "/tmp") + "/utility-bench-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  return pattern;
}

void MakeTree(const fs::path& root) {
  fs::create_directories(root);
  for (int t = 0; t < kTop; ++t) {
    const fs::path top = root / ("top" + std::to_string(t));
    for (int b = -1; b < kBelow; ++b) {
      const fs::path dir = b < 0 ? top : top / ("sub" + std::to_string(b));
      fs::create_directories(dir);
      for (int f = 0; f < kFilesPerDirectory; ++f) {
        const std::string file = (dir / ("file" + std::to_string(f) + (f % 2 ? ".txt" : ".dat"))).string();
        const int fd = open(file.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (fd >= 0) close(fd);
      }
    }
  }
}

struct Scratch {
  fs::path root = MakeScratch();
  ~Scratch() {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
};

void Ours_ListTree(benchmark::State& state) {
  Scratch scratch;
  MakeTree(scratch.root / "tree");
  const CString root = utility::platform::WindowsPath((scratch.root / "tree").string());
  for (auto _ : state) {
    CStringArray dirs, files;
    CUtility::GetDirInfo(root, u"*.*", dirs, files, 1);
    benchmark::DoNotOptimize(files.GetSize());
  }
  state.SetItemsProcessed(state.iterations() * kTop * (kBelow + 1) * (kFilesPerDirectory + 1));
}

void Baseline_ListTree(benchmark::State& state) {
  Scratch scratch;
  MakeTree(scratch.root / "tree");
  const fs::path root = scratch.root / "tree";
  for (auto _ : state) {
    std::vector<std::string> dirs, files;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(root)) {
      (e.is_directory() ? dirs : files).push_back(e.path().string());
    }
    benchmark::DoNotOptimize(files.size());
  }
  state.SetItemsProcessed(state.iterations() * kTop * (kBelow + 1) * (kFilesPerDirectory + 1));
}

// Each round builds a fresh tree under scratch (untimed, then synced so that the removal
// does not pay for the writes), and times one removal of it. make returns the files it made.
template <class Make, class Remove>
std::size_t TimeRemovals(benchmark::State& state, const char* stem, Make make, Remove remove) {
  Scratch scratch;
  int round = 0;
  std::size_t files = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const fs::path tree = scratch.root / (stem + std::to_string(round++));
    files = make(tree);
    const CString library = utility::platform::WindowsPath(tree.string());
    sync();
    state.ResumeTiming();
    remove(tree, library);
  }
  return files;
}

template <bool kOurs>
void RemoveTree(benchmark::State& state) {
  TimeRemovals(
      state, "tree",
      [](const fs::path& tree) {
        MakeTree(tree);
        return std::size_t{0};
      },
      [](const fs::path& tree, const CString& library) {
        if constexpr (kOurs) {
          benchmark::DoNotOptimize(CUtility::RemoveDirectoryW(library));
        } else {
          benchmark::DoNotOptimize(fs::remove_all(tree));
        }
      });
  state.SetItemsProcessed(state.iterations() * kTop * (kBelow + 1) * (kFilesPerDirectory + 1));
}

void Ours_RemoveTree(benchmark::State& state) { RemoveTree<true>(state); }
void Baseline_RemoveTree(benchmark::State& state) { RemoveTree<false>(state); }

// The removal as it was before the length check: the same walk and calls, deleting as it goes.
BOOL OldWalk(const CString& path, DWORD attributes) {
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return RemoveDirectoryW(path);
  }
  WIN32_FIND_DATAW entry;
  const HANDLE search = FindFirstFileExW(utility::files::SearchPattern(path), FindExInfoBasic, &entry,
                                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_ENTRY_TYPE_ONLY);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const WCHAR* n = entry.cFileName;
      if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        if (!(n[0] == u'.' && (n[1] == 0 || (n[1] == u'.' && n[2] == 0)))) {
          OldWalk(utility::files::Child(path, n), entry.dwFileAttributes);
        }
      } else {
        CFile::Remove(utility::files::Child(path, n));
      }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
  }
  return RemoveDirectoryW(path);
}

// Eight copies of the project's sources (without build output), side by side under root.
std::size_t CopySources(const fs::path& root) {
  const fs::path source = UTILITY_SOURCE_DIR;
  std::size_t files = 0;
  for (int copy = 0; copy < 8; ++copy) {
    const fs::path target = root / ("copy" + std::to_string(copy));
    fs::create_directories(target);
    for (const fs::directory_entry& e : fs::directory_iterator(source)) {
      const std::string name = e.path().filename().string();
      if (name == "build" || name == ".git") continue;
      fs::copy(e.path(), target / name, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    }
  }
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(root)) files += e.is_regular_file() ? 1 : 0;
  return files;
}

template <bool kOurs>
void RemoveSources(benchmark::State& state) {
  const std::size_t files = TimeRemovals(state, "sources", CopySources, [](const fs::path&, const CString& library) {
    if constexpr (kOurs) {
      benchmark::DoNotOptimize(CUtility::RemoveDirectoryW(library));
    } else {
      benchmark::DoNotOptimize(OldWalk(library, GetFileAttributesW(library)));
    }
  });
  state.counters["files"] = static_cast<double>(files);
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(files));
}

void BM_Ours_RemoveSources(benchmark::State& state) { RemoveSources<true>(state); }
void BM_OldWalk_RemoveSources(benchmark::State& state) { RemoveSources<false>(state); }

const CString kText(u"request 4711 answered in 12 ms by worker 3");

void Ours_AppendEntry(benchmark::State& state) {
  Scratch scratch;
  const CString log = utility::platform::WindowsPath((scratch.root / "track.log").string());
  for (auto _ : state) CUtility::SaveTrackLog(log, kText, 0);
  state.SetItemsProcessed(state.iterations());
}

// The entry SaveTrackLog writes for kText, formatted here with the same clock reading; returns
// its length. entry holds 256 bytes.
std::size_t EntryBytes(char* entry) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  const int n = std::snprintf(entry, 256,
                              "==========================================================\r\n"
                              "%04d/%02d/%02d %02d:%02d:%02d.%03d : %s\r\n\r\n",
                              now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds,
                              "request 4711 answered in 12 ms by worker 3");
  return static_cast<std::size_t>(n);
}

void Baseline_AppendEntry(benchmark::State& state) {
  Scratch scratch;
  const std::string log = (scratch.root / "track.log").string();
  for (auto _ : state) {
    char entry[256];
    const std::size_t n = EntryBytes(entry);
    const int fd = open(log.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    benchmark::DoNotOptimize(write(fd, entry, n));
    close(fd);
  }
  state.SetItemsProcessed(state.iterations());
}

// The least that an entry with the promised guarantees costs: the same bytes through the five
// system calls SaveTrackLog makes (open, the read-only check, the exclusive lock, write, close)
// and nothing else.
void Floor_AppendEntry(benchmark::State& state) {
  Scratch scratch;
  const std::string log = (scratch.root / "track.log").string();
  close(open(log.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
  for (auto _ : state) {
    char entry[256];
    const std::size_t n = EntryBytes(entry);
    const int fd = open(log.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    struct statx sx {};
    benchmark::DoNotOptimize(statx(fd, "", AT_EMPTY_PATH, STATX_TYPE | STATX_MODE, &sx));
    benchmark::DoNotOptimize(flock(fd, LOCK_EX | LOCK_NB));
    benchmark::DoNotOptimize(write(fd, entry, n));
    close(fd);
  }
  state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(Ours_ListTree)->Unit(benchmark::kMillisecond);
BENCHMARK(Baseline_ListTree)->Unit(benchmark::kMillisecond);
BENCHMARK(Ours_RemoveTree)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(Baseline_RemoveTree)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Ours_RemoveSources)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_OldWalk_RemoveSources)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(Ours_AppendEntry)->Unit(benchmark::kMicrosecond);
BENCHMARK(Baseline_AppendEntry)->Unit(benchmark::kMicrosecond);
BENCHMARK(Floor_AppendEntry)->Unit(benchmark::kMicrosecond);
