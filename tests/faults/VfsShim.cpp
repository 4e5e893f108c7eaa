// The VFS shim of VfsShim.h: every call is passed to the real default VFS, with the armed
// fault decided first and, during a power-cut scope, each file's synced content kept.
#include "faults/VfsShim.h"

#include "faults/ArmedCalls.h"
#include "support/Files.h"

#include <sqlite3.h>

#include <filesystem>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace faults {

namespace {

// A change made to a file after its last sync: it may or may not survive a power cut.
struct Unsynced {
  enum Kind { kWrite, kTruncate, kDelete } kind = kWrite;
  std::int64_t offset = 0;  // of a write; the new size of a truncation
  std::string data;
};

// A file inside the watched directory, while a power-cut scope lasts.
struct Tracked {
  bool exists = false;  // whether the file survives at all
  std::string synced;   // its content as of the last sync (or when first seen)
  std::vector<Unsynced> since;
};

struct Shim {
  std::mutex mutex;
  sqlite3_vfs* real = nullptr;
  sqlite3_vfs vfs{};
  bool armed = false;
  ArmedCalls counter;
  VfsFault fault = VfsFault::kIoError;
  bool tracking = false;              // keeping synced content (a power-cut scope)
  bool dead = false;                  // the power is off
  std::set<const std::string*> open;  // the names of the files open now
  std::map<std::string, Tracked> files;
};

Shim& TheShim() {
  static Shim* shim = new Shim;  // connections closed at exit still call in
  return *shim;
}

// Our file object; the real VFS's file object follows it in the same allocation (SQLite
// aligns file objects to 8 bytes, which is all these members need).
struct File {
  sqlite3_file base;
  sqlite3_file* real;
  std::string* path;  // null for a file without a name
};

bool Inside(const Shim& shim, const std::string* path) { return path != nullptr && shim.counter.Inside(*path); }
bool Inside(const Shim& shim, const char* path) { return path != nullptr && shim.counter.Inside(path); }

std::string Contents(const std::string& path, bool& exists) {
  exists = std::filesystem::exists(path);
  return utility::testsupport::ReadBytes(path);
}

// Starts tracking a file as it is on disk now, unless it is tracked already.
void Track(Shim& shim, const std::string& path) {
  if (!shim.tracking || shim.files.count(path) != 0) return;
  Tracked t;
  t.synced = Contents(path, t.exists);
  shim.files.emplace(path, std::move(t));
}

int ErrorFor(VfsCall call) {
  return call == kVfsWrite ? SQLITE_IOERR_WRITE : call == kVfsSync ? SQLITE_IOERR_FSYNC : SQLITE_IOERR_TRUNCATE;
}

constexpr int kProceed = SQLITE_OK;
constexpr int kShorten = -1;

// What a call on a file is to do: proceed, shorten (a write), or fail with a result code.
int Decide(File* f, VfsCall call) {
  Shim& shim = TheShim();
  std::lock_guard<std::mutex> lock(shim.mutex);
  if (!Inside(shim, f->path)) return kProceed;
  if (shim.dead) return ErrorFor(call);
  if (!shim.armed || !shim.counter.Hit(call)) return kProceed;
  if (shim.fault == VfsFault::kFull) return SQLITE_FULL;
  if (shim.fault == VfsFault::kShortWrite && call == kVfsWrite) return kShorten;
  shim.dead = shim.fault == VfsFault::kPowerCut;
  return ErrorFor(call);
}

bool Dead(File* f) {
  Shim& shim = TheShim();
  std::lock_guard<std::mutex> lock(shim.mutex);
  return shim.dead && Inside(shim, f->path);
}

void Record(File* f, Unsynced change) {
  Shim& shim = TheShim();
  std::lock_guard<std::mutex> lock(shim.mutex);
  if (!shim.tracking || !Inside(shim, f->path)) return;
  Track(shim, *f->path);
  shim.files[*f->path].since.push_back(std::move(change));
}

// The file methods.

int Close(sqlite3_file* file) {
  File* f = reinterpret_cast<File*>(file);
  const int rc = f->real->pMethods != nullptr ? f->real->pMethods->xClose(f->real) : SQLITE_OK;
  if (f->path != nullptr) {
    Shim& shim = TheShim();
    std::lock_guard<std::mutex> lock(shim.mutex);
    shim.open.erase(f->path);
  }
  delete f->path;
  f->path = nullptr;
  return rc;
}

int Read(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset) {
  File* f = reinterpret_cast<File*>(file);
  if (Dead(f)) return SQLITE_IOERR_READ;
  return f->real->pMethods->xRead(f->real, buffer, amount, offset);
}

int Write(sqlite3_file* file, const void* buffer, int amount, sqlite3_int64 offset) {
  File* f = reinterpret_cast<File*>(file);
  const int verdict = Decide(f, kVfsWrite);
  if (verdict != kProceed && verdict != kShorten) return verdict;
  const int stored = verdict == kShorten ? amount / 2 : amount;
  const int rc = stored > 0 ? f->real->pMethods->xWrite(f->real, buffer, stored, offset) : SQLITE_OK;
  if (rc == SQLITE_OK && stored > 0) {
    Record(f, Unsynced{Unsynced::kWrite, offset,
                       std::string(static_cast<const char*>(buffer), static_cast<std::size_t>(stored))});
  }
  return verdict == kShorten && rc == SQLITE_OK ? SQLITE_FULL : rc;
}

int Truncate(sqlite3_file* file, sqlite3_int64 size) {
  File* f = reinterpret_cast<File*>(file);
  const int verdict = Decide(f, kVfsTruncate);
  if (verdict != kProceed) return verdict;
  const int rc = f->real->pMethods->xTruncate(f->real, size);
  if (rc == SQLITE_OK) Record(f, Unsynced{Unsynced::kTruncate, size, {}});
  return rc;
}

int Sync(sqlite3_file* file, int flags) {
  File* f = reinterpret_cast<File*>(file);
  const int verdict = Decide(f, kVfsSync);
  if (verdict != kProceed) return verdict;
  {
    Shim& shim = TheShim();
    std::lock_guard<std::mutex> lock(shim.mutex);
    if (shim.tracking && Inside(shim, f->path)) {
      Tracked& t = shim.files[*f->path];
      t.synced = Contents(*f->path, t.exists);
      t.since.clear();
    }
  }
  // What survives a power cut is the shim's to decide, so the disk's own sync would add
  // nothing but time (many milliseconds each).
  static_cast<void>(flags);
  return SQLITE_OK;
}

// The real file behind ours.
sqlite3_file* RealOf(sqlite3_file* file) { return reinterpret_cast<File*>(file)->real; }

int ShmMap(sqlite3_file* file, int region, int size, int extend, void volatile** out) {
  if (Dead(reinterpret_cast<File*>(file))) return SQLITE_IOERR_SHMMAP;
  return RealOf(file)->pMethods->xShmMap(RealOf(file), region, size, extend, out);
}

// Version 2: no memory-mapped reads (xFetch), which the store leaves off.
const sqlite3_io_methods kMethods = {
    2,
    Close,
    Read,
    Write,
    Truncate,
    Sync,
    [](sqlite3_file* f, sqlite3_int64* size) { return RealOf(f)->pMethods->xFileSize(RealOf(f), size); },
    [](sqlite3_file* f, int level) { return RealOf(f)->pMethods->xLock(RealOf(f), level); },
    [](sqlite3_file* f, int level) { return RealOf(f)->pMethods->xUnlock(RealOf(f), level); },
    [](sqlite3_file* f, int* out) { return RealOf(f)->pMethods->xCheckReservedLock(RealOf(f), out); },
    [](sqlite3_file* f, int op, void* arg) { return RealOf(f)->pMethods->xFileControl(RealOf(f), op, arg); },
    [](sqlite3_file* f) { return RealOf(f)->pMethods->xSectorSize(RealOf(f)); },
    [](sqlite3_file* f) { return RealOf(f)->pMethods->xDeviceCharacteristics(RealOf(f)); },
    ShmMap,
    [](sqlite3_file* f, int offset, int n, int flags) {
      return RealOf(f)->pMethods->xShmLock(RealOf(f), offset, n, flags);
    },
    [](sqlite3_file* f) { RealOf(f)->pMethods->xShmBarrier(RealOf(f)); },
    [](sqlite3_file* f, int deleteFlag) { return RealOf(f)->pMethods->xShmUnmap(RealOf(f), deleteFlag); },
    nullptr,
    nullptr,
};

// The VFS methods.

sqlite3_vfs* Real() { return TheShim().real; }

int Open(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags) {
  File* f = reinterpret_cast<File*>(file);
  f->base.pMethods = nullptr;
  f->real = reinterpret_cast<sqlite3_file*>(f + 1);
  f->path = nullptr;
  Shim& shim = TheShim();
  if (name != nullptr) {
    std::lock_guard<std::mutex> lock(shim.mutex);
    if (shim.dead && Inside(shim, name)) return SQLITE_CANTOPEN;
    f->path = new std::string(name);
    if (Inside(shim, f->path)) Track(shim, *f->path);
  }
  const int rc = Real()->xOpen(Real(), name, f->real, flags, outFlags);
  if (f->real->pMethods == nullptr) {
    delete f->path;
    f->path = nullptr;
    return rc;
  }
  f->base.pMethods = &kMethods;
  if (f->path != nullptr) {
    std::lock_guard<std::mutex> lock(shim.mutex);
    shim.open.insert(f->path);
  }
  return rc;
}

int Delete(sqlite3_vfs*, const char* name, int syncDirectory) {
  Shim& shim = TheShim();
  {
    std::lock_guard<std::mutex> lock(shim.mutex);
    if (Inside(shim, name)) {
      if (shim.dead) return SQLITE_IOERR_DELETE;
      if (shim.tracking) {
        Track(shim, name);
        Tracked& t = shim.files[name];
        if (syncDirectory != 0) {
          t = Tracked{};
        } else {
          t.since.push_back(Unsynced{Unsynced::kDelete, 0, {}});
        }
      }
    }
  }
  return Real()->xDelete(Real(), name, syncDirectory);
}

// Registered before main, as the default: the library opens its hives only later. The other
// methods are the default VFS's own, which do not depend on the VFS object they are called with.
[[maybe_unused]] const bool g_installed = [] {
  Shim& shim = TheShim();
  shim.real = sqlite3_vfs_find(nullptr);
  if (shim.real == nullptr) return false;
  shim.vfs = *shim.real;
  shim.vfs.pNext = nullptr;
  shim.vfs.szOsFile = static_cast<int>(sizeof(File)) + shim.real->szOsFile;
  shim.vfs.zName = "faults";
  shim.vfs.xOpen = Open;
  shim.vfs.xDelete = Delete;
  return sqlite3_vfs_register(&shim.vfs, 1) == SQLITE_OK;
}();

// Power back, nothing armed, nothing kept.
void PowerOn(Shim& shim) {
  shim.armed = false;
  shim.dead = false;
  shim.tracking = false;
  shim.files.clear();
}

// Applies a write to content, growing it with zero bytes where needed.
void Apply(std::string& content, std::int64_t offset, const std::string& data) {
  const auto at = static_cast<std::size_t>(offset);
  if (content.size() < at + data.size()) content.resize(at + data.size(), '\0');
  content.replace(at, data.size(), data);
}

}  // namespace

