// The root file system's disk: from the device number of "/" to the disk in /sys/dev/block,
// through partitions and stacked devices (device mapper, software RAID), to its serial number.
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <climits>
#include <cstdlib>
#include <string>

#include "../DiskText.h"
#include "../Identifiers.h"
#include "Sysfs.h"

namespace utility::diskid {
namespace {

// The device number of the file system mounted on "/", or 0. Some file systems (btrfs,
// overlays) report an anonymous device for their files; the mount table names the real one.
dev_t RootDevice() {
  struct stat st {};
  if (stat("/", &st) == 0 && major(st.st_dev) != 0) return st.st_dev;
  const std::string table = ReadSmallFile("/proc/self/mountinfo", 1 << 20);
  dev_t found = 0;
  std::size_t start = 0;
  while (start < table.size()) {
    std::size_t end = table.find('\n', start);
    if (end == std::string::npos) end = table.size();
    const std::string line = table.substr(start, end - start);
    start = end + 1;
    // id parent major:minor root mountpoint ... - fstype source options
    std::size_t field = 0, pos = 0;
    std::string mountPoint;
    for (; field < 5 && pos != std::string::npos; ++field) {
      const std::size_t next = line.find(' ', pos);
      if (field == 4) mountPoint = line.substr(pos, next == std::string::npos ? std::string::npos : next - pos);
      pos = next == std::string::npos ? next : next + 1;
    }
    if (mountPoint != "/") continue;
    const std::size_t dash = line.find(" - ");
    if (dash == std::string::npos) continue;
    const std::size_t sourceStart = line.find(' ', dash + 3);
    if (sourceStart == std::string::npos) continue;
    const std::size_t sourceEnd = line.find(' ', sourceStart + 1);
    const std::string source =
        line.substr(sourceStart + 1, sourceEnd == std::string::npos ? std::string::npos : sourceEnd - sourceStart - 1);
    struct stat dev {};
    if (source.rfind("/dev/", 0) == 0 && stat(source.c_str(), &dev) == 0 && S_ISBLK(dev.st_mode)) found = dev.st_rdev;
  }
  return found;  // the last mount on "/" is the one in effect
}

std::string Canonical(const std::string& path) {
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : std::string();
}

// The sysfs directory of the whole disk below a block device directory.
std::string DiskOf(std::string dir) {
  for (int depth = 0; depth < 8 && !dir.empty(); ++depth) {
    if (Exists(dir + "/partition")) {
      dir = dir.substr(0, dir.rfind('/'));
      continue;
    }
    const auto lower = ListDirectory(dir + "/slaves");
    if (lower.empty()) return dir;
    dir = Canonical(dir + "/slaves/" + lower.front());
  }
  return dir;
}

// The unit serial number page of a SCSI or SATA disk: four header bytes, then the serial.
std::string SerialFromVpdPage(const std::string& page) {
  if (page.size() < 5 || static_cast<unsigned char>(page[1]) != 0x80) return {};
  const std::size_t length = static_cast<unsigned char>(page[3]);
  return TrimmedSerial(page.substr(4, length));
}

std::string DiskSerial(const std::string& disk) {
  for (const char* name : {"/serial", "/device/serial"}) {
    const std::string serial = ReadLine(disk + name);
    if (Printable(serial)) return serial;
  }
  std::string serial = SerialFromVpdPage(ReadSmallFile(disk + "/device/vpd_pg80", 256));
  if (!serial.empty()) return serial;
  serial = ReadLine(disk + "/device/wwid");
  return Printable(serial) ? serial : std::string();
}

// The file system's UUID as udev publishes it, readable without privileges.
std::string FileSystemUuid(dev_t device) {
  for (const std::string& name : ListDirectory("/dev/disk/by-uuid")) {
    struct stat st {};
    if (stat(("/dev/disk/by-uuid/" + name).c_str(), &st) == 0 && S_ISBLK(st.st_mode) && st.st_rdev == device) {
      return name;
    }
  }
  const std::string record =
      ReadSmallFile("/run/udev/data/b" + std::to_string(major(device)) + ":" + std::to_string(minor(device)), 1 << 16);
  const std::string key = "E:ID_FS_UUID=";
  const std::size_t at = record.find(key);
  if (at == std::string::npos) return {};
  const std::size_t end = record.find('\n', at);
  const std::string uuid =
      record.substr(at + key.size(), end == std::string::npos ? std::string::npos : end - at - key.size());
  return Printable(uuid) ? uuid : std::string();
}

}  // namespace

std::string RootDiskIdentity() {
  const dev_t device = RootDevice();
  if (device == 0) return {};
  const std::string block =
      Canonical("/sys/dev/block/" + std::to_string(major(device)) + ":" + std::to_string(minor(device)));
  if (!block.empty()) {
    const std::string serial = DiskSerial(DiskOf(block));
    if (!serial.empty()) return "serial:" + serial;
  }
  const std::string uuid = FileSystemUuid(device);
  return uuid.empty() ? std::string() : "uuid:" + uuid;
}

}  // namespace utility::diskid
