// Registry store: one SQLite database per root hive, keys as a tree of rows.
// Every write is one transaction in write-ahead-log mode with full syncs, so a call that
// returns has its change on disk, and a crash leaves either the old or the new value.
#include "RegistryStore.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <bit>
#include <cerrno>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <utility>

#include <Utility/Platform/Error.h>

#include "BusyWait.h"
#include "posix/RegistryFiles.h"

namespace registry {

static_assert(std::endian::native == std::endian::little, "names are stored as UTF-16LE");

LONG CreateHiveFile(const std::string& path);

namespace {

// 'UREG': marks a database as a hive, so that another program's database is never taken
// for one (or changed).
constexpr int kApplicationId = 0x55524547;
constexpr int kSchemaVersion = 1;
// How long a call waits for another process's write to finish before giving up.
constexpr int kBusyTimeoutMs = 15000;

constexpr const char* kSchema = R"sql(
CREATE TABLE keys(
  id INTEGER PRIMARY KEY,
  parent INTEGER REFERENCES keys(id),
  path BLOB NOT NULL UNIQUE,
  name BLOB NOT NULL,
  readonly INTEGER NOT NULL DEFAULT 0,
  written INTEGER NOT NULL
);
CREATE INDEX keys_by_parent ON keys(parent, path);
CREATE TABLE vals(
  id INTEGER PRIMARY KEY,
  key INTEGER NOT NULL REFERENCES keys(id) ON DELETE CASCADE,
  fold BLOB NOT NULL,
  name BLOB NOT NULL,
  type INTEGER NOT NULL,
  data BLOB NOT NULL,
  UNIQUE(key, fold)
);
)sql";

enum Statement : std::size_t {
  kBegin,
  kBeginImmediate,
  kCommit,
  kRollback,
  kFindKey,
  kKeyWritten,
  kReadOnlyPaths,
  kInsertKey,
  kTouchKey,
  kQueryValue,
  kUpsertValue,
  kDeleteValue,
  kEnumValue,
  kEnumKey,
  kSubKeyStats,
  kValueStats,
  kSetReadOnly,
  kGetReadOnly,
  kHasChildren,
  kDeleteKey,
  kParentOf,
  kStatementCount
};

constexpr std::array<const char*, kStatementCount> kSql = {
    "BEGIN",
    "BEGIN IMMEDIATE",
    "COMMIT",
    "ROLLBACK",
    "SELECT id, readonly FROM keys WHERE path = ?1",
    "SELECT written FROM keys WHERE id = ?1",
    "SELECT path FROM keys WHERE readonly <> 0",
    "INSERT INTO keys(parent, path, name, readonly, written) VALUES(?1, ?2, ?3, 0, ?4)",
    "UPDATE keys SET written = ?2 WHERE id = ?1",
    "SELECT type, data FROM vals WHERE key = ?1 AND fold = ?2",
    "INSERT INTO vals(key, fold, name, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
    "ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data",
    "DELETE FROM vals WHERE key = ?1 AND fold = ?2",
    "SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY id LIMIT 1 OFFSET ?2",
    "SELECT name, written FROM keys WHERE parent = ?1 ORDER BY path LIMIT 1 OFFSET ?2",
    "SELECT count(*), coalesce(max(length(name)), 0) FROM keys WHERE parent = ?1",
    "SELECT count(*), coalesce(max(length(name)), 0), coalesce(max(length(data)), 0) "
    "FROM vals WHERE key = ?1",
    "UPDATE keys SET readonly = ?2 WHERE id = ?1",
    "SELECT readonly FROM keys WHERE id = ?1",
    "SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1",
    "DELETE FROM keys WHERE id = ?1",
    "SELECT parent FROM keys WHERE id = ?1",
};

// The one place where SQLite results become Win32 error codes.
LONG FromSqlite(int rc, sqlite3* db = nullptr) noexcept {
  switch (rc & 0xFF) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
      return ERROR_SUCCESS;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_PROTOCOL:
      return ERROR_BUSY;
    case SQLITE_NOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
      return ERROR_ACCESS_DENIED;
    case SQLITE_CANTOPEN:
      if (db != nullptr) {
        const int e = sqlite3_system_errno(db);
        if (e == EACCES || e == EPERM || e == EROFS) return ERROR_ACCESS_DENIED;
      }
      return ERROR_CANTOPEN;
    case SQLITE_CORRUPT:
      return ERROR_REGISTRY_CORRUPT;
    case SQLITE_NOTADB:
      return ERROR_BADDB;
    case SQLITE_FULL:
      return ERROR_DISK_FULL;
    case SQLITE_TOOBIG:
      return ERROR_INVALID_PARAMETER;
    case SQLITE_CONSTRAINT:
      // The only constraint a call can break is a vanished key's foreign key.
      return ERROR_KEY_DELETED;
    default:
      return ERROR_REGISTRY_IO_FAILED;
  }
}

// Folded paths are stored big-endian, so that the database's byte order of the blobs is the
// order of the UTF-16 units (sub-keys enumerate in that order).
std::string BigEndian(const Units& units) {
  std::string out(units.size() * 2, '\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    out[2 * i] = static_cast<char>(units[i] >> 8);
    out[2 * i + 1] = static_cast<char>(units[i] & 0xFF);
  }
  return out;
}

Units FromBigEndian(const void* blob, int bytes) {
  const auto* p = static_cast<const unsigned char*>(blob);
  Units out(static_cast<std::size_t>(bytes) / 2, 0);
  for (std::size_t i = 0; i < out.size(); ++i) {
    out[i] = static_cast<WCHAR>((p[2 * i] << 8) | p[2 * i + 1]);
  }
  return out;
}

Units FromLittleEndian(const void* blob, int bytes) {
  Units out(static_cast<std::size_t>(bytes) / 2, 0);
  if (!out.empty()) std::memcpy(out.data(), blob, out.size() * 2);
  return out;
}

// A prepared statement in use: reset and cleared when the scope ends, so that it holds no
// read snapshot open and can be used again.
class Use {
 public:
  explicit Use(sqlite3_stmt* s) noexcept : m_s(s) {}
  ~Use() {
    sqlite3_reset(m_s);
    sqlite3_clear_bindings(m_s);
  }
  Use(const Use&) = delete;
  Use& operator=(const Use&) = delete;

  void Int(int i, std::int64_t v) noexcept { sqlite3_bind_int64(m_s, i, v); }
  void Blob(int i, const void* p, std::size_t n) noexcept {
    // A zero-length blob must still be a blob (not NULL) to satisfy NOT NULL.
    static const char kEmpty = 0;
    sqlite3_bind_blob64(m_s, i, n == 0 ? &kEmpty : p, n, SQLITE_STATIC);
  }
  void Name(int i, const Units& u) noexcept { Blob(i, u.data(), u.size() * 2); }
  int Step() noexcept { return sqlite3_step(m_s); }
  std::int64_t ColInt(int c) noexcept { return sqlite3_column_int64(m_s, c); }
  const void* ColBlob(int c) noexcept { return sqlite3_column_blob(m_s, c); }
  int ColBytes(int c) noexcept { return sqlite3_column_bytes(m_s, c); }

 private:
  sqlite3_stmt* m_s;
};