const char* Name(VfsFault fault) {
  constexpr const char* kNames[] = {"SQLITE_FULL", "SQLITE_IOERR", "short write", "power cut"};
  return kNames[static_cast<int>(fault)];
}

unsigned VfsCallsFor(VfsFault fault, unsigned calls) {
  return fault == VfsFault::kShortWrite ? calls & kVfsWrite : calls;
}

VfsFaultScope::VfsFaultScope(const std::filesystem::path& directory, unsigned calls, int nth, VfsFault fault) {
  Shim& shim = TheShim();
  std::lock_guard<std::mutex> lock(shim.mutex);
  shim.counter.Arm(directory, calls, nth);
  shim.fault = fault;
  shim.armed = true;
  shim.dead = false;
  shim.tracking = fault == VfsFault::kPowerCut;
  shim.files.clear();
}

VfsFaultScope::~VfsFaultScope() {
  Shim& shim = TheShim();
  std::lock_guard<std::mutex> lock(shim.mutex);
  PowerOn(shim);
  shim.counter.Disarm();
}

bool VfsFaultScope::Fired() const {
  Shim& shim = TheShim();
  std::lock_guard<std::mutex> lock(shim.mutex);
  return shim.counter.fired;
}

bool VfsFaultScope::Restore(AfterCut mode, std::uint32_t seed) {
  Shim& shim = TheShim();
  std::lock_guard<std::mutex> lock(shim.mutex);
  for (const std::string* name : shim.open) {
    if (Inside(shim, name)) return false;
  }
  std::mt19937 rng(seed);
  auto pick = [&rng](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
  for (auto& [path, t] : shim.files) {
    bool exists = t.exists;
    std::string content = t.synced;
    for (const Unsynced& change : mode == AfterCut::kRandomMix ? t.since : std::vector<Unsynced>{}) {
      const int fate = pick(3);  // 0 lost, 1 kept, 2 torn
      if (fate == 0) continue;
      switch (change.kind) {
        case Unsynced::kWrite: {
          exists = true;
          if (fate == 1) {
            Apply(content, change.offset, change.data);
            break;
          }
          constexpr std::size_t kSector = 512;
          for (std::size_t at = 0; at < change.data.size(); at += kSector) {
            std::string piece = change.data.substr(at, kSector);
            const int sector = pick(3);  // 0 old, 1 new, 2 garbage
            if (sector == 0) continue;
            if (sector == 2) {
              for (char& c : piece) c = static_cast<char>(pick(256));
            }
            Apply(content, change.offset + static_cast<std::int64_t>(at), piece);
          }
          break;
        }
        case Unsynced::kTruncate:
          if (exists) content.resize(static_cast<std::size_t>(change.offset), '\0');
          break;
        case Unsynced::kDelete:
          exists = false;
          content.clear();
          break;
      }
    }
    if (!exists) {
      std::filesystem::remove(path);
      continue;
    }
    utility::testsupport::WriteBytes(path, content);
  }
  // The shared memory index is memory, not disk: nothing of it survives.
  std::vector<std::filesystem::path> memory;
  for (const auto& entry : std::filesystem::directory_iterator(shim.counter.directory)) {
    if (entry.path().string().ends_with("-shm")) memory.push_back(entry.path());
  }
  for (const auto& file : memory) std::filesystem::remove(file);
  PowerOn(shim);
  return true;
}

}  // namespace faults
