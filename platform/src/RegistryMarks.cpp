// Registry store: the marks on keys and files. A key's read-only mark refuses writes to it and
// below it; a damage mark beside a hive file refuses every write to that file, in any process,
// once a call met damage in it.
#include "RegistryDatabase.h"

namespace utility::platform::registry {

namespace {

std::string DamageMarkPath(const std::string& hivePath) { return hivePath + "-damaged"; }

// The one line of a damage mark: the file it names.
std::string DescribeIdentity(const FileIdentity& id) {
  return std::to_string(id.device) + " " + std::to_string(id.inode) + " " + std::to_string(id.size) + " " +
         std::to_string(id.changed) + "\n";
}

// Whether a mark beside the hive names the file as it is now.
bool MarkedDamaged(const std::string& hivePath, const FileIdentity& id) noexcept {
  try {
    std::string text;
    return ReadSmallFile(DamageMarkPath(hivePath), 128, text) && !text.empty() && text == DescribeIdentity(id);
  } catch (...) {
    return false;
  }
}

// Leaves the mark beside the hive. Where the mark cannot be written (a read-only directory,
// no memory), only this process knows of the damage.
void WriteDamageMark(const std::string& hivePath, const FileIdentity& id, std::uint32_t permissions) noexcept {
  try {
    WriteWholeFile(DamageMarkPath(hivePath), DescribeIdentity(id), permissions);
  } catch (...) {
  }
}

// Whether path equals marked or lies below it.
bool Covers(const Units& marked, const Units& path) {
  if (marked.empty()) return true;
  if (path.size() < marked.size() || path.compare(0, marked.size(), marked) != 0) return false;
  return path.size() == marked.size() || path[marked.size()] == u'\\';
}

}  // namespace

LONG Hive::Session::RefuseDamaged() {
  FileStatus now;
  if (StatFile(m_hive.m_path, now) != ERROR_SUCCESS) return ERROR_SUCCESS;  // no file, nothing damaged
  if (m_state.damaged && m_state.damagedFile == now.identity) return ERROR_BADDB;
  if (!MarkedDamaged(m_hive.m_path, now.identity)) return ERROR_SUCCESS;
  m_state.damaged = true;
  m_state.damagedFile = now.identity;
  return ERROR_BADDB;
}

void Hive::NoteDamage(bool onlyIfConnected) noexcept {
  std::lock_guard<std::mutex> lock(m_state->mutex);
  if (onlyIfConnected && m_state->db == nullptr) return;  // the file failed its checks: no hive
  FileStatus now;
  if (StatFile(m_path, now) != ERROR_SUCCESS) return;
  if (m_state->damaged && m_state->damagedFile == now.identity) return;
  m_state->damaged = true;
  m_state->damagedFile = now.identity;
  WriteDamageMark(m_path, now.identity, m_state->permissions);
}

LONG Hive::Check() {
  return Watch([&]() -> LONG {
    Session s(*this);
    const LONG rc = s.Connect(false, true);
    if (rc != ERROR_SUCCESS || s.empty) return rc;
    return IntegrityCheck(s.Db());
  });
}

LONG ReadOnlyIn(Hive::Session& s, sqlite3_stmt* marks, const Units& foldedPath, bool& readOnly) {
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

LONG Hive::IsReadOnly(const Units& foldedPath, bool& readOnly) {
  return Watch([&]() -> LONG {
    readOnly = false;
    Session s(*this);
    LONG rc = s.Connect(false, true);
    if (rc != ERROR_SUCCESS) return rc;
    if (m_state->writeProtected) {
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

}  // namespace utility::platform::registry
