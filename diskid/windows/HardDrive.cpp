// The system volume's disk: from the volume that holds the Windows directory to the physical
// drive under it, and that drive's serial number as its storage driver reports it. Every
// handle is opened with no access rights, which these queries need no privileges for.
#include <windows.h>
#include <winioctl.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "../DiskText.h"
#include "../Identifiers.h"

namespace utility::diskid {
namespace {

// A device handle, closed when it goes out of scope.
class Device {
 public:
  explicit Device(const std::wstring& name)
      : m_handle(CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr)) {
  }
  ~Device() {
    if (m_handle != INVALID_HANDLE_VALUE) CloseHandle(m_handle);
  }
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;
  bool Open() const { return m_handle != INVALID_HANDLE_VALUE; }
  HANDLE Handle() const { return m_handle; }

 private:
  HANDLE m_handle;
};

// The root of the volume that holds the system directory, e.g. "C:\"; empty when unknown.
std::wstring SystemVolume() {
  wchar_t system[MAX_PATH + 1] = {};
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length > MAX_PATH) return {};
  wchar_t volume[MAX_PATH + 1] = {};
  if (GetVolumePathNameW(system, volume, MAX_PATH) == 0) return {};
  return volume;
}

// The number of the physical drive that holds the volume's first extent; false when the
// volume lies on no drive the system numbers.
bool DiskNumberOf(const std::wstring& volume, DWORD& number) {
  std::wstring device = L"\\\\.\\" + volume;
  while (!device.empty() && device.back() == L'\\') device.pop_back();  // "\\.\C:", the volume itself
  const Device handle(device);
  if (!handle.Open()) return false;
  VOLUME_DISK_EXTENTS extents{};
  DWORD bytes = 0;
  // A volume over several drives answers ERROR_MORE_DATA with its first extent filled in.
  const BOOL done = DeviceIoControl(handle.Handle(), IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0, &extents,
                                    sizeof extents, &bytes, nullptr);
  if ((done == 0 && GetLastError() != ERROR_MORE_DATA) || extents.NumberOfDiskExtents == 0) return false;
  number = extents.Extents[0].DiskNumber;
  return true;
}

// The serial number the storage driver reports for a physical drive; empty when it has none.
std::string DriveSerial(DWORD number) {
  const Device drive(L"\\\\.\\PhysicalDrive" + std::to_wstring(number));
  if (!drive.Open()) return {};
  STORAGE_PROPERTY_QUERY query{};
  query.PropertyId = StorageDeviceProperty;
  query.QueryType = PropertyStandardQuery;
  // The header tells the size of the whole descriptor, which the second call fills.
  STORAGE_DESCRIPTOR_HEADER header{};
  DWORD bytes = 0;
  if (DeviceIoControl(drive.Handle(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, &header, sizeof header,
                      &bytes, nullptr) == 0 ||
      header.Size < sizeof(STORAGE_DEVICE_DESCRIPTOR)) {
    return {};
  }
  std::vector<unsigned char> buffer(header.Size);
  if (DeviceIoControl(drive.Handle(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, buffer.data(),
                      static_cast<DWORD>(buffer.size()), &bytes, nullptr) == 0 ||
      bytes < sizeof(STORAGE_DEVICE_DESCRIPTOR)) {
    return {};
  }
  STORAGE_DEVICE_DESCRIPTOR descriptor{};
  std::memcpy(&descriptor, buffer.data(), sizeof descriptor);
  const std::size_t offset = descriptor.SerialNumberOffset;
  if (offset == 0 || offset >= bytes) return {};  // 0: the driver reports no serial
  std::string serial;
  for (std::size_t i = offset; i < bytes && buffer[i] != 0; ++i) serial += static_cast<char>(buffer[i]);
  return TrimmedSerial(serial);
}

// The volume's own identity where no drive serial can be read: the file system's serial
// number, else the volume's GUID.
std::string VolumeIdentity(const std::wstring& volume) {
  DWORD serial = 0;
  if (GetVolumeInformationW(volume.c_str(), nullptr, 0, &serial, nullptr, nullptr, nullptr, 0) != 0) {
    std::string text = VolumeSerialText(static_cast<std::uint32_t>(serial));
    if (!text.empty()) return text;
  }
  wchar_t name[64] = {};  // "\\?\Volume{GUID}\" is 49 units
  if (GetVolumeNameForVolumeMountPointW(volume.c_str(), name, 64) == 0) return {};
  std::string ascii;
  for (const wchar_t* c = name; *c != 0; ++c) ascii += *c < 0x80 ? static_cast<char>(*c) : '?';
  return VolumeGuidText(ascii);
}

}  // namespace

std::string RootDiskIdentity() {
  const std::wstring volume = SystemVolume();
  if (volume.empty()) return {};
  DWORD number = 0;
  if (DiskNumberOf(volume, number)) {
    const std::string serial = DriveSerial(number);
    if (!serial.empty()) return "serial:" + serial;
  }
  const std::string identity = VolumeIdentity(volume);
  return identity.empty() ? std::string() : "uuid:" + identity;
}

}  // namespace utility::diskid
