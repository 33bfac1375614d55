#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brevan::hostutil {

struct DiskEntry {
  uint32_t deviceNumber = 0;
  std::u16string interfacePath;  // device-interface path, lower case as SetupAPI reports it
  std::u16string inquiryCode;    // bytes 36 to 39 of the inquiry data; empty when none
};

// The disks of the machine and the disk behind a drive letter (SetupAPI and storage I/O
// controls for real, a table in tests).
class DiskSource {
 public:
  virtual ~DiskSource() = default;
  virtual std::vector<DiskEntry> disks() = 0;
  virtual std::optional<uint32_t> deviceNumberOfDrive(char16_t letter) = 0;
};

struct DriveIds {
  std::u16string vendor;
  std::u16string product;
  bool operator==(const DriveIds& other) const {
    return vendor == other.vendor && product == other.product;
  }
};

// Standard inquiry data holds the model code at bytes 36 to 39; it ends at its first zero byte.
constexpr size_t kInquiryCodeOffset = 36;
constexpr size_t kInquiryCodeLength = 4;
std::u16string inquiryCode(const uint8_t* inquiryData, size_t size);

DriveIds identifiersOf(const DiskEntry& disk);

// Identifiers of the first disk whose device number is the drive's; none when the drive has no
// disk in the table.
std::optional<DriveIds> driveIdentifiers(DiskSource& source, char16_t letter);

}  // namespace brevan::hostutil
