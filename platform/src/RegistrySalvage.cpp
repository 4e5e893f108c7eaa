// Registry store: salvage of a damaged hive. Every row that SQLite still gives is copied into
// a new hive, which gets its name only once it is complete and sound.
#include <functional>
#include <memory>
#include <utility>

#include "RegistryDatabase.h"

namespace utility::platform::registry {

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

// Everything read from the damaged hive.
struct Salvaged {
  std::unique_ptr<SalvagedKey> root;
  std::map<Units, SalvagedKey> keys;  // by folded path
  std::vector<SalvagedValue> values;
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

// Reads a table's rows in row id order and hands each to take (the statement, with the row id
// in column 0 and `columns` after it), which tells whether the row was usable. A scan goes as
// far as the pages give rows; past a page that fails, each row id is looked up alone until one
// reads, and the scan resumes from there. So a bad page loses the rows on it and no others;
// lost counts the ids that failed and the rows that take refused.
LONG ReadRows(sqlite3* db, const char* table, const char* columns, const std::function<bool(sqlite3_stmt*)>& take,
              DWORD& lost) {
  const std::int64_t bound = RowIdBound(db, table);
  OwnedStatement scan, one;
  const std::string from = std::string("SELECT id, ") + columns + " FROM " + table;
  int rc = sqlite3_prepare_v2(db, (from + " WHERE id >= ?1 ORDER BY id").c_str(), -1, &scan.st, nullptr);
  if (rc == SQLITE_OK) rc = sqlite3_prepare_v2(db, (from + " WHERE id = ?1").c_str(), -1, &one.st, nullptr);
  if (rc != SQLITE_OK) return FromSqlite(rc, db);  // the schema itself cannot be read
  auto row = [&](sqlite3_stmt* st) {
    if (!take(st)) ++lost;
  };
  std::int64_t next = 1;
  while (next <= bound) {
    sqlite3_reset(scan.st);
    sqlite3_bind_int64(scan.st, 1, next);
    while ((rc = sqlite3_step(scan.st)) == SQLITE_ROW) {
      next = sqlite3_column_int64(scan.st, 0) + 1;
      row(scan.st);
    }
    sqlite3_reset(scan.st);
    if (rc == SQLITE_DONE) break;
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

Units NameAt(sqlite3_stmt* st, int column) {
  return FromLittleEndian(sqlite3_column_blob(st, column), sqlite3_column_bytes(st, column));
}

// Every readable key and value row of the damaged hive.
LONG ReadSalvage(sqlite3* db, Salvaged& found, SalvageCounts& counts) {
  LONG rc = ReadRows(
      db, "keys", "path, name, readonly, written",
      [&](sqlite3_stmt* st) {
        if (!EvenBlob(st, 1) || !EvenBlob(st, 2)) return false;
        SalvagedKey key{sqlite3_column_int64(st, 0), NameAt(st, 2), sqlite3_column_int64(st, 3) != 0,
                        sqlite3_column_int64(st, 4)};
        Units path = FromBigEndian(sqlite3_column_blob(st, 1), sqlite3_column_bytes(st, 1));
        if (path.empty())
          found.root = std::make_unique<SalvagedKey>(std::move(key));
        else
          found.keys.emplace(std::move(path), std::move(key));
        return true;
      },
      counts.lostRows);
  if (rc != ERROR_SUCCESS) return rc;
  return ReadRows(
      db, "vals", "key, name, type, data",
      [&](sqlite3_stmt* st) {
        if (!EvenBlob(st, 2) || sqlite3_column_type(st, 4) != SQLITE_BLOB) return false;
        const auto* data = static_cast<const char*>(sqlite3_column_blob(st, 4));
        found.values.push_back(SalvagedValue{
            sqlite3_column_int64(st, 1), NameAt(st, 2), sqlite3_column_int64(st, 3),
            std::string(data == nullptr ? "" : data, static_cast<std::size_t>(sqlite3_column_bytes(st, 4)))});
        return true;
      },
      counts.lostRows);
}

// Runs SQL that returns no rows and must succeed.
int Run(sqlite3* db, const std::string& sql) { return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr); }

// Writes the salvaged rows into a new hive database. Keys go in path order, so that every
// parent precedes its children; a parent whose row was lost is made again from the folded
// name in its children's paths (its original case is gone with its row).
class SalvageWriter {
 public:
  explicit SalvageWriter(SalvageCounts& counts) : m_counts(counts) {}

  LONG Open(const std::string& path) {
    int rc = sqlite3_open_v2(path.c_str(), &m_out.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                             nullptr);
    if (rc == SQLITE_OK) rc = Run(m_out.db, "PRAGMA foreign_keys = ON; " + NewHiveScript());
    if (rc == SQLITE_OK) {
      rc = sqlite3_prepare_v2(
          m_out.db, "INSERT INTO keys(id, parent, path, name, readonly, written) VALUES(?1, ?2, ?3, ?4, ?5, ?6)", -1,
          &m_insertKey.st, nullptr);
    }
    if (rc == SQLITE_OK) {
      rc = sqlite3_prepare_v2(m_out.db,
                              "INSERT OR IGNORE INTO vals(key, fold, name, type, data) VALUES(?1, ?2, ?3, ?4, ?5)", -1,
                              &m_insertValue.st, nullptr);
    }
    return FromSqlite(rc, m_out.db);
  }

  LONG WriteKeys(const SalvagedKey* root, const std::map<Units, SalvagedKey>& keys) {
    int rc =
        Insert(0, Units(), Units(), root != nullptr && root->readOnly, root != nullptr ? root->written : FileTimeNow());
    if (rc != SQLITE_DONE) return FromSqlite(rc, m_out.db);
    if (root != nullptr) m_ids[root->id] = kRootKeyId;
    for (const auto& [folded, key] : keys) {
      const std::size_t cut = folded.rfind(u'\\');
      const std::int64_t parent = ParentOf(cut == Units::npos ? Units() : folded.substr(0, cut), key.written);
      if (parent == 0) return ERROR_REGISTRY_IO_FAILED;
      if ((rc = Insert(parent, folded, key.name, key.readOnly, key.written)) != SQLITE_DONE)
        return FromSqlite(rc, m_out.db);
      m_ids[key.id] = m_made[folded];
      ++m_counts.keys;
    }
    return ERROR_SUCCESS;
  }

  LONG WriteValues(const std::vector<SalvagedValue>& values) {
    for (const SalvagedValue& v : values) {
      const auto key = m_ids.find(v.key);
      if (key == m_ids.end()) {
        ++m_counts.lostRows;  // its key's row could not be read: nothing says where it belongs
        continue;
      }
      const Units folded = Fold(v.name.data(), v.name.size());
      Use u(m_insertValue.st);
      u.Int(1, key->second);
      u.Name(2, folded);
      u.Name(3, v.name);
      u.Int(4, v.type);
      u.Blob(5, v.data.data(), v.data.size());
      const int rc = u.Step();
      if (rc != SQLITE_DONE) return FromSqlite(rc, m_out.db);
      if (sqlite3_changes(m_out.db) == 1)
        ++m_counts.values;
      else
        ++m_counts.lostRows;  // a second row with the same name: the first one stays
    }
    return ERROR_SUCCESS;
  }

  // Commits; the new hive must be sound before it gets its name.
  LONG Finish() {
    const int rc = Run(m_out.db, "COMMIT");
    if (rc != SQLITE_OK) return FromSqlite(rc, m_out.db);
    return IntegrityCheck(m_out.db);
  }

 private:
  int Insert(std::int64_t parent, const Units& folded, const Units& name, bool readOnly, std::int64_t written) {
    const std::int64_t id = m_nextId++;
    const std::string blob = BigEndian(folded);
    Use u(m_insertKey.st);
    u.Int(1, id);
    if (parent != 0) u.Int(2, parent);
    u.Path(3, blob);
    u.Name(4, name);
    u.Int(5, readOnly ? 1 : 0);
    u.Int(6, written);
    const int step = u.Step();
    if (step == SQLITE_DONE) m_made[folded] = id;
    return step;
  }

  // The id of the key at a folded path, made (with its missing parents) when no row gave it.
  std::int64_t ParentOf(const Units& folded, std::int64_t written) {
    const auto found = m_made.find(folded);
    if (found != m_made.end()) return found->second;
    const std::size_t cut = folded.rfind(u'\\');
    const std::int64_t parent = ParentOf(cut == Units::npos ? Units() : folded.substr(0, cut), written);
    const Units name = cut == Units::npos ? folded : folded.substr(cut + 1);
    if (parent == 0 || Insert(parent, folded, name, false, written) != SQLITE_DONE) return 0;
    ++m_counts.rebuiltKeys;
    return m_made[folded];
  }

  SalvageCounts& m_counts;
  OwnedConnection m_out;  // closed (its log folded in) when the writer goes
  OwnedStatement m_insertKey, m_insertValue;
  std::map<Units, std::int64_t> m_made;        // folded path -> id in the new hive
  std::map<std::int64_t, std::int64_t> m_ids;  // id in the damaged hive -> id in the new one
  std::int64_t m_nextId = kRootKeyId;
};

LONG WriteSalvage(const std::string& path, const Salvaged& found, SalvageCounts& counts) {
  SalvageWriter out(counts);
  LONG rc = out.Open(path);
  if (rc == ERROR_SUCCESS) rc = out.WriteKeys(found.root.get(), found.keys);
  if (rc == ERROR_SUCCESS) rc = out.WriteValues(found.values);
  return rc == ERROR_SUCCESS ? out.Finish() : rc;
}

// The damaged file is never the one replaced, and an existing output only with replace.
LONG CheckSalvagePaths(const std::string& from, const std::string& to, bool replace) {
  FileStatus source, target;
  const LONG rc = StatFile(from, source);
  if (rc != ERROR_SUCCESS) return rc == ERROR_PATH_NOT_FOUND ? ERROR_FILE_NOT_FOUND : rc;
  if (source.directory) return ERROR_DIRECTORY;
  if (StatFile(to, target) == ERROR_SUCCESS) {
    if (target.identity.SameFile(source.identity)) return ERROR_INVALID_PARAMETER;
    if (!replace) return ERROR_FILE_EXISTS;
    if (target.directory) return ERROR_DIRECTORY;
  }
  return ERROR_SUCCESS;
}

// Read-only: the connection never writes the damaged file or folds its log into it. Only a
// hive is salvaged: another program's database is no hive, damaged or not.
LONG OpenDamaged(const std::string& from, OwnedConnection& in) {
  const int rc = sqlite3_open_v2(from.c_str(), &in.db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) return FromSqlite(rc, in.db);
  sqlite3_extended_result_codes(in.db, 1);
  sqlite3_busy_timeout(in.db, kBusyTimeoutMs);
  sqlite3_db_config(in.db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_db_config(in.db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
  return VerifyHive(in.db);
}

}  // namespace

LONG SalvageHive(const std::string& from, const std::string& to, bool replace, SalvageCounts& counts) {
  counts = SalvageCounts{};
  LONG result = CheckSalvagePaths(from, to, replace);
  if (result != ERROR_SUCCESS) return result;
  Salvaged found;
  {
    OwnedConnection in;
    if ((result = OpenDamaged(from, in)) != ERROR_SUCCESS) return result;
    if ((result = ReadSalvage(in.db, found, counts)) != ERROR_SUCCESS) return result;
  }
  if ((result = EnsureParentDirectory(to)) != ERROR_SUCCESS) return result;
  const std::string temp = TemporarySibling(to);
  result = WriteSalvage(temp, found, counts);
  if (result != ERROR_SUCCESS) {
    RemoveTemporary(temp);
    return result;
  }
  if (replace) return ReplaceHiveFile(temp, to);
  // PublishHiveFile keeps a file that appeared meanwhile; it is not ours to replace.
  return PublishHiveFile(temp, to);
}

}  // namespace utility::platform::registry