// The process id, read from a page that the kernel wipes in a child after fork(), so that
// telling a connection inherited from a parent costs no system call.
pid_t ProcessId() noexcept {
  static std::atomic<pid_t>* const page = []() -> std::atomic<pid_t>* {
    void* p = ::mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return nullptr;
    if (::madvise(p, 4096, MADV_WIPEONFORK) != 0) {
      ::munmap(p, 4096);
      return nullptr;
    }
    return new (p) std::atomic<pid_t>(0);
  }();
  if (page == nullptr) return ::getpid();
  pid_t pid = page->load(std::memory_order_relaxed);
  if (pid == 0) {
    pid = ::getpid();
    page->store(pid, std::memory_order_relaxed);
  }
  return pid;
}

// The generation of a hive's key structure, shared by every process through a small mapped
// file beside the hive. Deleting a key or changing a read-only mark adds 1 before its commit
// and 1 after it, so an odd value means a change is under way. A process may reuse what it
// looked up about key paths only while the value is even and unchanged.
class SharedGeneration {
 public:
  // Maps the file beside the hive, creating it with the hive's permissions so that whoever
  // may read the hive may follow its changes.
  void Map(const std::string& hivePath, mode_t hiveMode) noexcept {
    Unmap();
    const std::string path = hivePath + "-keys";
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, hiveMode & 0666);
    int prot = PROT_READ | PROT_WRITE;
    if (fd < 0) {
      fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
      prot = PROT_READ;
    }
    if (fd < 0) return;  // without it, every lookup goes to the database
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size < 8 && (prot & PROT_WRITE) != 0) {
      if (::ftruncate(fd, 8) != 0) st.st_size = 0;
      else st.st_size = 8;
    }
    if (st.st_size >= 8) {
      void* p = ::mmap(nullptr, 8, prot, MAP_SHARED, fd, 0);
      if (p != MAP_FAILED) {
        m_value = static_cast<std::atomic<std::uint64_t>*>(p);
        m_writable = (prot & PROT_WRITE) != 0;
      }
    }
    ::close(fd);
  }
  void Unmap() noexcept {
    if (m_value != nullptr) ::munmap(static_cast<void*>(m_value), 8);
    m_value = nullptr;
  }
  // The current generation; odd (never cacheable) when there is none.
  std::uint64_t Load() const noexcept { return m_value != nullptr ? m_value->load(std::memory_order_acquire) : 1; }
  void Bump() noexcept {
    if (m_value != nullptr && m_writable) m_value->fetch_add(1, std::memory_order_acq_rel);
  }

 private:
  std::atomic<std::uint64_t>* m_value = nullptr;
  bool m_writable = false;
};

static_assert(std::atomic<std::uint64_t>::is_always_lock_free, "the generation is shared between processes");

// A hive file as it is on disk: which file, and its size and last change. A damage mark names
// the file it was made for this way, so that a hive restored from a copy, replaced or rebuilt
// under the same name is no longer taken for the damaged one.
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  std::int64_t changed = 0;  // nanoseconds of the last modification
  bool operator==(const FileIdentity&) const = default;
};

bool IdentityOf(const std::string& path, FileIdentity& id) noexcept {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  id.device = st.st_dev;
  id.inode = st.st_ino;
  id.size = st.st_size;
  id.changed = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
  return true;
}

std::string DamageMarkPath(const std::string& hivePath) { return hivePath + "-damaged"; }

std::string DescribeIdentity(const FileIdentity& id) {
  return std::to_string(id.device) + " " + std::to_string(id.inode) + " " + std::to_string(id.size) + " " +
         std::to_string(id.changed) + "\n";
}

// Leaves the mark beside the hive: one line naming the damaged file. It is written under a
// temporary name and renamed into place, so that no reader sees half a mark. Where the mark
// cannot be written (a read-only directory), only this process knows of the damage.
void WriteDamageMark(const std::string& hivePath, const FileIdentity& id, mode_t hiveMode) noexcept {
  try {
    const std::string mark = DamageMarkPath(hivePath);
    const std::string temp = mark + ".tmp" + std::to_string(::getpid());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, (hiveMode & 0666) | 0600);
    if (fd < 0) return;
    const std::string text = DescribeIdentity(id);
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) && ::fsync(fd) == 0;
    ::close(fd);
    if (!written || ::rename(temp.c_str(), mark.c_str()) != 0) ::unlink(temp.c_str());
  } catch (...) {
    // Out of memory: the damage stays known to this process only.
  }
}

// Whether a mark beside the hive names the file as it is now.
bool MarkedDamaged(const std::string& hivePath, const FileIdentity& id) noexcept {
  try {
    const int fd = ::open(DamageMarkPath(hivePath).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char buffer[128];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    return n > 0 && std::string(buffer, static_cast<std::size_t>(n)) == DescribeIdentity(id);
  } catch (...) {
    return false;
  }
}

// What a process knows about a key path: its row and whether it is read-only.
struct KnownKey {
  std::int64_t id = 0;
  bool readOnly = false;
};

}  // namespace

struct Hive::State {
  std::mutex mutex;
  sqlite3* db = nullptr;
  platform::BusyWait busy{std::chrono::milliseconds(kBusyTimeoutMs)};
  pid_t owner = 0;
  dev_t device = 0;  // the file the connection has open, to notice a file replaced or removed
  ino_t inode = 0;
  mode_t mode = 0;
  std::array<sqlite3_stmt*, kStatementCount> statements{};
  SharedGeneration generation;
  std::uint64_t knownGeneration = 1;
  std::map<Units, KnownKey> known;
  // Damage this process met in the file, and which file that was; kept across reconnections,
  // since it belongs to the file, not to the connection.
  bool damaged = false;
  FileIdentity damagedFile;

  void Close() noexcept {
    known.clear();
    knownGeneration = 1;
    generation.Unmap();
    if (db == nullptr) return;
    if (owner == ProcessId()) {
      for (sqlite3_stmt*& s : statements) {
        sqlite3_finalize(s);
      }
      sqlite3_close_v2(db);
    }
    // A connection inherited across fork() belongs to the parent: it is left alone (not
    // closed, which could disturb the parent's locks and log), and a fresh one is opened.
    statements.fill(nullptr);
    db = nullptr;
  }
};

// A call on the hive: holds the hive's lock and a connection for this process.
class Hive::Session {
 public:
  explicit Session(Hive& hive) : m_hive(hive), m_state(*hive.m_state), m_lock(m_state.mutex) {}

  // Connects. For a read of a hive whose file does not exist yet, sets empty instead; a write
  // creates the file first. verifyFile (on opening a key) also checks that the connection's
  // file is still the one at the hive's path; calls on an open key use the file it was
  // opened in.
  LONG Connect(bool forWrite, bool verifyFile = false) {
    const bool connected = m_state.db != nullptr && m_state.owner == ProcessId();
    if (connected && !verifyFile) return ERROR_SUCCESS;
    struct stat st {};
    const bool exists = ::stat(m_hive.m_path.c_str(), &st) == 0;
    m_state.mode = exists ? st.st_mode : 0;
    if (connected && exists && st.st_dev == m_state.device && st.st_ino == m_state.inode) return ERROR_SUCCESS;
    // No connection yet, one inherited from a parent process, or the file was replaced or
    // removed (a hive restored from a copy, or deleted to start afresh): connect anew.
    m_state.Close();
    if (!exists) {
      if (!forWrite) {
        empty = true;
        return ERROR_SUCCESS;
      }
      const LONG created = CreateHiveFile(m_hive.m_path);
      if (created != ERROR_SUCCESS) return created;
    }
    return OpenConnection();
  }

  sqlite3_stmt* operator[](Statement s) {
    sqlite3_stmt*& slot = m_state.statements[s];
    if (slot == nullptr) {
      m_prepareResult = sqlite3_prepare_v3(m_state.db, kSql[s], -1, SQLITE_PREPARE_PERSISTENT, &slot, nullptr);
    }
    return slot;
  }

