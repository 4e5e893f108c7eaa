// A soak run: writer processes share one hive while log writers share one track log, for a
// given time; then every write that was reported committed is looked for, and the log is
// read back entry by entry.
//
//   soak [--dir DIR] [--writers 6] [--log-writers 4] [--seconds 10] [--slots 16] [--no-starving 1]
//
// Without --dir it works in a fresh temporary directory and removes it at the end.
// Each writer owns a key and cycles over --slots values of it, writing increasing sequence
// numbers, and reads a slot of another writer between writes. At the end, a slot whose stored
// number is below the last one its writer saw committed is a lost write. Prints one line per
// process and a summary; exits 1 when a write was lost, a read found a malformed value, or a
// log entry is torn, and with --no-starving 1 also when a writer never got to write.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <Utility/Platform/Path.h>
#include <Utility/Platform/Registry.h>
#include <Utility/Utility.h>

namespace {

constexpr int kMaxSlots = 64;

struct Settings {
  std::string dir;
  int writers = 6;
  int logWriters = 4;
  double seconds = 10;
  int slots = 16;
  bool noStarving = false;  // a writer without a single write fails the run
};

// What one child reports to the parent through its pipe.
struct Counts {
  std::uint64_t written = 0;  // writes reported committed
  std::uint64_t failed = 0;   // writes reported failed
  std::uint64_t read = 0;     // reads that found a value
  std::uint64_t malformed = 0;
  std::uint64_t readFailed = 0;  // reads that gave an error other than "not there yet"
  LONG lastReadError = 0;
  std::uint64_t committed[kMaxSlots] = {};  // per slot, the last sequence number reported committed
};

std::u16string Text(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }
const WCHAR* W(const std::u16string& s) { return reinterpret_cast<const WCHAR*>(s.c_str()); }
std::u16string KeyName(int writer) { return Text("Soak\\w" + std::to_string(writer)); }
std::u16string SlotName(int slot) { return Text("v" + std::to_string(slot)); }
std::string HivePath(const Settings& s) { return s.dir + "/soak.hive"; }
std::string LogPath(const Settings& s) { return s.dir + "/soak.log"; }

bool Expired(std::chrono::steady_clock::time_point end) { return std::chrono::steady_clock::now() >= end; }

HKEY OpenHive(const Settings& s) {
  HKEY hive = nullptr;
  if (RegLoadAppKeyW(utility::platform::WindowsPath(HivePath(s)), &hive, KEY_ALL_ACCESS, 0, 0) != ERROR_SUCCESS)
    return nullptr;
  return hive;
}

Counts RunWriter(const Settings& s, int self, std::chrono::steady_clock::time_point end) {
  Counts c;
  HKEY hive = OpenHive(s);
  HKEY key = nullptr;
  HKEY peer = nullptr;
  if (hive == nullptr ||
      RegCreateKeyExW(hive, W(KeyName(self)), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != 0 ||
      RegCreateKeyExW(hive, W(KeyName((self + 1) % s.writers)), 0, nullptr, 0, KEY_READ, nullptr, &peer, nullptr) !=
          0) {
    c.failed = 1;
    return c;
  }
  for (std::uint64_t seq = 1; !Expired(end); ++seq) {
    const int slot = static_cast<int>(seq % static_cast<std::uint64_t>(s.slots));
    if (RegSetValueExW(key, W(SlotName(slot)), 0, REG_QWORD, reinterpret_cast<const BYTE*>(&seq), sizeof seq) == 0) {
      ++c.written;
      c.committed[slot] = seq;
    } else {
      ++c.failed;
    }
    std::uint64_t value = 0;
    DWORD type = 0;
    DWORD size = sizeof value;
    const LONG rc = RegQueryValueExW(peer, W(SlotName(slot)), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    if (rc == 0) {
      ++c.read;
      // A peer's slot holds a number of that slot's residue class, or the read is wrong.
      if (type != REG_QWORD || size != sizeof value ||
          value % static_cast<std::uint64_t>(s.slots) != static_cast<std::uint64_t>(slot)) {
        ++c.malformed;
      }
    } else if (rc != ERROR_FILE_NOT_FOUND) {
      ++c.readFailed;
      c.lastReadError = rc;
    }
  }
  RegCloseKey(peer);
  RegCloseKey(key);
  RegCloseKey(hive);
  return c;
}

std::string EntryText(int writer, std::uint64_t n) {
  return "soak " + std::to_string(writer) + " " + std::to_string(n);
}

Counts RunLogWriter(const Settings& s, int self, std::chrono::steady_clock::time_point end) {
  Counts c;
  const CString log = utility::platform::WindowsPath(LogPath(s));
  for (std::uint64_t n = 0; !Expired(end); ++n) {
    CUtility::SaveTrackLog(log, CString(W(Text(EntryText(self, n)))), 0);
    ++c.written;  // attempts: the log drops an entry, unreported, while another writer holds it
  }
  return c;
}

// Entries of the log per writer; torn counts anything that is not a whole entry.
void ReadLog(const Settings& s, std::vector<std::uint64_t>& found, std::uint64_t& torn) {
  std::ifstream in(LogPath(s), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string rule = std::string(58, '=') + "\r\n";
  std::size_t at = 0;
  while (at < bytes.size()) {
    const std::size_t end = bytes.find("\r\n\r\n", at);
    // 58 '=', CR LF, 23 characters of time, " : soak <writer> <n>", CR LF, CR LF.
    const std::size_t text = at + rule.size() + 23;
    const std::string prefix = " : soak ";
    int writer = -1;
    bool whole = end != std::string::npos && bytes.compare(at, rule.size(), rule) == 0 && text + prefix.size() < end &&
                 bytes.compare(text, prefix.size(), prefix) == 0;
    if (whole) {
      const char* first = bytes.data() + text + prefix.size();
      const char* last = bytes.data() + end;
      const auto parsed = std::from_chars(first, last, writer);
      unsigned long long n = 0;
      whole = parsed.ec == std::errc() && parsed.ptr < last && *parsed.ptr == ' ' &&
              std::from_chars(parsed.ptr + 1, last, n).ptr == last && writer >= 0 && writer < s.logWriters;
    }
    if (!whole) {
      ++torn;
      if (end == std::string::npos) break;
    } else {
      ++found[static_cast<std::size_t>(writer)];
    }
    at = end + 4;
  }
}

bool ReadArgs(int argc, char** argv, Settings& s) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string name = argv[i];
    const char* value = argv[i + 1];
    if (name == "--dir")
      s.dir = value;
    else if (name == "--writers")
      s.writers = std::atoi(value);
    else if (name == "--log-writers")
      s.logWriters = std::atoi(value);
    else if (name == "--seconds")
      s.seconds = std::atof(value);
    else if (name == "--slots")
      s.slots = std::atoi(value);
    else if (name == "--no-starving")
      s.noStarving = std::atoi(value) != 0;
    else
      return false;
  }
  return argc % 2 == 1 && s.writers >= 1 && s.writers <= 256 && s.logWriters >= 0 && s.logWriters <= 256 &&
         s.seconds > 0 && s.slots >= 1 && s.slots <= kMaxSlots;
}

// Jain's index over per-process rates: 1 when all are equal, 1/n when one process has it all.
double Fairness(const std::vector<double>& rates) {
  double sum = 0;
  double squares = 0;
  for (double r : rates) {
    sum += r;
    squares += r * r;
  }
  return squares == 0 ? 1 : sum * sum / (static_cast<double>(rates.size()) * squares);
}

int Run(const Settings& s);

}  // namespace

int main(int argc, char** argv) {
  Settings s;
  if (!ReadArgs(argc, argv, s)) {
    std::fprintf(
        stderr,
        "usage: soak [--dir DIR] [--writers N] [--log-writers N] [--seconds S] [--slots K<=64] [--no-starving 1]\n");
    return 2;
  }
  std::filesystem::path scratch;
  if (s.dir.empty()) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != 0 ? tmp : "/tmp") + "/utility-soak-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
      std::perror("soak: mkdtemp");
      return 1;
    }
    s.dir = scratch = pattern;
  }
  const int status = Run(s);
  if (!scratch.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(scratch, ec);
  }
  return status;
}

