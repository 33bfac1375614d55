#include <windows.h>

#include <ntddscsi.h>
#include <setupapi.h>
#include <winioctl.h>

#include <cstddef>
#include <cstdio>
#include <vector>

#include "system_backends.h"
#include "winhelpers/handles.h"
#include "winhelpers/wide_text.h"

namespace brevan::hostutil {

namespace win32 = brevan::win32;

namespace {

using win32::ScopedHandle;

// GUID_DEVINTERFACE_DISK
const GUID kDiskInterfaceClass = {
    0x53F56307, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};

constexpr DWORD kStorageGetDeviceNumber = 0x2D1080;  // IOCTL_STORAGE_GET_DEVICE_NUMBER
constexpr DWORD kScsiPassThroughDirect = 0x4D014;    // IOCTL_SCSI_PASS_THROUGH_DIRECT
constexpr UCHAR kInquiryLength = 74;
constexpr UCHAR kSenseLength = 18;
constexpr ULONG kInquiryTimeoutSeconds = 20;
constexpr DWORD kCancelWaitMs = 3000;

// The pass-through header with its sense buffer behind it, as the storage driver expects.
struct InquiryRequest {
  SCSI_PASS_THROUGH_DIRECT header;
  ULONG filler;
  UCHAR sense[kSenseLength];
};
// The header holds a buffer pointer, so its layout differs between the two widths.
#if defined(_WIN64)
static_assert(sizeof(SCSI_PASS_THROUGH_DIRECT) == 56, "64-bit pass-through header");
static_assert(offsetof(InquiryRequest, sense) == 60, "sense data offset");
static_assert(sizeof(InquiryRequest) == 80, "request block size");
#else
static_assert(sizeof(SCSI_PASS_THROUGH_DIRECT) == 44, "32-bit pass-through header");
static_assert(offsetof(InquiryRequest, sense) == 48, "sense data offset");
static_assert(sizeof(InquiryRequest) == 68, "request block size");
#endif
static_assert(sizeof(STORAGE_DEVICE_NUMBER) == 12, "device-number answer");

// A device information set of SetupAPI (SetupDiDestroyDeviceInfoList).
struct DeviceInfoSetTraits {
  using Handle = HDEVINFO;
  static constexpr char kKind[] = "device information set";
  static Handle none() { return INVALID_HANDLE_VALUE; }
  static bool valid(Handle h) { return h != INVALID_HANDLE_VALUE; }
  static bool release(Handle h) { return SetupDiDestroyDeviceInfoList(h) != FALSE; }
};
using DeviceInfoSet = win32::Scoped<DeviceInfoSetTraits>;

// One request on an overlapped device, with its own event; a wait that ends otherwise than by
// completion cancels the request and counts as aborted.
bool overlappedControl(HANDLE device, DWORD code, void* in, DWORD inSize, void* out,
                       DWORD outSize) {
  ScopedHandle event(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  if (!event) return false;
  OVERLAPPED overlapped{};
  overlapped.hEvent = event.get();
  DWORD returned = 0;
  if (DeviceIoControl(device, code, in, inSize, out, outSize, &returned, &overlapped)) return true;
  if (GetLastError() != ERROR_IO_PENDING) return false;
  if (WaitForSingleObject(event.get(), INFINITE) == WAIT_OBJECT_0) {
    return GetOverlappedResult(device, &overlapped, &returned, FALSE);
  }
  CancelIo(device);
  WaitForSingleObject(event.get(), kCancelWaitMs);
  SetLastError(ERROR_OPERATION_ABORTED);
  return false;
}

bool deviceNumber(HANDLE device, bool overlapped, uint32_t& number) {
  STORAGE_DEVICE_NUMBER answer{};
  DWORD returned = 0;
  const bool ok = overlapped ? overlappedControl(device, kStorageGetDeviceNumber, nullptr, 0,
                                                 &answer, sizeof(answer))
                             : DeviceIoControl(device, kStorageGetDeviceNumber, nullptr, 0, &answer,
                                               sizeof(answer), &returned, nullptr);
  if (ok) number = answer.DeviceNumber;
  return ok;
}

std::u16string inquire(HANDLE device) {
  UCHAR data[kInquiryLength] = {};
  InquiryRequest request{};
  request.header.Length = sizeof(SCSI_PASS_THROUGH_DIRECT);
  request.header.CdbLength = 6;
  request.header.SenseInfoLength = kSenseLength;
  request.header.DataIn = SCSI_IOCTL_DATA_IN;
  request.header.DataTransferLength = kInquiryLength;
  request.header.TimeOutValue = kInquiryTimeoutSeconds;
  request.header.DataBuffer = data;
  request.header.SenseInfoOffset = offsetof(InquiryRequest, sense);
  const UCHAR inquiryCommand[6] = {0x12, 0, 0, 0, kInquiryLength, 0};
  for (size_t i = 0; i < sizeof(inquiryCommand); ++i) request.header.Cdb[i] = inquiryCommand[i];
  if (!overlappedControl(device, kScsiPassThroughDirect, &request, sizeof(request), &request,
                         sizeof(request))) {
    return {};
  }
  return inquiryCode(data, sizeof(data));
}

std::u16string interfacePath(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& deviceInterface) {
  DWORD size = 0;
  SetupDiGetDeviceInterfaceDetailW(set, &deviceInterface, nullptr, 0, &size, nullptr);
  if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) return {};
  std::vector<DWORD> storage((size + sizeof(DWORD) - 1) / sizeof(DWORD));
  auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
  detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
  if (!SetupDiGetDeviceInterfaceDetailW(set, &deviceInterface, detail, size, nullptr, nullptr))
    return {};
  return win32::fromWide(detail->DevicePath);
}

class SetupApiDisks final : public DiskSource {
 public:
  std::vector<DiskEntry> disks() override {
    std::vector<DiskEntry> table;
    DeviceInfoSet set(SetupDiGetClassDevsW(&kDiskInterfaceClass, nullptr, nullptr,
                                           DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (!set) {
      std::printf("SetupDiGetClassDevs = %d\r\n", int(GetLastError()));
      return table;
    }
    SP_DEVICE_INTERFACE_DATA deviceInterface{};
    deviceInterface.cbSize = sizeof(deviceInterface);
    for (DWORD i = 0;
         SetupDiEnumDeviceInterfaces(set.get(), nullptr, &kDiskInterfaceClass, i, &deviceInterface);
         ++i) {
      DiskEntry entry;
      entry.interfacePath = interfacePath(set.get(), deviceInterface);
      if (describe(entry)) table.push_back(std::move(entry));
    }
    return table;
  }

  std::optional<uint32_t> deviceNumberOfDrive(char16_t letter) override {
    const wchar_t path[] = {L'\\', L'\\', L'.', L'\\', wchar_t(letter), L':', L'\0'};
    ScopedHandle drive(CreateFileW(path, GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                   nullptr));
    uint32_t number = 0;
    if (!drive || !deviceNumber(drive.get(), false, number)) return std::nullopt;
    return number;
  }

 private:
  // Opens the disk and fills the number and inquiry code; false leaves it out of the table.
  static bool describe(DiskEntry& entry) {
    if (entry.interfacePath.empty()) return false;
    ScopedHandle device(CreateFileW(win32::wide(entry.interfacePath), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OVERLAPPED, nullptr));
    if (!device || !deviceNumber(device.get(), true, entry.deviceNumber)) return false;
    entry.inquiryCode = inquire(device.get());
    return true;
  }
};

}  // namespace

std::unique_ptr<DiskSource> systemDisks() { return std::make_unique<SetupApiDisks>(); }

}  // namespace brevan::hostutil