  // Runs a statement that returns no rows.
  LONG Exec(Statement s) {
    sqlite3_stmt* st = (*this)[s];
    if (st == nullptr) return FromSqlite(m_prepareResult);
    Use u(st);
    return FromSqlite(u.Step());
  }

  LONG Prepared(Statement s, sqlite3_stmt*& out) {
    out = (*this)[s];
    return out == nullptr ? FromSqlite(m_prepareResult) : ERROR_SUCCESS;
  }

  sqlite3* Db() const noexcept { return m_state.db; }
  State& Shared() noexcept { return m_state; }

  // Every write asks first: a hive file known to be damaged takes no more writes, so that
  // nothing is built on pages that may be wrong. The damage is known from this process's own
  // calls or from the mark another process left beside the file. ERROR_BADDB, not the
  // ERROR_REGISTRY_CORRUPT of the call that met the damage: the write was not tried.
  LONG RefuseDamaged() {
    FileIdentity now;
    if (!IdentityOf(m_hive.m_path, now)) return ERROR_SUCCESS;  // no file, nothing damaged
    if (m_state.damaged && m_state.damagedFile == now) return ERROR_BADDB;
    if (!MarkedDamaged(m_hive.m_path, now)) return ERROR_SUCCESS;
    m_state.damaged = true;
    m_state.damagedFile = now;
    return ERROR_BADDB;
  }

  bool empty = false;

 private:
  LONG OpenConnection() {
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(m_hive.m_path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                             nullptr);
    if (rc != SQLITE_OK) {
      const LONG e = FromSqlite(rc, db);
      sqlite3_close_v2(db);
      return e;
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_handler(db, &platform::BusyWait::Handler, &m_state.busy);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    const LONG checked = Verify(db);
    if (checked != ERROR_SUCCESS) {
      sqlite3_close_v2(db);
      return checked;
    }
    struct stat st {};
    if (::stat(m_hive.m_path.c_str(), &st) != 0) {
      sqlite3_close_v2(db);
      return ERROR_FILE_NOT_FOUND;
    }
    m_state.db = db;
    m_state.owner = ProcessId();
    m_state.device = st.st_dev;
    m_state.inode = st.st_ino;
    m_state.mode = st.st_mode;
    m_state.generation.Map(m_hive.m_path, st.st_mode);
    return ERROR_SUCCESS;
  }

  // A hive is a database with our application id and schema version; anything else (another
  // program's database, an emptied file) is reported, never reinitialised.
  static LONG Verify(sqlite3* db) {
    auto pragmaInt = [db](const char* sql, std::int64_t& value) -> int {
      sqlite3_stmt* s = nullptr;
      int rc = sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
      if (rc == SQLITE_OK) {
        rc = sqlite3_step(s);
        if (rc == SQLITE_ROW) {
          value = sqlite3_column_int64(s, 0);
          rc = SQLITE_OK;
        }
      }
      sqlite3_finalize(s);
      return rc;
    };
    std::int64_t appId = 0;
    std::int64_t version = 0;
    int rc = pragmaInt("PRAGMA application_id", appId);
    if (rc == SQLITE_OK) rc = pragmaInt("PRAGMA user_version", version);
    if (rc != SQLITE_OK) return FromSqlite(rc, db);
    if (appId != kApplicationId || version != kSchemaVersion) return ERROR_BADDB;
    rc = sqlite3_exec(db, "PRAGMA foreign_keys = ON; PRAGMA synchronous = FULL;", nullptr, nullptr, nullptr);
    return FromSqlite(rc, db);
  }

  Hive& m_hive;
  State& m_state;
  std::lock_guard<std::mutex> m_lock;
  int m_prepareResult = SQLITE_OK;
};

// Writes a new hive beside its final place and links it in, so that the final name never
// names a half-made file: a hive file that exists is always a complete database.
LONG CreateHiveFile(const std::string& path) {
  const LONG dir = EnsureParentDirectory(path);
  if (dir != ERROR_SUCCESS) return dir;
  const std::string temp = TemporarySibling(path);
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(temp.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                           nullptr);
  if (rc == SQLITE_OK) {
    const std::string script =
        "PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL; PRAGMA application_id = " +
        std::to_string(kApplicationId) + "; PRAGMA user_version = " + std::to_string(kSchemaVersion) +
        "; BEGIN; " + kSchema + "INSERT INTO keys(id, parent, path, name, written) VALUES(" +
        std::to_string(kRootKeyId) + ", NULL, x'', x'', " + std::to_string(FileTimeNow()) + "); COMMIT;";
    rc = sqlite3_exec(db, script.c_str(), nullptr, nullptr, nullptr);
  }
  if (rc == SQLITE_OK) {
    // Everything is still in the log, which is not published with the file: it must be folded
    // into the file (and the file synced) before the file can stand alone. Closing would fold
    // it in too, but a close reports no failure, and a file whose fold failed holds no hive.
    int logFrames = 0;
    int folded = 0;
    rc = sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_TRUNCATE, &logFrames, &folded);
    if (rc == SQLITE_OK && folded != logFrames) rc = SQLITE_IOERR;
  }
  const LONG result = FromSqlite(rc, db);
  sqlite3_close_v2(db);
  if (result != ERROR_SUCCESS) {
    RemoveTemporary(temp);
    return result;
  }
  return PublishHiveFile(temp, path);
}

Hive::Hive(std::string nativePath) : m_path(std::move(nativePath)), m_state(std::make_unique<State>()) {}

Hive::~Hive() { m_state->Close(); }

template <class Call>
LONG Hive::Watch(Call call) {
  const LONG rc = call();
  // ERROR_BADDB from a connection that passed its checks is a page that reads as no database.
  if (rc == ERROR_REGISTRY_CORRUPT || rc == ERROR_BADDB) NoteDamage(rc == ERROR_BADDB);
  return rc;
}

void Hive::NoteDamage(bool onlyIfConnected) noexcept {
  std::lock_guard<std::mutex> lock(m_state->mutex);
  if (onlyIfConnected && m_state->db == nullptr) return;  // the file failed its checks: no hive
  FileIdentity id;
  if (!IdentityOf(m_path, id)) return;
  if (m_state->damaged && m_state->damagedFile == id) return;
  m_state->damaged = true;
  m_state->damagedFile = id;
  WriteDamageMark(m_path, id, m_state->mode);
}

