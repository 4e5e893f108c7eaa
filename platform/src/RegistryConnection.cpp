// Registry store: this process's connection to a hive file. A connection is opened on first
// use, checked to be a hive, and opened again when the file at the hive's path is replaced or
// removed, or when the process is a child that inherited its parent's.
#include "RegistryDatabase.h"

namespace utility::platform::registry {

void Hive::State::Close() noexcept {
  known.clear();
  knownGeneration = 1;
  generation.Unmap();
  if (db == nullptr) return;
  if (owner == CurrentProcess()) {
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

LONG Hive::Session::Connect(bool forWrite, bool verifyFile) {
  const bool connected = m_state.db != nullptr && m_state.owner == CurrentProcess();
  if (connected && !verifyFile) return ERROR_SUCCESS;
  FileStatus now;
  StatFile(m_hive.m_path, now);
  m_state.permissions = now.permissions;
  m_state.writeProtected = now.exists && now.writeProtected;
  if (connected && now.exists && now.identity.SameFile(m_state.file)) return ERROR_SUCCESS;
  // No connection yet, one inherited from a parent process, or the file was replaced or
  // removed (a hive restored from a copy, or deleted to start afresh): connect anew.
  m_state.Close();
  if (!now.exists) {
    if (!forWrite) {
      empty = true;
      return ERROR_SUCCESS;
    }
    const LONG created = CreateHiveFile(m_hive.m_path);
    if (created != ERROR_SUCCESS) return created;
  }
  return OpenConnection();
}

LONG Hive::Session::OpenConnection() {
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(m_hive.m_path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    const LONG e = FromSqlite(rc, db);
    sqlite3_close_v2(db);
    return e;
  }
  sqlite3_extended_result_codes(db, 1);
  sqlite3_busy_handler(db, &utility::platform::BusyWait::Handler, &m_state.busy);
  sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
  LONG checked = VerifyHive(db);
  if (checked == ERROR_SUCCESS) {
    checked = FromSqlite(
        sqlite3_exec(db, "PRAGMA foreign_keys = ON; PRAGMA synchronous = FULL;", nullptr, nullptr, nullptr), db);
  }
  if (checked != ERROR_SUCCESS) {
    sqlite3_close_v2(db);
    return checked;
  }
  FileStatus opened;
  if (StatFile(m_hive.m_path, opened) != ERROR_SUCCESS) {
    sqlite3_close_v2(db);
    return ERROR_FILE_NOT_FOUND;
  }
  m_state.db = db;
  m_state.owner = CurrentProcess();
  m_state.file = opened.identity;
  m_state.permissions = opened.permissions;
  m_state.writeProtected = opened.writeProtected;
  m_state.generation.Map(m_hive.m_path, opened.permissions);
  return ERROR_SUCCESS;
}

LONG Hive::Session::Prepared(Statement s, sqlite3_stmt*& out) {
  sqlite3_stmt*& slot = m_state.statements[s];
  if (slot == nullptr) {
    m_prepareResult = sqlite3_prepare_v3(m_state.db, StatementSql(s), -1, SQLITE_PREPARE_PERSISTENT, &slot, nullptr);
  }
  out = slot;
  return out == nullptr ? FromSqlite(m_prepareResult) : ERROR_SUCCESS;
}

LONG Hive::Session::Exec(Statement s) {
  sqlite3_stmt* st = nullptr;
  const LONG rc = Prepared(s, st);
  if (rc != ERROR_SUCCESS) return rc;
  Use u(st);
  return FromSqlite(u.Step());
}

Hive::Hive(std::string nativePath) : m_path(std::move(nativePath)), m_state(std::make_unique<State>()) {}

Hive::~Hive() { m_state->Close(); }

LONG Hive::Open(const std::string& nativePath, bool createNow, std::shared_ptr<Hive>& out) {
  // A directory can be opened for reading, so SQLite alone would report it as some other
  // failure later; it gets a code of its own here.
  FileStatus file;
  if (StatFile(nativePath, file) == ERROR_SUCCESS && file.directory) return ERROR_DIRECTORY;
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

}  // namespace utility::platform::registry
