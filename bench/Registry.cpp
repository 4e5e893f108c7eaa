// ReadKey and WriteKey of a number and of a text, each beside raw SQLite doing the same
// single-row read or durable single-row write on the same hive database, in the same run.
// The baseline keeps one connection and prepared statements, and knows the key's row id; the
// operations open and close the sub-key on every call, as they are documented to.
#include <sqlite3.h>
#include <stdlib.h>

#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>

#include <Utility/Platform/Registry.h>
#include <Utility/Utility.h>

namespace {

const WCHAR* W(const char16_t* s) { return reinterpret_cast<const WCHAR*>(s); }

const char16_t* const kSubKey = u"Software\\Tarnwell\\Bench";

// A hive in a temporary directory on the same disk as the tests' (TMPDIR or /tmp), shared by
// every case of the run, with the values the cases read.
class BenchHive {
 public:
  BenchHive() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != 0 ? tmp : "/tmp") + "/utility-bench-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    m_dir = pattern;
    file = m_dir + "/bench.db";
    if (RegLoadAppKeyW(CString(file.c_str()), &root, KEY_ALL_ACCESS, 0, 0) != ERROR_SUCCESS) {
      throw std::runtime_error("cannot create the hive");
    }
    CUtility::WriteKey(root, W(kSubKey), W(u"Number"), 42u);
    CUtility::WriteKey(root, W(kSubKey), W(u"Text"), CString(u"C:\\Program Files\\Tarnwell\\data\\settings.ini"));

    // The raw connection: the settings the store uses, and the same rows.
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
      throw std::runtime_error("cannot open the hive with SQLite");
    }
    sqlite3_busy_timeout(db, 15000);
    sqlite3_exec(db, "PRAGMA synchronous = FULL; PRAGMA foreign_keys = ON;", nullptr, nullptr, nullptr);
    sqlite3_stmt* find = nullptr;
    sqlite3_prepare_v2(db, "SELECT key FROM vals WHERE fold = ?1", -1, &find, nullptr);
    const char16_t fold[] = u"NUMBER";
    sqlite3_bind_blob(find, 1, fold, 12, SQLITE_STATIC);
    if (sqlite3_step(find) != SQLITE_ROW) throw std::runtime_error("the bench value is missing");
    keyId = sqlite3_column_int64(find, 0);
    sqlite3_finalize(find);
    sqlite3_prepare_v3(db, "SELECT type, data FROM vals WHERE key = ?1 AND fold = ?2", -1, SQLITE_PREPARE_PERSISTENT,
                       &read, nullptr);
    sqlite3_prepare_v3(db,
                       "INSERT INTO vals(key, fold, name, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
                       "ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data",
                       -1, SQLITE_PREPARE_PERSISTENT, &write, nullptr);
  }
  ~BenchHive() {
    sqlite3_finalize(read);
    sqlite3_finalize(write);
    sqlite3_close_v2(db);
    RegCloseKey(root);
    std::error_code ec;
    std::filesystem::remove_all(m_dir, ec);
  }

  std::string file;
  HKEY root = nullptr;
  sqlite3* db = nullptr;
  sqlite3_stmt* read = nullptr;
  sqlite3_stmt* write = nullptr;
  sqlite3_int64 keyId = 0;

 private:
  std::string m_dir;
};

BenchHive& Hive() {
  static BenchHive hive;
  return hive;
}

// The raw single-row read of one value's data into a caller's buffer.
bool RawRead(const char16_t* fold, std::size_t units, void* out, std::size_t capacity) {
  BenchHive& h = Hive();
  sqlite3_bind_int64(h.read, 1, h.keyId);
  sqlite3_bind_blob(h.read, 2, fold, static_cast<int>(units * 2), SQLITE_STATIC);
  bool ok = sqlite3_step(h.read) == SQLITE_ROW;
  if (ok) {
    const auto n = static_cast<std::size_t>(sqlite3_column_bytes(h.read, 1));
    ok = n <= capacity;
    if (ok) std::memcpy(out, sqlite3_column_blob(h.read, 1), n);
  }
  sqlite3_reset(h.read);
  return ok;
}