namespace {

int Run(const Settings& s) {
  {
    HKEY hive = OpenHive(s);  // created once, before the writers race to it
    if (hive == nullptr) {
      std::fprintf(stderr, "soak: cannot create the hive in %s\n", s.dir.c_str());
      return 1;
    }
    RegCloseKey(hive);
  }
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                                          std::chrono::duration<double>(s.seconds));
  const int children = s.writers + s.logWriters;
  std::vector<pid_t> pids;
  std::vector<int> pipes;
  for (int i = 0; i < children; ++i) {
    int fds[2];
    if (pipe(fds) != 0) return 1;
    const pid_t pid = fork();
    if (pid == 0) {
      close(fds[0]);
      const Counts c = i < s.writers ? RunWriter(s, i, end) : RunLogWriter(s, i - s.writers, end);
      const bool sent = write(fds[1], &c, sizeof c) == static_cast<ssize_t>(sizeof c);
      _exit(sent ? 0 : 1);
    }
    close(fds[1]);
    if (pid < 0) return 1;
    pids.push_back(pid);
    pipes.push_back(fds[0]);
  }
  std::vector<Counts> counts(static_cast<std::size_t>(children));
  bool complete = true;
  for (int i = 0; i < children; ++i) {
    complete &= read(pipes[i], &counts[i], sizeof(Counts)) == static_cast<ssize_t>(sizeof(Counts));
    close(pipes[i]);
    int status = 0;
    waitpid(pids[i], &status, 0);
    complete &= WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
  if (!complete) {
    std::fprintf(stderr, "soak: a child process did not finish its report\n");
    return 1;
  }

  // Every slot must hold at least the last number its writer saw committed.
  HKEY hive = OpenHive(s);
  std::uint64_t written = 0, failed = 0, read = 0, malformed = 0, lost = 0, starved = 0;
  std::vector<double> rates;
  for (int w = 0; w < s.writers; ++w) {
    const Counts& c = counts[w];
    std::uint64_t mine = 0;
    HKEY key = nullptr;
    const bool open = hive != nullptr && RegOpenKeyExW(hive, W(KeyName(w)), 0, KEY_READ, &key) == 0;
    for (int slot = 0; slot < s.slots; ++slot) {
      if (c.committed[slot] == 0) continue;
      std::uint64_t value = 0;
      DWORD size = sizeof value;
      if (!open ||
          RegQueryValueExW(key, W(SlotName(slot)), nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) != 0 ||
          value < c.committed[slot]) {
        ++mine;
      }
    }
    if (open) RegCloseKey(key);
    const double rate = static_cast<double>(c.written) / s.seconds;
    rates.push_back(rate);
    std::printf(
        "writer %-3d written %9llu  failed %6llu  read %9llu  read failed %6llu (last code %ld)  lost %llu  %9.0f "
        "writes/s\n",
        w, static_cast<unsigned long long>(c.written), static_cast<unsigned long long>(c.failed),
        static_cast<unsigned long long>(c.read), static_cast<unsigned long long>(c.readFailed),
        static_cast<long>(c.lastReadError), static_cast<unsigned long long>(mine), rate);
    written += c.written;
    failed += c.failed;
    read += c.read;
    malformed += c.malformed;
    lost += mine;
    starved += c.written == 0;
  }
  if (hive != nullptr) RegCloseKey(hive);
  std::vector<std::uint64_t> found(static_cast<std::size_t>(s.logWriters));
  std::uint64_t torn = 0;
  ReadLog(s, found, torn);
  std::uint64_t attempts = 0, entries = 0;
  for (int l = 0; l < s.logWriters; ++l) {
    const Counts& c = counts[s.writers + l];
    std::printf("log writer %-3d calls %9llu  entries %9llu  %9.0f entries/s\n", l,
                static_cast<unsigned long long>(c.written), static_cast<unsigned long long>(found[l]),
                static_cast<double>(found[l]) / s.seconds);
    attempts += c.written;
    entries += found[l];
  }
  const auto [slowest, fastest] = std::minmax_element(rates.begin(), rates.end());
  std::printf(
      "hive: written %llu, read %llu, failed %llu, malformed reads %llu, lost %llu, starved writers %llu; "
      "%.0f writes/s in all, per writer %.0f to %.0f, fairness %.3f\n",
      static_cast<unsigned long long>(written), static_cast<unsigned long long>(read),
      static_cast<unsigned long long>(failed), static_cast<unsigned long long>(malformed),
      static_cast<unsigned long long>(lost), static_cast<unsigned long long>(starved),
      static_cast<double>(written) / s.seconds, *slowest, *fastest, Fairness(rates));
  std::printf("log: calls %llu, entries %llu, dropped while busy %llu, torn %llu\n",
              static_cast<unsigned long long>(attempts), static_cast<unsigned long long>(entries),
              static_cast<unsigned long long>(attempts - std::min(attempts, entries)),
              static_cast<unsigned long long>(torn));
  return lost == 0 && (starved == 0 || !s.noStarving) && malformed == 0 && torn == 0 && entries <= attempts ? 0 : 1;
}

}  // namespace