LONG Hive::Open(const std::string& nativePath, bool createNow, std::shared_ptr<Hive>& out) {
  // A directory can be opened for reading, so SQLite alone would report it as some other
  // failure later; it gets a code of its own here.
  struct stat st {};
  if (stat(nativePath.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return ERROR_DIRECTORY;
  std::shared_ptr<Hive> hive(new Hive(nativePath));
  Session s(*hive);
  const LONG rc = s.Connect(createNow);
  if (rc != ERROR_SUCCESS) return rc;
  out = std::move(hive);
  return ERROR_SUCCESS;
}

void Hive::Release() noexcept {
  std::lock_guard<std::mutex> lock(m_state->mutex);
  m_state->Close();
}

LONG Hive::EnsureFile() {
  return Watch([&]() -> LONG {
    Session s(*this);
    return s.Connect(true, true);
  });
}

namespace {

// Whether path equals marked or lies below it.
bool Covers(const Units& marked, const Units& path) {
  if (marked.empty()) return true;
  if (path.size() < marked.size() || path.compare(0, marked.size(), marked) != 0) return false;
  return path.size() == marked.size() || path[marked.size()] == u'\\';
}

bool FileWriteProtected(mode_t mode) { return mode != 0 && (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0; }

// How many key paths a process remembers per hive before it starts afresh.
constexpr std::size_t kKnownKeysLimit = 4096;

}  // namespace

// The read-only rule, with the session already connected.
static LONG ReadOnlyIn(Hive::Session&, sqlite3_stmt* marks, const Units& foldedPath, bool& readOnly);

// Looks up a key path, from what this process already knows when the hive's key structure has
// not changed since, else from the database. On an empty hive only the root exists.
static LONG Lookup(Hive::Session& s, const Units& foldedPath, KnownKey& key) {
  if (s.empty) {
    if (!foldedPath.empty()) return ERROR_FILE_NOT_FOUND;
    key = KnownKey{kRootKeyId, false};
    return ERROR_SUCCESS;
  }
  auto& state = s.Shared();
  // Read before the database, so that a change that starts meanwhile makes this entry stale.
  const std::uint64_t generation = state.generation.Load();
  const bool cacheable = generation % 2 == 0;
  if (cacheable) {
    if (generation != state.knownGeneration || state.known.size() > kKnownKeysLimit) {
      state.known.clear();
      state.knownGeneration = generation;
    }
    const auto it = state.known.find(foldedPath);
    if (it != state.known.end()) {
      key = it->second;
      return ERROR_SUCCESS;
    }
  }
  sqlite3_stmt* find = nullptr;
  sqlite3_stmt* marks = nullptr;
  LONG rc = s.Prepared(kFindKey, find);
  if (rc == ERROR_SUCCESS) rc = s.Prepared(kReadOnlyPaths, marks);
  if (rc != ERROR_SUCCESS) return rc;
  {
    Use u(find);
    const std::string path = BigEndian(foldedPath);
    u.Blob(1, path.data(), path.size());
    const int step = u.Step();
    if (step == SQLITE_DONE) return ERROR_FILE_NOT_FOUND;
    if (step != SQLITE_ROW) return FromSqlite(step, s.Db());
    key.id = u.ColInt(0);
  }
  key.readOnly = false;
  if ((rc = ReadOnlyIn(s, marks, foldedPath, key.readOnly)) != ERROR_SUCCESS) return rc;
  if (cacheable) state.known[foldedPath] = key;
  return ERROR_SUCCESS;
}

LONG Hive::FindKey(const Units& foldedPath, std::int64_t& id) {
  return Watch([&]() -> LONG {
    Session s(*this);
    LONG rc = s.Connect(false, true);
    if (rc != ERROR_SUCCESS) return rc;
    KnownKey key;
    if ((rc = Lookup(s, foldedPath, key)) != ERROR_SUCCESS) return rc;
    id = key.id;
    return ERROR_SUCCESS;
  });
}

LONG Hive::IsReadOnly(const Units& foldedPath, bool& readOnly) {
  return Watch([&]() -> LONG {
    readOnly = false;
    Session s(*this);
    LONG rc = s.Connect(false, true);
    if (rc != ERROR_SUCCESS) return rc;
    if (FileWriteProtected(m_state->mode)) {
      readOnly = true;
      return ERROR_SUCCESS;
    }
    KnownKey key;
    rc = Lookup(s, foldedPath, key);
    if (rc == ERROR_FILE_NOT_FOUND) {
      // A key not yet made is read-only when a key above it is.
      sqlite3_stmt* marks = nullptr;
      if (s.empty || (rc = s.Prepared(kReadOnlyPaths, marks)) != ERROR_SUCCESS) return s.empty ? ERROR_SUCCESS : rc;
      return ReadOnlyIn(s, marks, foldedPath, readOnly);
    }
    if (rc != ERROR_SUCCESS) return rc;
    readOnly = key.readOnly;
    return ERROR_SUCCESS;
  });
}

static LONG ReadOnlyIn(Hive::Session& s, sqlite3_stmt* marks, const Units& foldedPath, bool& readOnly) {
  Use u(marks);
  for (;;) {
    const int step = u.Step();
    if (step == SQLITE_DONE) return ERROR_SUCCESS;
    if (step != SQLITE_ROW) return FromSqlite(step, s.Db());
    if (Covers(FromBigEndian(u.ColBlob(0), u.ColBytes(0)), foldedPath)) {
      readOnly = true;
      return ERROR_SUCCESS;
    }
  }
}

LONG Hive::CreateKey(const Units& basePath, const std::vector<Units>& names, bool wantWrite,
                     std::int64_t& id, bool& created) {
  return Watch([&]() -> LONG {
    created = false;
    Units fullPath = basePath;
    for (const Units& n : names) {
      if (!fullPath.empty()) fullPath += u'\\';
      fullPath += Fold(n.data(), n.size());
    }
    bool readOnly = false;
    // Most calls open a key that exists: that needs no write transaction.
    LONG rc = FindKey(fullPath, id);
    if (rc == ERROR_SUCCESS) {
      if (wantWrite) {
        if ((rc = IsReadOnly(fullPath, readOnly)) != ERROR_SUCCESS) return rc;
        if (readOnly) return ERROR_ACCESS_DENIED;
      }
      return ERROR_SUCCESS;
    }
    if (rc != ERROR_FILE_NOT_FOUND) return rc;

    Session s(*this);
    if ((rc = s.Connect(true, true)) != ERROR_SUCCESS) return rc;
    if ((rc = s.RefuseDamaged()) != ERROR_SUCCESS) return rc;
    if (FileWriteProtected(m_state->mode)) return ERROR_ACCESS_DENIED;
    if ((rc = s.Exec(kBeginImmediate)) != ERROR_SUCCESS) return rc;
    sqlite3_stmt* find = nullptr;
    sqlite3_stmt* insert = nullptr;
    sqlite3_stmt* touch = nullptr;
    sqlite3_stmt* marks = nullptr;
    auto fail = [&s](LONG e) {
      s.Exec(kRollback);
      return e;
    };
    if ((rc = s.Prepared(kFindKey, find)) != ERROR_SUCCESS || (rc = s.Prepared(kInsertKey, insert)) != ERROR_SUCCESS ||
        (rc = s.Prepared(kTouchKey, touch)) != ERROR_SUCCESS || (rc = s.Prepared(kReadOnlyPaths, marks)) != ERROR_SUCCESS) {
      return fail(rc);
    }
    // Walk from the base key, creating what is missing.
    Units path = basePath;
    std::int64_t current = kRootKeyId;
    {
      Use u(find);
      const std::string blob = BigEndian(path);
      u.Blob(1, blob.data(), blob.size());
      const int step = u.Step();
      if (step == SQLITE_DONE) return fail(ERROR_KEY_DELETED);
      if (step != SQLITE_ROW) return fail(FromSqlite(step, s.Db()));
      current = u.ColInt(0);
    }
    const std::int64_t now = FileTimeNow();
    for (const Units& name : names) {
      const Units folded = Fold(name.data(), name.size());
      if (!path.empty()) path += u'\\';
      path += folded;
      const std::string blob = BigEndian(path);
      std::int64_t next = 0;
      {
        Use u(find);
        u.Blob(1, blob.data(), blob.size());
        const int step = u.Step();
        if (step == SQLITE_ROW) next = u.ColInt(0);
        else if (step != SQLITE_DONE) return fail(FromSqlite(step, s.Db()));
      }
      if (next == 0) {
        // A new key below a read-only key is refused, as writing to that key would be.
        Units parentPath = path.substr(0, path.size() - folded.size());
        if (!parentPath.empty()) parentPath.pop_back();
        bool parentReadOnly = false;
        if ((rc = ReadOnlyIn(s, marks, parentPath, parentReadOnly)) != ERROR_SUCCESS) return fail(rc);
        if (parentReadOnly) return fail(ERROR_ACCESS_DENIED);
        {
          Use u(insert);
          u.Int(1, current);
          u.Blob(2, blob.data(), blob.size());
          u.Name(3, name);
          u.Int(4, now);
          const int step = u.Step();
          if (step != SQLITE_DONE) return fail(FromSqlite(step, s.Db()));
        }
        next = sqlite3_last_insert_rowid(s.Db());
        {
          Use u(touch);
          u.Int(1, current);
          u.Int(2, now);
          const int step = u.Step();
          if (step != SQLITE_DONE) return fail(FromSqlite(step, s.Db()));
        }
        created = true;
      }
      current = next;
    }
    if (wantWrite && !created) {
      // Another process created the key meanwhile: the read-only rule still applies.
      if ((rc = ReadOnlyIn(s, marks, path, readOnly)) != ERROR_SUCCESS) return fail(rc);
      if (readOnly) return fail(ERROR_ACCESS_DENIED);
    }
    if ((rc = s.Exec(kCommit)) != ERROR_SUCCESS) {
      created = false;
      return fail(rc);
    }
    id = current;
    return ERROR_SUCCESS;
  });
}

namespace {

// Distinguishes a missing item from a key that no longer exists.
LONG MissingOr(Hive::Session& s, std::int64_t key, LONG missing) {
  sqlite3_stmt* st = nullptr;
  LONG rc = s.Prepared(kKeyWritten, st);
  if (rc != ERROR_SUCCESS) return rc;
  Use u(st);
  u.Int(1, key);
  const int step = u.Step();
  if (step == SQLITE_ROW) return missing;
  if (step == SQLITE_DONE) return ERROR_KEY_DELETED;
  return FromSqlite(step, s.Db());
}

void Deliver(Use& u, int column, DataSink& data) {
  const int bytes = u.ColBytes(column);
  data.size = static_cast<DWORD>(bytes);
  if (data.fits() && bytes > 0) std::memcpy(data.buffer, u.ColBlob(column), static_cast<std::size_t>(bytes));
}

}  // namespace

namespace {

// Ends a value write begun with BEGIN IMMEDIATE: when the change's step succeeded, stamps the
// key's last-write time and commits; on any failure rolls the whole write back.
LONG TouchAndCommit(Hive::Session& s, sqlite3_stmt* touch, std::int64_t key, int step) {
  if (step == SQLITE_DONE) {
    Use u(touch);
    u.Int(1, key);
    u.Int(2, FileTimeNow());
    step = u.Step();
  }
  if (step != SQLITE_DONE) {
    const LONG rc = FromSqlite(step, s.Db());
    s.Exec(kRollback);
    return rc;
  }
  const LONG rc = s.Exec(kCommit);
  if (rc != ERROR_SUCCESS) s.Exec(kRollback);
  return rc;
}

}  // namespace

LONG Hive::QueryValue(std::int64_t key, const Units& foldedName, DWORD& type, DataSink& data) {
  return Watch([&]() -> LONG {
    Session s(*this);
    LONG rc = s.Connect(false);
    if (rc != ERROR_SUCCESS) return rc;
    if (s.empty) return key == kRootKeyId ? ERROR_FILE_NOT_FOUND : ERROR_KEY_DELETED;
    sqlite3_stmt* st = nullptr;
    if ((rc = s.Prepared(kQueryValue, st)) != ERROR_SUCCESS) return rc;
    Use u(st);
    u.Int(1, key);
    u.Name(2, foldedName);
    const int step = u.Step();
    if (step == SQLITE_DONE) return MissingOr(s, key, ERROR_FILE_NOT_FOUND);
    if (step != SQLITE_ROW) return FromSqlite(step, s.Db());
    type = static_cast<DWORD>(u.ColInt(0));
    Deliver(u, 1, data);
    return ERROR_SUCCESS;
  });
}

LONG Hive::SetValue(std::int64_t key, const Units& name, const Units& foldedName, DWORD type,
                    const BYTE* data, DWORD size) {
  return Watch([&]() -> LONG {
    Session s(*this);
    LONG rc = s.Connect(true);
    if (rc != ERROR_SUCCESS) return rc;
    if ((rc = s.RefuseDamaged()) != ERROR_SUCCESS) return rc;
    sqlite3_stmt* upsert = nullptr;
    sqlite3_stmt* touch = nullptr;
    if ((rc = s.Prepared(kUpsertValue, upsert)) != ERROR_SUCCESS || (rc = s.Prepared(kTouchKey, touch)) != ERROR_SUCCESS) {
      return rc;
    }
    if ((rc = s.Exec(kBeginImmediate)) != ERROR_SUCCESS) return rc;
    int step = SQLITE_DONE;
    {
      Use u(upsert);
      u.Int(1, key);
      u.Name(2, foldedName);
      u.Name(3, name);
      u.Int(4, type);
      u.Blob(5, data, size);
      step = u.Step();
    }
    return TouchAndCommit(s, touch, key, step);
  });
}

LONG Hive::DeleteValue(std::int64_t key, const Units& foldedName) {
  return Watch([&]() -> LONG {
    Session s(*this);
    LONG rc = s.Connect(false);
    if (rc != ERROR_SUCCESS) return rc;
    if (s.empty) return key == kRootKeyId ? ERROR_FILE_NOT_FOUND : ERROR_KEY_DELETED;
    if ((rc = s.RefuseDamaged()) != ERROR_SUCCESS) return rc;
    sqlite3_stmt* del = nullptr;
    sqlite3_stmt* touch = nullptr;
    if ((rc = s.Prepared(kDeleteValue, del)) != ERROR_SUCCESS || (rc = s.Prepared(kTouchKey, touch)) != ERROR_SUCCESS) {
      return rc;
    }
    if ((rc = s.Exec(kBeginImmediate)) != ERROR_SUCCESS) return rc;
    int step = SQLITE_DONE;
    {
      Use u(del);
      u.Int(1, key);
      u.Name(2, foldedName);
      step = u.Step();
    }
    if (step == SQLITE_DONE && sqlite3_changes(s.Db()) == 0) {
      rc = MissingOr(s, key, ERROR_FILE_NOT_FOUND);
      s.Exec(kRollback);
      return rc;
    }
    return TouchAndCommit(s, touch, key, step);
  });
}

namespace {

// The row at index among a key's values or subkeys (statement kEnumValue or kEnumKey), handed
// to read; past the last row, ERROR_NO_MORE_ITEMS, or ERROR_KEY_DELETED if the key is gone.
template <class Read>
LONG EnumRow(Hive& hive, Statement statement, std::int64_t key, DWORD index, Read read) {
  Hive::Session s(hive);
  LONG rc = s.Connect(false);
  if (rc != ERROR_SUCCESS) return rc;
  if (s.empty) return key == kRootKeyId ? ERROR_NO_MORE_ITEMS : ERROR_KEY_DELETED;
  sqlite3_stmt* st = nullptr;
  if ((rc = s.Prepared(statement, st)) != ERROR_SUCCESS) return rc;
  Use u(st);
  u.Int(1, key);
  u.Int(2, index);
  const int step = u.Step();
  if (step == SQLITE_DONE) return MissingOr(s, key, ERROR_NO_MORE_ITEMS);
  if (step != SQLITE_ROW) return FromSqlite(step, s.Db());
  read(u);
  return ERROR_SUCCESS;
}

}  // namespace

LONG Hive::EnumValue(std::int64_t key, DWORD index, Units& name, DWORD& type, DataSink& data) {
  return Watch([&]() -> LONG {
    return EnumRow(*this, kEnumValue, key, index, [&](Use& u) {
      name = FromLittleEndian(u.ColBlob(0), u.ColBytes(0));
      type = static_cast<DWORD>(u.ColInt(1));
      Deliver(u, 2, data);
    });
  });
}

LONG Hive::EnumKey(std::int64_t key, DWORD index, Units& name, std::int64_t& written) {
  return Watch([&]() -> LONG {
    return EnumRow(*this, kEnumKey, key, index, [&](Use& u) {
      name = FromLittleEndian(u.ColBlob(0), u.ColBytes(0));
      written = u.ColInt(1);
    });
  });
}

LONG Hive::QueryInfo(std::int64_t key, KeyInfo& info) {
  return Watch([&]() -> LONG {
    Session s(*this);
    LONG rc = s.Connect(false);
    if (rc != ERROR_SUCCESS) return rc;
    info = KeyInfo{};
    if (s.empty) return key == kRootKeyId ? ERROR_SUCCESS : ERROR_KEY_DELETED;
    sqlite3_stmt* written = nullptr;
    sqlite3_stmt* keys = nullptr;
    sqlite3_stmt* vals = nullptr;
    if ((rc = s.Prepared(kKeyWritten, written)) != ERROR_SUCCESS || (rc = s.Prepared(kSubKeyStats, keys)) != ERROR_SUCCESS ||
        (rc = s.Prepared(kValueStats, vals)) != ERROR_SUCCESS) {
      return rc;
    }
    // One read transaction, so that the counts and sizes describe one moment.
    if ((rc = s.Exec(kBegin)) != ERROR_SUCCESS) return rc;
    auto run = [&]() -> LONG {
      {
        Use u(written);
        u.Int(1, key);
        const int step = u.Step();
        if (step == SQLITE_DONE) return ERROR_KEY_DELETED;
        if (step != SQLITE_ROW) return FromSqlite(step, s.Db());
        info.written = u.ColInt(0);
      }
      {
        Use u(keys);
        u.Int(1, key);
        const int step = u.Step();
        if (step != SQLITE_ROW) return FromSqlite(step, s.Db());
        info.subKeys = static_cast<DWORD>(u.ColInt(0));
        info.maxSubKeyName = static_cast<DWORD>(u.ColInt(1) / 2);
      }
      {
        Use u(vals);
        u.Int(1, key);
        const int step = u.Step();
        if (step != SQLITE_ROW) return FromSqlite(step, s.Db());
        info.values = static_cast<DWORD>(u.ColInt(0));
        info.maxValueName = static_cast<DWORD>(u.ColInt(1) / 2);
        info.maxValueData = static_cast<DWORD>(u.ColInt(2));
      }
      return ERROR_SUCCESS;
    };
    rc = run();
    const LONG end = s.Exec(rc == ERROR_SUCCESS ? kCommit : kRollback);
    return rc != ERROR_SUCCESS ? rc : end;
  });
}

namespace {

// Runs a change of the key structure (a deletion, a read-only mark) as one write transaction
// announced through the shared generation: odd from before the change until after its commit,
// so that no process reuses what it knew about key paths across it.
template <class Change>
LONG ChangeKeys(Hive::Session& s, Change change) {
  LONG rc = s.Exec(kBeginImmediate);
  if (rc != ERROR_SUCCESS) return rc;
  auto& state = s.Shared();
  state.generation.Bump();
  state.known.clear();
  rc = change();
  if (rc == ERROR_SUCCESS && (rc = s.Exec(kCommit)) == ERROR_SUCCESS) {
    state.generation.Bump();
    return ERROR_SUCCESS;
  }
  s.Exec(kRollback);
  state.generation.Bump();
  return rc;
}

}  // namespace

LONG Hive::SetReadOnlyMark(std::int64_t key, bool readOnly) {
  return Watch([&]() -> LONG {
    Session s(*this);
    LONG rc = s.Connect(true);
    if (rc != ERROR_SUCCESS) return rc;
    if ((rc = s.RefuseDamaged()) != ERROR_SUCCESS) return rc;
    sqlite3_stmt* st = nullptr;
    if ((rc = s.Prepared(kSetReadOnly, st)) != ERROR_SUCCESS) return rc;
    return ChangeKeys(s, [&]() -> LONG {
      Use u(st);
      u.Int(1, key);
      u.Int(2, readOnly ? 1 : 0);
      const int step = u.Step();
      if (step != SQLITE_DONE) return FromSqlite(step, s.Db());
      return sqlite3_changes(s.Db()) == 0 ? ERROR_KEY_DELETED : ERROR_SUCCESS;
    });
  });
}

LONG Hive::GetReadOnlyMark(std::int64_t key, bool& readOnly) {
  return Watch([&]() -> LONG {
    Session s(*this);
    LONG rc = s.Connect(false);
    readOnly = false;
    if (rc != ERROR_SUCCESS) return rc;
    if (s.empty) return key == kRootKeyId ? ERROR_SUCCESS : ERROR_KEY_DELETED;
    sqlite3_stmt* st = nullptr;
    if ((rc = s.Prepared(kGetReadOnly, st)) != ERROR_SUCCESS) return rc;
    Use u(st);
    u.Int(1, key);
    const int step = u.Step();
    if (step == SQLITE_DONE) return ERROR_KEY_DELETED;
    if (step != SQLITE_ROW) return FromSqlite(step, s.Db());
    readOnly = u.ColInt(0) != 0;
    return ERROR_SUCCESS;
  });
}

LONG Hive::DeleteKey(std::int64_t key) {
  return Watch([&]() -> LONG {
    if (key == kRootKeyId) return ERROR_ACCESS_DENIED;
    Session s(*this);
    LONG rc = s.Connect(false);
    if (rc != ERROR_SUCCESS) return rc;
    if (s.empty) return ERROR_KEY_DELETED;
    if ((rc = s.RefuseDamaged()) != ERROR_SUCCESS) return rc;
    sqlite3_stmt* children = nullptr;
    sqlite3_stmt* parentOf = nullptr;
    sqlite3_stmt* del = nullptr;
    sqlite3_stmt* touch = nullptr;
    if ((rc = s.Prepared(kHasChildren, children)) != ERROR_SUCCESS || (rc = s.Prepared(kParentOf, parentOf)) != ERROR_SUCCESS ||
        (rc = s.Prepared(kDeleteKey, del)) != ERROR_SUCCESS || (rc = s.Prepared(kTouchKey, touch)) != ERROR_SUCCESS) {
      return rc;
    }
    return ChangeKeys(s, [&]() -> LONG {
      std::int64_t parent = 0;
      {
        Use u(parentOf);
        u.Int(1, key);
        const int step = u.Step();
        if (step == SQLITE_DONE) return ERROR_KEY_DELETED;
        if (step != SQLITE_ROW) return FromSqlite(step, s.Db());
        parent = u.ColInt(0);
      }
      {
        Use u(children);
        u.Int(1, key);
        const int step = u.Step();
        if (step == SQLITE_ROW) return ERROR_ACCESS_DENIED;
        if (step != SQLITE_DONE) return FromSqlite(step, s.Db());
      }
      {
        Use u(del);
        u.Int(1, key);
        const int step = u.Step();
        if (step != SQLITE_DONE) return FromSqlite(step, s.Db());
      }
      Use u(touch);
      u.Int(1, parent);
      u.Int(2, FileTimeNow());
      return FromSqlite(u.Step(), s.Db());
    });
  });
}

LONG Hive::Check() {
  return Watch([&]() -> LONG {
    Session s(*this);
    LONG rc = s.Connect(false, true);
    if (rc != ERROR_SUCCESS || s.empty) return rc;
    sqlite3_stmt* st = nullptr;
    int prc = sqlite3_prepare_v2(s.Db(), "PRAGMA integrity_check", -1, &st, nullptr);
    if (prc != SQLITE_OK) return FromSqlite(prc, s.Db());
    const int step = sqlite3_step(st);
    LONG result = FromSqlite(step, s.Db());
    if (step == SQLITE_ROW) {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
      result = text != nullptr && std::strcmp(text, "ok") == 0 ? ERROR_SUCCESS : ERROR_REGISTRY_CORRUPT;
    }
    sqlite3_finalize(st);
    return result;
  });
}

// Salvage of a damaged hive: every row that SQLite still gives, copied into a new hive.
namespace {

// Closes a connection however the salvage ends.
struct OwnedConnection {
  sqlite3* db = nullptr;
  ~OwnedConnection() {
    if (db != nullptr) sqlite3_close_v2(db);
  }
};

struct OwnedStatement {
  sqlite3_stmt* st = nullptr;
  ~OwnedStatement() { sqlite3_finalize(st); }
};

// The largest row id of a table, for the row-by-row part of a salvage. When even that cannot
// be read, no table of the file can hold a row id above one per eight bytes of the file.
std::int64_t RowIdBound(sqlite3* db, const char* table) {
  OwnedStatement max;
  const std::string sql = std::string("SELECT max(id) FROM ") + table;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &max.st, nullptr) == SQLITE_OK && sqlite3_step(max.st) == SQLITE_ROW) {
    return sqlite3_column_int64(max.st, 0);
  }
  std::int64_t pages = 0, pageSize = 0;
  for (auto [pragma, out] : {std::pair{"PRAGMA page_count", &pages}, std::pair{"PRAGMA page_size", &pageSize}}) {
    OwnedStatement st;
    if (sqlite3_prepare_v2(db, pragma, -1, &st.st, nullptr) == SQLITE_OK && sqlite3_step(st.st) == SQLITE_ROW) {
      *out = sqlite3_column_int64(st.st, 0);
    }
  }
  return pages * pageSize / 8;
}

// Reads a table's rows in row id order and hands each to row (the statement, with the row id
// in column 0 and `columns` after it). A scan goes as far as the pages give rows; past a
// page that fails, each row id is looked up alone until one reads, and the scan resumes from
// there. So a bad page loses the rows on it and no others; lost counts the ids that failed.
template <class Row>
LONG ReadRows(sqlite3* db, const char* table, const char* columns, Row row, DWORD& lost) {
  const std::int64_t bound = RowIdBound(db, table);
  OwnedStatement scan, one;
  const std::string from = std::string("SELECT id, ") + columns + " FROM " + table;
  int rc = sqlite3_prepare_v2(db, (from + " WHERE id >= ?1 ORDER BY id").c_str(), -1, &scan.st, nullptr);
  if (rc == SQLITE_OK) rc = sqlite3_prepare_v2(db, (from + " WHERE id = ?1").c_str(), -1, &one.st, nullptr);
  if (rc != SQLITE_OK) return FromSqlite(rc, db);  // the schema itself cannot be read
  std::int64_t next = 1;
  while (next <= bound) {
    sqlite3_reset(scan.st);
    sqlite3_bind_int64(scan.st, 1, next);
    bool failed = false;
    for (;;) {
      rc = sqlite3_step(scan.st);
      if (rc == SQLITE_ROW) {
        next = sqlite3_column_int64(scan.st, 0) + 1;
        row(scan.st);
        continue;
      }
      failed = rc != SQLITE_DONE;
      break;
    }
    sqlite3_reset(scan.st);
    if (!failed) break;
    while (next <= bound) {
      sqlite3_reset(one.st);
      sqlite3_bind_int64(one.st, 1, next++);
      rc = sqlite3_step(one.st);
      if (rc == SQLITE_ROW) {
        row(one.st);
        break;
      }
      if (rc != SQLITE_DONE) ++lost;
    }
    sqlite3_reset(one.st);
  }
  return ERROR_SUCCESS;
}

bool EvenBlob(sqlite3_stmt* st, int column) {
  return sqlite3_column_type(st, column) == SQLITE_BLOB && sqlite3_column_bytes(st, column) % 2 == 0;
}

struct SalvagedKey {
  std::int64_t id = 0;
  Units name;
  bool readOnly = false;
  std::int64_t written = 0;
};

struct SalvagedValue {
  std::int64_t key = 0;
  Units name;
  std::int64_t type = 0;
  std::string data;
};

// Runs SQL that returns no rows and must succeed.
int Run(sqlite3* db, const std::string& sql) { return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr); }

// Writes the salvaged rows into a new hive database at path. Keys go in path order, so that
// every parent precedes its children; a parent whose row was lost is made again from the
// folded name in its children's paths (its original case is gone with its row).
LONG WriteSalvage(const std::string& path, const SalvagedKey* root, const std::map<Units, SalvagedKey>& keys,
                  const std::vector<SalvagedValue>& values, SalvageCounts& counts) {
  OwnedConnection out;
  int rc = sqlite3_open_v2(path.c_str(), &out.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) return FromSqlite(rc, out.db);
  const std::int64_t now = FileTimeNow();
  rc = Run(out.db, "PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL; PRAGMA foreign_keys = ON; PRAGMA application_id = " +
                       std::to_string(kApplicationId) + "; PRAGMA user_version = " + std::to_string(kSchemaVersion) +
                       "; BEGIN; " + kSchema);
  if (rc != SQLITE_OK) return FromSqlite(rc, out.db);
  OwnedStatement insertKey, insertValue;
  rc = sqlite3_prepare_v2(out.db, "INSERT INTO keys(id, parent, path, name, readonly, written) VALUES(?1, ?2, ?3, ?4, ?5, ?6)",
                          -1, &insertKey.st, nullptr);
  if (rc == SQLITE_OK) {
    rc = sqlite3_prepare_v2(out.db, "INSERT OR IGNORE INTO vals(key, fold, name, type, data) VALUES(?1, ?2, ?3, ?4, ?5)", -1,
                            &insertValue.st, nullptr);
  }
  if (rc != SQLITE_OK) return FromSqlite(rc, out.db);
  std::map<Units, std::int64_t> made;      // folded path -> id in the new hive
  std::map<std::int64_t, std::int64_t> ids;  // id in the damaged hive -> id in the new one
  std::int64_t nextId = kRootKeyId;
  auto insert = [&](std::int64_t parent, const Units& folded, const Units& name, bool readOnly,
                    std::int64_t written) -> int {
    const std::int64_t id = nextId++;
    const std::string blob = BigEndian(folded);
    Use u(insertKey.st);
    u.Int(1, id);
    if (parent != 0) u.Int(2, parent);
    u.Blob(3, blob.data(), blob.size());
    u.Name(4, name);
    u.Int(5, readOnly ? 1 : 0);
    u.Int(6, written);
    const int step = u.Step();
    if (step == SQLITE_DONE) made[folded] = id;
    return step;
  };
  rc = insert(0, Units(), Units(), root != nullptr && root->readOnly, root != nullptr ? root->written : now);
  if (rc != SQLITE_DONE) return FromSqlite(rc, out.db);
  if (root != nullptr) ids[root->id] = kRootKeyId;
  // The id of the key at a folded path, made (with its missing parents) when no row gave it.
  std::function<std::int64_t(const Units&, std::int64_t)> parentOf = [&](const Units& folded, std::int64_t written) {
    const auto found = made.find(folded);
    if (found != made.end()) return found->second;
    const std::size_t cut = folded.rfind(u'\\');
    const Units above = cut == Units::npos ? Units() : folded.substr(0, cut);
    const std::int64_t parent = parentOf(above, written);
    const Units name = cut == Units::npos ? folded : folded.substr(cut + 1);
    if (parent == 0 || insert(parent, folded, name, false, written) != SQLITE_DONE) return std::int64_t{0};
    ++counts.rebuiltKeys;
    return made[folded];
  };
  for (const auto& [folded, key] : keys) {
    const std::size_t cut = folded.rfind(u'\\');
    const std::int64_t parent = parentOf(cut == Units::npos ? Units() : folded.substr(0, cut), key.written);
    if (parent == 0) return ERROR_REGISTRY_IO_FAILED;
    if ((rc = insert(parent, folded, key.name, key.readOnly, key.written)) != SQLITE_DONE) return FromSqlite(rc, out.db);
    ids[key.id] = made[folded];
    ++counts.keys;
  }
  for (const SalvagedValue& v : values) {
    const auto key = ids.find(v.key);
    if (key == ids.end()) {
      ++counts.lostRows;  // its key's row could not be read: nothing says where it belongs
      continue;
    }
    const Units folded = Fold(v.name.data(), v.name.size());
    Use u(insertValue.st);
    u.Int(1, key->second);
    u.Name(2, folded);
    u.Name(3, v.name);
    u.Int(4, v.type);
    u.Blob(5, v.data.data(), v.data.size());
    if ((rc = u.Step()) != SQLITE_DONE) return FromSqlite(rc, out.db);
    if (sqlite3_changes(out.db) == 1) ++counts.values;
    else ++counts.lostRows;  // a second row with the same name: the first one stays
  }
  if ((rc = Run(out.db, "COMMIT")) != SQLITE_OK) return FromSqlite(rc, out.db);
  // The new hive must be sound before it gets its name.
  OwnedStatement check;
  rc = sqlite3_prepare_v2(out.db, "PRAGMA integrity_check", -1, &check.st, nullptr);
  if (rc != SQLITE_OK) return FromSqlite(rc, out.db);
  if (sqlite3_step(check.st) != SQLITE_ROW ||
      std::strcmp(reinterpret_cast<const char*>(sqlite3_column_text(check.st, 0)), "ok") != 0) {
    return ERROR_REGISTRY_CORRUPT;
  }
  return ERROR_SUCCESS;
}

}  // namespace

