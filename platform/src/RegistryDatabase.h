// The registry store's database, as its parts share it: the schema and statements, SQLite
// results as Win32 codes, the state of one hive in this process, and a call's session on it.
#pragma once

#include <sqlite3.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include <Utility/Platform/Error.h>

#include "BusyWait.h"
#include "RegistryStore.h"
#include "RegistrySystem.h"

namespace utility::platform::registry {

// 'UREG': marks a database as a hive, so that another program's database is never taken
// for one (or changed).
inline constexpr int kApplicationId = 0x55524547;
inline constexpr int kSchemaVersion = 1;
// How long a call waits for another process's write to finish before giving up.
inline constexpr int kBusyTimeoutMs = 15000;

// The statements of the calls, prepared once per connection.
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

// The SQL of each Statement.
const char* StatementSql(Statement s) noexcept;

// The script that sets up a new, empty hive database up to its open transaction: journal
// mode, syncs, the hive's marks and the tables.
std::string NewHiveScript();

// The one place where SQLite results become Win32 error codes.
LONG FromSqlite(int rc, sqlite3* db = nullptr) noexcept;

// A hive is a database with our application id and schema version; anything else (another
// program's database, an emptied file) gives ERROR_BADDB, and is never reinitialised.
LONG VerifyHive(sqlite3* db);

// Whether the integrity check of the database finds it sound (ERROR_SUCCESS), damaged
// (ERROR_REGISTRY_CORRUPT), or cannot run.
LONG IntegrityCheck(sqlite3* db);

// Folded paths are stored big-endian, so that the database's byte order of the blobs is the
// order of the UTF-16 units (sub-keys enumerate in that order); names little-endian.
std::string BigEndian(const Units& units);
Units FromBigEndian(const void* blob, int bytes);
Units FromLittleEndian(const void* blob, int bytes);

// Writes a new hive beside its final place and links it in, so that the final name never
// names a half-made file: a hive file that exists is always a complete database.
LONG CreateHiveFile(const std::string& path);

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
  void Path(int i, const std::string& bigEndian) noexcept { Blob(i, bigEndian.data(), bigEndian.size()); }
  int Step() noexcept { return sqlite3_step(m_s); }
  std::int64_t ColInt(int c) noexcept { return sqlite3_column_int64(m_s, c); }
  const void* ColBlob(int c) noexcept { return sqlite3_column_blob(m_s, c); }
  int ColBytes(int c) noexcept { return sqlite3_column_bytes(m_s, c); }

 private:
  sqlite3_stmt* m_s;
};

// The generation of a hive's key structure, shared by every process through a small mapped
// file beside the hive. Deleting a key or changing a read-only mark adds 1 before its commit
// and 1 after it, so an odd value means a change is under way. A process may reuse what it
// looked up about key paths only while the value is even and unchanged.
class SharedGeneration {
 public:
  // Maps the file beside the hive, made with the hive's permissions so that whoever may read
  // the hive may follow its changes.
  void Map(const std::string& hivePath, std::uint32_t permissions) noexcept {
    Unmap();
    m_value = MapSharedWord(hivePath + "-keys", permissions, m_writable);
  }
  void Unmap() noexcept {
    UnmapSharedWord(m_value);
    m_value = nullptr;
  }
  // The current generation; odd (never cacheable) when there is none, so that every lookup
  // then goes to the database.
  std::uint64_t Load() const noexcept { return m_value != nullptr ? m_value->load(std::memory_order_acquire) : 1; }
  void Bump() noexcept {
    if (m_value != nullptr && m_writable) m_value->fetch_add(1, std::memory_order_acq_rel);
  }

 private:
  std::atomic<std::uint64_t>* m_value = nullptr;
  bool m_writable = false;
};

// What a process knows about a key path: its row and whether it is read-only.
struct KnownKey {
  std::int64_t id = 0;
  bool readOnly = false;
};

struct Hive::State {
  std::mutex mutex;
  sqlite3* db = nullptr;
  utility::platform::BusyWait busy{std::chrono::milliseconds(kBusyTimeoutMs)};
  std::int64_t owner = 0;
  FileIdentity file;  // the file the connection has open, to notice a file replaced or removed
  std::uint32_t permissions = 0;
  bool writeProtected = false;
  std::array<sqlite3_stmt*, kStatementCount> statements{};
  SharedGeneration generation;
  std::uint64_t knownGeneration = 1;
  std::map<Units, KnownKey> known;
  // Damage this process met in the file, and which file that was; kept across reconnections,
  // since it belongs to the file, not to the connection.
  bool damaged = false;
  FileIdentity damagedFile;

