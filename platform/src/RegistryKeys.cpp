// Registry store: keys. Lookups of key paths (remembered while the hive's key structure stays
// the same), creation of the missing keys of a path in one transaction, enumeration,
// description and deletion of keys.
#include "RegistryDatabase.h"

namespace utility::platform::registry {

namespace {

// How many key paths a process remembers per hive before it starts afresh.
constexpr std::size_t kKnownKeysLimit = 4096;

// The statements a key creation uses, prepared in its session.
struct KeyStatements {
  sqlite3_stmt* find = nullptr;
  sqlite3_stmt* insert = nullptr;
  sqlite3_stmt* touch = nullptr;
  sqlite3_stmt* marks = nullptr;
};

LONG Prepare(Hive::Session& s, KeyStatements& st) {
  LONG rc = s.Prepared(kFindKey, st.find);
  if (rc == ERROR_SUCCESS) rc = s.Prepared(kInsertKey, st.insert);
  if (rc == ERROR_SUCCESS) rc = s.Prepared(kTouchKey, st.touch);
  if (rc == ERROR_SUCCESS) rc = s.Prepared(kReadOnlyPaths, st.marks);
  return rc;
}

// The row id of the key at a folded path (big-endian, as stored); 0 when there is none.
LONG FindRow(Hive::Session& s, sqlite3_stmt* find, const std::string& path, std::int64_t& id) {
  Use u(find);
  u.Path(1, path);
  const int step = u.Step();
  id = step == SQLITE_ROW ? u.ColInt(0) : 0;
  return step == SQLITE_ROW || step == SQLITE_DONE ? ERROR_SUCCESS : FromSqlite(step, s.Db());
}

// Adds the key name below parent (whose folded path is parentPath) with the folded path blob,
// as stored, and stamps the parent's last change. A new key below a read-only key is refused,
// as writing to that key would be.
LONG InsertKey(Hive::Session& s, const KeyStatements& st, std::int64_t parent, const Units& parentPath,
               const Units& name, const std::string& blob, std::int64_t now, std::int64_t& id) {
  bool parentReadOnly = false;
  LONG rc = ReadOnlyIn(s, st.marks, parentPath, parentReadOnly);
  if (rc != ERROR_SUCCESS) return rc;
  if (parentReadOnly) return ERROR_ACCESS_DENIED;
  {
    Use u(st.insert);
    u.Int(1, parent);
    u.Path(2, blob);
    u.Name(3, name);
    u.Int(4, now);
    const int step = u.Step();
    if (step != SQLITE_DONE) return FromSqlite(step, s.Db());
  }
  id = sqlite3_last_insert_rowid(s.Db());
  Use u(st.touch);
  u.Int(1, parent);
  u.Int(2, now);
  const int step = u.Step();
  return step == SQLITE_DONE ? ERROR_SUCCESS : FromSqlite(step, s.Db());
}

// Walks from the key at basePath down names inside the open write transaction, creating
// what is missing; path and current end at the last key.
LONG Walk(Hive::Session& s, const KeyStatements& st, const std::vector<Units>& names, Units& path,
          std::int64_t& current, bool& created) {
  LONG rc = FindRow(s, st.find, BigEndian(path), current);
  if (rc != ERROR_SUCCESS) return rc;
  if (current == 0) return ERROR_KEY_DELETED;
  const std::int64_t now = FileTimeNow();
  for (const Units& name : names) {
    const std::size_t parentLength = path.size();
    if (!path.empty()) path += u'\\';
    path += Fold(name.data(), name.size());
    const std::string blob = BigEndian(path);
    std::int64_t next = 0;
    if ((rc = FindRow(s, st.find, blob, next)) != ERROR_SUCCESS) return rc;
    if (next == 0) {
      rc = InsertKey(s, st, current, path.substr(0, parentLength), name, blob, now, next);
      if (rc != ERROR_SUCCESS) return rc;
      created = true;
    }
    current = next;
  }
  return ERROR_SUCCESS;
}

// The write part of CreateKey: the keys of the path that do not exist yet, made in one
// transaction, with the read-only rule checked against what the transaction sees.
LONG CreateMissing(Hive& hive, const Units& basePath, const std::vector<Units>& names, bool wantWrite, std::int64_t& id,
                   bool& created) {
  Hive::Session s(hive);
  LONG rc = s.Connect(true, true);
  if (rc != ERROR_SUCCESS) return rc;
  if ((rc = s.RefuseDamaged()) != ERROR_SUCCESS) return rc;
  if (s.Shared().writeProtected) return ERROR_ACCESS_DENIED;
  if ((rc = s.Exec(kBeginImmediate)) != ERROR_SUCCESS) return rc;
  auto fail = [&s](LONG e) {
    s.Exec(kRollback);
    return e;
  };
  KeyStatements st;
  Units path = basePath;
  std::int64_t current = kRootKeyId;
  if ((rc = Prepare(s, st)) != ERROR_SUCCESS || (rc = Walk(s, st, names, path, current, created)) != ERROR_SUCCESS) {
    return fail(rc);
  }
  if (wantWrite && !created) {
    // Another process created the key meanwhile: the read-only rule still applies.
    bool readOnly = false;
    if ((rc = ReadOnlyIn(s, st.marks, path, readOnly)) != ERROR_SUCCESS) return fail(rc);
    if (readOnly) return fail(ERROR_ACCESS_DENIED);
  }
  if ((rc = s.Exec(kCommit)) != ERROR_SUCCESS) {
    created = false;
    return fail(rc);
  }
  id = current;
  return ERROR_SUCCESS;
}

// One row of a key's statistics statement into info.
LONG ReadStats(Hive::Session& s, sqlite3_stmt* st, std::int64_t key, DWORD& count, DWORD& maxName, DWORD* maxData) {
  Use u(st);
  u.Int(1, key);
  const int step = u.Step();
  if (step != SQLITE_ROW) return FromSqlite(step, s.Db());
  count = static_cast<DWORD>(u.ColInt(0));
  maxName = static_cast<DWORD>(u.ColInt(1) / 2);
  if (maxData != nullptr) *maxData = static_cast<DWORD>(u.ColInt(2));
  return ERROR_SUCCESS;
}

// What QueryInfo reports, inside its read transaction.
LONG ReadInfo(Hive::Session& s, std::int64_t key, KeyInfo& info) {
  sqlite3_stmt* written = nullptr;
  sqlite3_stmt* keys = nullptr;
  sqlite3_stmt* vals = nullptr;
  LONG rc = s.Prepared(kKeyWritten, written);
  if (rc == ERROR_SUCCESS) rc = s.Prepared(kSubKeyStats, keys);
  if (rc == ERROR_SUCCESS) rc = s.Prepared(kValueStats, vals);
  if (rc != ERROR_SUCCESS) return rc;
  {
    Use u(written);
    u.Int(1, key);
    const int step = u.Step();
    if (step == SQLITE_DONE) return ERROR_KEY_DELETED;
    if (step != SQLITE_ROW) return FromSqlite(step, s.Db());
    info.written = u.ColInt(0);
  }
  if ((rc = ReadStats(s, keys, key, info.subKeys, info.maxSubKeyName, nullptr)) != ERROR_SUCCESS) return rc;
  return ReadStats(s, vals, key, info.values, info.maxValueName, &info.maxValueData);
}

}  // namespace

LONG Lookup(Hive::Session& s, const Units& foldedPath, KnownKey& key) {
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
  std::int64_t id = 0;
  if ((rc = FindRow(s, find, BigEndian(foldedPath), id)) != ERROR_SUCCESS) return rc;
  if (id == 0) return ERROR_FILE_NOT_FOUND;
  key.id = id;
  key.readOnly = false;
  if ((rc = ReadOnlyIn(s, marks, foldedPath, key.readOnly)) != ERROR_SUCCESS) return rc;
  if (cacheable) state.known[foldedPath] = key;
  return ERROR_SUCCESS;
}

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

LONG Hive::CreateKey(const Units& basePath, const std::vector<Units>& names, bool wantWrite, std::int64_t& id,
                     bool& created) {
  return Watch([&]() -> LONG {
    created = false;
    Units fullPath = basePath;
    for (const Units& n : names) {
      if (!fullPath.empty()) fullPath += u'\\';
      fullPath += Fold(n.data(), n.size());
    }
    // Most calls open a key that exists: that needs no write transaction.
    LONG rc = FindKey(fullPath, id);
    if (rc == ERROR_SUCCESS) {
      bool readOnly = false;
      if (wantWrite) {
        if ((rc = IsReadOnly(fullPath, readOnly)) != ERROR_SUCCESS) return rc;
        if (readOnly) return ERROR_ACCESS_DENIED;
      }
      return ERROR_SUCCESS;
    }
    if (rc != ERROR_FILE_NOT_FOUND) return rc;
    return CreateMissing(*this, basePath, names, wantWrite, id, created);
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
    // One read transaction, so that the counts and sizes describe one moment.
    if ((rc = s.Exec(kBegin)) != ERROR_SUCCESS) return rc;
    rc = ReadInfo(s, key, info);
    const LONG end = s.Exec(rc == ERROR_SUCCESS ? kCommit : kRollback);
    return rc != ERROR_SUCCESS ? rc : end;
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
    if ((rc = s.Prepared(kHasChildren, children)) != ERROR_SUCCESS ||
        (rc = s.Prepared(kParentOf, parentOf)) != ERROR_SUCCESS ||
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

}  // namespace utility::platform::registry