// The raw durable single-row write (one autocommit transaction, fully synced).
bool RawWrite(const char16_t* fold, const char16_t* name, std::size_t units, DWORD type, const void* data,
              std::size_t size) {
  BenchHive& h = Hive();
  sqlite3_bind_int64(h.write, 1, h.keyId);
  sqlite3_bind_blob(h.write, 2, fold, static_cast<int>(units * 2), SQLITE_STATIC);
  sqlite3_bind_blob(h.write, 3, name, static_cast<int>(units * 2), SQLITE_STATIC);
  sqlite3_bind_int64(h.write, 4, type);
  sqlite3_bind_blob(h.write, 5, data, static_cast<int>(size), SQLITE_STATIC);
  const bool ok = sqlite3_step(h.write) == SQLITE_DONE;
  sqlite3_reset(h.write);
  return ok;
}

void BM_Ours_ReadNumber(benchmark::State& state) {
  BenchHive& h = Hive();
  for (auto _ : state) {
    DWORD n = 0;
    if (CUtility::ReadKey(h.root, W(kSubKey), W(u"Number"), n) != ERROR_SUCCESS) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(n);
  }
}

void BM_Sqlite_ReadNumber(benchmark::State& state) {
  for (auto _ : state) {
    DWORD n = 0;
    if (!RawRead(u"NUMBER", 6, &n, sizeof n)) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(n);
  }
}

void BM_Ours_ReadText(benchmark::State& state) {
  BenchHive& h = Hive();
  for (auto _ : state) {
    CString text;
    if (CUtility::ReadKey(h.root, W(kSubKey), W(u"Text"), text) != ERROR_SUCCESS) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(text.GetString());
  }
}

void BM_Sqlite_ReadText(benchmark::State& state) {
  for (auto _ : state) {
    BYTE buffer[249];
    if (!RawRead(u"TEXT", 4, buffer, sizeof buffer)) state.SkipWithError("read failed");
    CString text(reinterpret_cast<const WCHAR*>(buffer));  // the same text object the operation builds
    benchmark::DoNotOptimize(text.GetString());
  }
}

void BM_Ours_WriteNumber(benchmark::State& state) {
  BenchHive& h = Hive();
  DWORD n = 0;
  for (auto _ : state) {
    if (CUtility::WriteKey(h.root, W(kSubKey), W(u"Counter"), ++n) != ERROR_SUCCESS)
      state.SkipWithError("write failed");
  }
}

void BM_Sqlite_WriteNumber(benchmark::State& state) {
  DWORD n = 0;
  for (auto _ : state) {
    ++n;
    if (!RawWrite(u"COUNTER", u"Counter", 7, REG_DWORD, &n, sizeof n)) state.SkipWithError("write failed");
  }
}

// Two texts written in turn: writing the bytes a row already holds would leave the database
// unchanged, and SQLite then skips the write and its sync.
const CString kTexts[2] = {CString(u"C:\\Program Files\\Tarnwell\\data\\recent-1.ini"),
                           CString(u"C:\\Program Files\\Tarnwell\\data\\recent-2.ini")};

void BM_Ours_WriteText(benchmark::State& state) {
  BenchHive& h = Hive();
  unsigned turn = 0;
  for (auto _ : state) {
    if (CUtility::WriteKey(h.root, W(kSubKey), W(u"Recent"), kTexts[++turn % 2]) != ERROR_SUCCESS) {
      state.SkipWithError("write failed");
    }
  }
}

void BM_Sqlite_WriteText(benchmark::State& state) {
  unsigned turn = 0;
  for (auto _ : state) {
    const CString& text = kTexts[++turn % 2];
    const auto size = static_cast<std::size_t>(text.GetLength() + 1) * 2;
    if (!RawWrite(u"RECENT", u"Recent", 6, REG_SZ, text.GetString(), size)) state.SkipWithError("write failed");
  }
}

}  // namespace

BENCHMARK(BM_Ours_ReadNumber);
BENCHMARK(BM_Sqlite_ReadNumber);
BENCHMARK(BM_Ours_ReadText);
BENCHMARK(BM_Sqlite_ReadText);
BENCHMARK(BM_Ours_WriteNumber);
BENCHMARK(BM_Sqlite_WriteNumber);
BENCHMARK(BM_Ours_WriteText);
BENCHMARK(BM_Sqlite_WriteText);