  void Close() noexcept;
};

// A call on the hive: holds the hive's lock and a connection for this process.
class Hive::Session {
 public:
  explicit Session(Hive& hive) : m_hive(hive), m_state(*hive.m_state), m_lock(m_state.mutex) {}

  // Connects. For a read of a hive whose file does not exist yet, sets empty instead; a write
  // creates the file first. verifyFile (on opening a key) also checks that the connection's
  // file is still the one at the hive's path; calls on an open key use the file it was
  // opened in.
  LONG Connect(bool forWrite, bool verifyFile = false);

  // Runs a statement that returns no rows.
  LONG Exec(Statement s);
  // The prepared statement s, prepared on first use.
  LONG Prepared(Statement s, sqlite3_stmt*& out);

  sqlite3* Db() const noexcept { return m_state.db; }
  State& Shared() noexcept { return m_state; }

  // Every write asks first: a hive file known to be damaged takes no more writes, so that
  // nothing is built on pages that may be wrong. ERROR_BADDB, not the ERROR_REGISTRY_CORRUPT
  // of the call that met the damage: the write was not tried.
  LONG RefuseDamaged();

  bool empty = false;

 private:
  LONG OpenConnection();

  Hive& m_hive;
  State& m_state;
  std::lock_guard<std::mutex> m_lock;
  int m_prepareResult = SQLITE_OK;
};

template <class Call>
LONG Hive::Watch(Call call) {
  const LONG rc = call();
  // ERROR_BADDB from a connection that passed its checks is a page that reads as no database.
  if (rc == ERROR_REGISTRY_CORRUPT || rc == ERROR_BADDB) NoteDamage(rc == ERROR_BADDB);
  return rc;
}

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

// The read-only rule, with the session already connected: whether the key at foldedPath or
// a key above it carries the mark (marks is the prepared kReadOnlyPaths).
LONG ReadOnlyIn(Hive::Session& s, sqlite3_stmt* marks, const Units& foldedPath, bool& readOnly);

// Looks up a key path, from what this process already knows when the hive's key structure has
// not changed since, else from the database. On an empty hive only the root exists.
LONG Lookup(Hive::Session& s, const Units& foldedPath, KnownKey& key);

// Distinguishes a missing item from a key that no longer exists: missing while the key's row
// is there, else ERROR_KEY_DELETED.
LONG MissingOr(Hive::Session& s, std::int64_t key, LONG missing);

// The one row that statement finds for key (bound as parameter 1; bind sets the others),
// handed to read. No row: missing, or ERROR_KEY_DELETED if the key itself is gone.
template <class Bind, class Read>
LONG ReadRow(Hive& hive, Statement statement, std::int64_t key, LONG missing, Bind bind, Read read) {
  Hive::Session s(hive);
  LONG rc = s.Connect(false);
  if (rc != ERROR_SUCCESS) return rc;
  if (s.empty) return key == kRootKeyId ? missing : ERROR_KEY_DELETED;
  sqlite3_stmt* st = nullptr;
  if ((rc = s.Prepared(statement, st)) != ERROR_SUCCESS) return rc;
  Use u(st);
  u.Int(1, key);
  bind(u);
  const int step = u.Step();
  if (step == SQLITE_DONE) return MissingOr(s, key, missing);
  if (step != SQLITE_ROW) return FromSqlite(step, s.Db());
  read(u);
  return ERROR_SUCCESS;
}

// The row at index among a key's values or subkeys (statement kEnumValue or kEnumKey), handed
// to read; past the last row, ERROR_NO_MORE_ITEMS, or ERROR_KEY_DELETED if the key is gone.
template <class Read>
LONG EnumRow(Hive& hive, Statement statement, std::int64_t key, DWORD index, Read read) {
  return ReadRow(
      hive, statement, key, ERROR_NO_MORE_ITEMS, [index](Use& u) { u.Int(2, index); }, read);
}

}  // namespace utility::platform::registry
