// Registry store: values. Reads hand the data to the caller's sink; every write is one
// transaction that also stamps its key's last change.
#include <cstring>

#include "RegistryDatabase.h"

namespace utility::platform::registry {

namespace {

void Deliver(Use& u, int column, DataSink& data) {
  const int bytes = u.ColBytes(column);
  data.size = static_cast<DWORD>(bytes);
  if (data.fits() && bytes > 0) std::memcpy(data.buffer, u.ColBlob(column), static_cast<std::size_t>(bytes));
}

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
    return ReadRow(
        *this, kQueryValue, key, ERROR_FILE_NOT_FOUND, [&](Use& u) { u.Name(2, foldedName); },
        [&](Use& u) {
          type = static_cast<DWORD>(u.ColInt(0));
          Deliver(u, 1, data);
        });
  });
}

LONG Hive::SetValue(std::int64_t key, const Units& name, const Units& foldedName, DWORD type, const BYTE* data,
                    DWORD size) {
  return Watch([&]() -> LONG {
    Session s(*this);
    LONG rc = s.Connect(true);
    if (rc != ERROR_SUCCESS) return rc;
    if ((rc = s.RefuseDamaged()) != ERROR_SUCCESS) return rc;
    sqlite3_stmt* upsert = nullptr;
    sqlite3_stmt* touch = nullptr;
    if ((rc = s.Prepared(kUpsertValue, upsert)) != ERROR_SUCCESS ||
        (rc = s.Prepared(kTouchKey, touch)) != ERROR_SUCCESS) {
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

LONG Hive::EnumValue(std::int64_t key, DWORD index, Units& name, DWORD& type, DataSink& data) {
  return Watch([&]() -> LONG {
    return EnumRow(*this, kEnumValue, key, index, [&](Use& u) {
      name = FromLittleEndian(u.ColBlob(0), u.ColBytes(0));
      type = static_cast<DWORD>(u.ColInt(1));
      Deliver(u, 2, data);
    });
  });
}

}  // namespace utility::platform::registry
