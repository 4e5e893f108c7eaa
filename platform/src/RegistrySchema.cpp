// Registry store: one SQLite database per root hive, keys as a tree of rows. This part holds
// the schema and its statements, the reading of SQLite results, the check that a file is a
// hive, and the making of a new hive file.
#include <bit>
#include <chrono>
#include <cstring>

#include "RegistryDatabase.h"

namespace utility::platform::registry {

static_assert(std::endian::native == std::endian::little, "names are stored as UTF-16LE");

namespace {

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

// One integer from a pragma that returns one.
int PragmaInt(sqlite3* db, const char* sql, std::int64_t& value) {
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
}

}  // namespace

const char* StatementSql(Statement s) noexcept { return kSql[s]; }

std::string NewHiveScript() {
  return "PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL; PRAGMA application_id = " +
         std::to_string(kApplicationId) + "; PRAGMA user_version = " + std::to_string(kSchemaVersion) + "; BEGIN; " +
         kSchema;
}

LONG FromSqlite(int rc, sqlite3* db) noexcept {
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
      // A file the system refuses to open for writing is a hive the caller may not change.
      if (db != nullptr && ErrorFromSystem(sqlite3_system_errno(db)) == ERROR_ACCESS_DENIED) return ERROR_ACCESS_DENIED;
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

LONG VerifyHive(sqlite3* db) {
  std::int64_t appId = 0;
  std::int64_t version = 0;
  int rc = PragmaInt(db, "PRAGMA application_id", appId);
  if (rc == SQLITE_OK) rc = PragmaInt(db, "PRAGMA user_version", version);
  if (rc != SQLITE_OK) return FromSqlite(rc, db);
  if (appId != kApplicationId || version != kSchemaVersion) return ERROR_BADDB;
  return ERROR_SUCCESS;
}

LONG IntegrityCheck(sqlite3* db) {
  sqlite3_stmt* st = nullptr;
  const int prc = sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr);
  if (prc != SQLITE_OK) return FromSqlite(prc, db);
  const int step = sqlite3_step(st);
  LONG result = FromSqlite(step, db);
  if (step == SQLITE_ROW) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    result = text != nullptr && std::strcmp(text, "ok") == 0 ? ERROR_SUCCESS : ERROR_REGISTRY_CORRUPT;
  }
  sqlite3_finalize(st);
  return result;
}

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

LONG CreateHiveFile(const std::string& path) {
  const LONG dir = EnsureParentDirectory(path);
  if (dir != ERROR_SUCCESS) return dir;
  const std::string temp = TemporarySibling(path);
  sqlite3* db = nullptr;
  int rc =
      sqlite3_open_v2(temp.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc == SQLITE_OK) {
    const std::string script = NewHiveScript() + "INSERT INTO keys(id, parent, path, name, written) VALUES(" +
                               std::to_string(kRootKeyId) + ", NULL, x'', x'', " + std::to_string(FileTimeNow()) +
                               "); COMMIT;";
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

std::string DefaultHiveFile(HKEY root) {
  const bool user = root == HKEY_CURRENT_USER;
  if (!user && root != HKEY_LOCAL_MACHINE) return {};
  return HiveDirectory(user) + "/" + (user ? "current-user.db" : "local-machine.db");
}

std::int64_t FileTimeNow() noexcept {
  constexpr std::int64_t kUnixEpochTicks = 116444736000000000LL;  // 1970-01-01 in FILETIME ticks
  const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
  return kUnixEpochTicks + std::chrono::duration_cast<std::chrono::nanoseconds>(sinceEpoch).count() / 100;
}

}  // namespace utility::platform::registry
