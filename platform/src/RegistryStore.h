// Registry store: the database behind one root hive, as the registry calls see it.
// Keys are named by their case-folded path from the hive's root; every write is one
// transaction, so a crash leaves either the old or the new state, never a mix.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <Utility/Platform/Types.h>

namespace utility::platform::registry {

// UTF-16 units, as the store keeps names.
using Units = std::basic_string<WCHAR>;

// The root key of every hive.
inline constexpr std::int64_t kRootKeyId = 1;

// What RegQueryInfoKeyW reports of a key.
struct KeyInfo {
  DWORD subKeys = 0;
  DWORD maxSubKeyName = 0;  // units, without terminator
  DWORD values = 0;
  DWORD maxValueName = 0;    // units, without terminator
  DWORD maxValueData = 0;    // bytes
  std::int64_t written = 0;  // FILETIME ticks of the last change
};

// Where a value's data goes: copied into buffer when it fits capacity (and buffer is not
// null); size always receives the data's length.
struct DataSink {
  BYTE* buffer = nullptr;
  DWORD capacity = 0;
  DWORD size = 0;
  bool fits() const noexcept { return buffer != nullptr && size <= capacity; }
};

class Connection;

// One hive file. Thread-safe: calls are serialised on the hive; other processes are kept
// apart by the database's own locks. Results are Win32 error codes.
class Hive {
 public:
  // The hive in the file at nativePath. A missing file reads as an empty hive and is created
  // by the first write, or at once when createNow is set.
  static LONG Open(const std::string& nativePath, bool createNow, std::shared_ptr<Hive>& out);

  ~Hive();
  Hive(const Hive&) = delete;
  Hive& operator=(const Hive&) = delete;

  const std::string& Path() const noexcept { return m_path; }

  // Creates the hive's file if it does not exist yet.
  LONG EnsureFile();

  // Closes this process's connection; the next call opens a new one.
  void Release() noexcept;

  // The id of the key at a folded path ("" for the root, names joined by `\`).
  LONG FindKey(const Units& foldedPath, std::int64_t& id);

  // Whether the key at foldedPath, or a key above it, carries the read-only mark; whether
  // the hive file itself is write-protected.
  LONG IsReadOnly(const Units& foldedPath, bool& readOnly);

  // Opens the key at basePath followed by names (kept in their case), creating the missing
  // ones in one transaction. Creating below a read-only key, or asking for write rights
  // (wantWrite) on a read-only key, gives ERROR_ACCESS_DENIED.
  LONG CreateKey(const Units& basePath, const std::vector<Units>& names, bool wantWrite, std::int64_t& id,
                 bool& created);

  LONG QueryValue(std::int64_t key, const Units& foldedName, DWORD& type, DataSink& data);
  LONG SetValue(std::int64_t key, const Units& name, const Units& foldedName, DWORD type, const BYTE* data, DWORD size);
  LONG DeleteValue(std::int64_t key, const Units& foldedName);
  // The value at index in creation order: name, type and data (data into sink).
  LONG EnumValue(std::int64_t key, DWORD index, Units& name, DWORD& type, DataSink& data);
  // The sub-key at index in folded-name order.
  LONG EnumKey(std::int64_t key, DWORD index, Units& name, std::int64_t& written);
  LONG QueryInfo(std::int64_t key, KeyInfo& info);

  LONG SetReadOnlyMark(std::int64_t key, bool readOnly);
  LONG GetReadOnlyMark(std::int64_t key, bool& readOnly);
  // Deletes a key without sub-keys, with its values.
  LONG DeleteKey(std::int64_t key);

  // Full integrity check of the file.
  LONG Check();

  // One call's hold on the hive (its lock and this process's connection).
  class Session;

 private:
  explicit Hive(std::string nativePath);

  // Runs one call on the hive; a result that shows damage in the file is remembered and
  // marked beside the file, so that every later write to it is refused, in any process.
  template <class Call>
  LONG Watch(Call call);
  void NoteDamage(bool onlyIfConnected) noexcept;

  std::string m_path;
  struct State;
  std::unique_ptr<State> m_state;
};

// What a salvage of a damaged hive found: keys and values copied to the new hive, keys made
// again from their descendants' paths because their own rows could not be read, and rows
// that could not be read (or values whose key could not be).
struct SalvageCounts {
  DWORD keys = 0;
  DWORD values = 0;
  DWORD rebuiltKeys = 0;
  DWORD lostRows = 0;
};

// Copies every readable key and value of the hive file at from into a new hive file at to,
// row by row, leaving from untouched. An existing file at to is refused (ERROR_FILE_EXISTS)
// unless replace is set.
LONG SalvageHive(const std::string& from, const std::string& to, bool replace, SalvageCounts& counts);

// The native path of the file of a predefined root hive (HKEY_CURRENT_USER,
// HKEY_LOCAL_MACHINE), honouring UTILITY_REGISTRY_DIR; empty for other keys.
std::string DefaultHiveFile(HKEY root);

// Case folding of one name, as keys and values compare.
Units Fold(const WCHAR* name, std::size_t length);

// The current time as FILETIME ticks (100 ns since 1601-01-01 UTC).
std::int64_t FileTimeNow() noexcept;

}  // namespace utility::platform::registry