LONG SalvageHive(const std::string& from, const std::string& to, bool replace, SalvageCounts& counts) {
  counts = SalvageCounts{};
  struct stat source {}, target {};
  if (::stat(from.c_str(), &source) != 0) return ErrorFromErrno(errno) == ERROR_PATH_NOT_FOUND ? ERROR_FILE_NOT_FOUND : ErrorFromErrno(errno);
  if (S_ISDIR(source.st_mode)) return ERROR_DIRECTORY;
  if (::stat(to.c_str(), &target) == 0) {
    // The damaged file is never the one replaced.
    if (target.st_dev == source.st_dev && target.st_ino == source.st_ino) return ERROR_INVALID_PARAMETER;
    if (!replace) return ERROR_FILE_EXISTS;
    if (S_ISDIR(target.st_mode)) return ERROR_DIRECTORY;
  }
  // Read-only: the connection never writes the damaged file or folds its log into it.
  OwnedConnection in;
  int rc = sqlite3_open_v2(from.c_str(), &in.db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) return FromSqlite(rc, in.db);
  sqlite3_extended_result_codes(in.db, 1);
  sqlite3_busy_timeout(in.db, kBusyTimeoutMs);
  sqlite3_db_config(in.db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_db_config(in.db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
  {
    // Only a hive is salvaged: another program's database is no hive, damaged or not.
    OwnedStatement id, version;
    rc = sqlite3_prepare_v2(in.db, "PRAGMA application_id", -1, &id.st, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_prepare_v2(in.db, "PRAGMA user_version", -1, &version.st, nullptr);
    if (rc != SQLITE_OK) return FromSqlite(rc, in.db);
    if ((rc = sqlite3_step(id.st)) != SQLITE_ROW || (rc = sqlite3_step(version.st)) != SQLITE_ROW) return FromSqlite(rc, in.db);
    if (sqlite3_column_int64(id.st, 0) != kApplicationId || sqlite3_column_int64(version.st, 0) != kSchemaVersion) {
      return ERROR_BADDB;
    }
  }
  std::unique_ptr<SalvagedKey> root;
  std::map<Units, SalvagedKey> keys;
  LONG result = ReadRows(in.db, "keys", "path, name, readonly, written", [&](sqlite3_stmt* st) {
    if (!EvenBlob(st, 1) || !EvenBlob(st, 2)) {
      ++counts.lostRows;
      return;
    }
    SalvagedKey key;
    key.id = sqlite3_column_int64(st, 0);
    key.name = FromLittleEndian(sqlite3_column_blob(st, 2), sqlite3_column_bytes(st, 2));
    key.readOnly = sqlite3_column_int64(st, 3) != 0;
    key.written = sqlite3_column_int64(st, 4);
    const Units path = FromBigEndian(sqlite3_column_blob(st, 1), sqlite3_column_bytes(st, 1));
    if (path.empty()) root = std::make_unique<SalvagedKey>(std::move(key));
    else keys.emplace(path, std::move(key));
  }, counts.lostRows);
  if (result != ERROR_SUCCESS) return result;
  std::vector<SalvagedValue> values;
  result = ReadRows(in.db, "vals", "key, name, type, data", [&](sqlite3_stmt* st) {
    if (!EvenBlob(st, 2) || sqlite3_column_type(st, 4) != SQLITE_BLOB) {
      ++counts.lostRows;
      return;
    }
    SalvagedValue v;
    v.key = sqlite3_column_int64(st, 1);
    v.name = FromLittleEndian(sqlite3_column_blob(st, 2), sqlite3_column_bytes(st, 2));
    v.type = sqlite3_column_int64(st, 3);
    const auto* data = static_cast<const char*>(sqlite3_column_blob(st, 4));
    v.data.assign(data == nullptr ? "" : data, static_cast<std::size_t>(sqlite3_column_bytes(st, 4)));
    values.push_back(std::move(v));
  }, counts.lostRows);
  if (result != ERROR_SUCCESS) return result;
  const LONG dir = EnsureParentDirectory(to);
  if (dir != ERROR_SUCCESS) return dir;
  const std::string temp = TemporarySibling(to);
  result = WriteSalvage(temp, root.get(), keys, values, counts);  // closed (its log folded in) on return
  if (result != ERROR_SUCCESS) {
    RemoveTemporary(temp);
    return result;
  }
  if (replace) return ReplaceHiveFile(temp, to);
  // PublishHiveFile keeps a file that appeared meanwhile; it is not ours to replace.
  result = PublishHiveFile(temp, to);
  return result;
}

}  // namespace registry
