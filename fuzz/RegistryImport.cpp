// The registry text import with any text: it writes what it reads or stops with a usage error or
// a registry error, never a crash; and what it wrote survives an export and a second import
// unchanged (export, import into a fresh hive, export again: the same text).
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include <Utility/Platform/Registry.h>
#include <Utility/Platform/String.h>

#include "Command.h"
#include "commands/RegistryText.h"

namespace {

using namespace utility::cli;

// Hives are written with synchronous commits; tmpfs makes that cheap.
const std::string& Directory() {
  static const std::string dir = [] {
    std::string pattern =
        access("/dev/shm", W_OK) == 0 ? "/dev/shm/utility-fuzz-import-XXXXXX" : "/tmp/utility-fuzz-import-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) abort();
    return pattern;
  }();
  return dir;
}

// Every key line names a key of one hive, as `utility reg import --hive` reads them.
class HiveRoot : public regtext::RootResolver {
 public:
  explicit HiveRoot(HKEY hive) : m_hive(hive) {}
  void Resolve(const std::string& text, HKEY& root, std::u16string& path) const override {
    root = m_hive;
    path = regtext::FromUtf8(text);
    while (!path.empty() && path.front() == u'\\') path.erase(0, 1);
  }

 private:
  HKEY m_hive;
};

// A fresh, empty hive file; the key is closed and the file removed when it goes.
class Hive {
 public:
  explicit Hive(const char* name) : m_file(Directory() + "/" + name) {
    Remove();
    if (RegLoadAppKeyW(CString(m_file.c_str()), &m_key, KEY_ALL_ACCESS, 0, 0) != ERROR_SUCCESS) abort();
  }
  ~Hive() {
    RegCloseKey(m_key);
    Remove();
  }
  Hive(const Hive&) = delete;
  Hive& operator=(const Hive&) = delete;
  HKEY Key() const { return m_key; }

 private:
  void Remove() const {
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) unlink((m_file + suffix).c_str());
  }
  std::string m_file;
  HKEY m_key = nullptr;
};

std::string Export(HKEY hive) {
  std::ostringstream text;
  regtext::ExportTree(hive, "", u"", text);
  return text.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  if (size > 4096) return -1;  // a long text only repeats what a short one reaches
  std::string first;
  {
    Hive hive("first.hive");
    std::istringstream in(std::string(reinterpret_cast<const char*>(bytes), size));
    try {
      regtext::ImportText(in, HiveRoot(hive.Key()));
    } catch (const UsageError&) {
    } catch (const Failure&) {
    }
    // Whatever the import wrote before it stopped must export and import again.
    first = Export(hive.Key());
  }
  Hive again("again.hive");
  std::istringstream in(first);
  try {
    regtext::ImportText(in, HiveRoot(again.Key()));
  } catch (const std::exception& e) {
    fprintf(stderr, "an export does not import: %s\n%s", e.what(), first.c_str());
    abort();
  }
  if (Export(again.Key()) != first) {
    fprintf(stderr, "an export changed in a round trip:\n%s", first.c_str());
    abort();
  }
  return 0;
}
