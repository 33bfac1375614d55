#include "drive_ids.h"

namespace brevan::hostutil {

namespace {

// Tokens between separators; runs of separators yield no empty tokens.
std::vector<std::u16string> split(const std::u16string& text, char16_t separator) {
  std::vector<std::u16string> parts;
  std::u16string token;
  for (char16_t c : text) {
    if (c != separator) {
      token.push_back(c);
    } else if (!token.empty()) {
      parts.push_back(std::move(token));
      token.clear();
    }
  }
  if (!token.empty()) parts.push_back(std::move(token));
  return parts;
}

bool endsWith(const std::u16string& text, const std::u16string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::u16string partOrEmpty(const std::vector<std::u16string>& parts, size_t i) {
  return i < parts.size() ? parts[i] : std::u16string();
}

}  // namespace

std::u16string inquiryCode(const uint8_t* inquiryData, size_t size) {
  std::u16string code;
  for (size_t i = kInquiryCodeOffset; i < kInquiryCodeOffset + kInquiryCodeLength && i < size;
       ++i) {
    if (inquiryData[i] == 0) break;
    code.push_back(char16_t(inquiryData[i]));
  }
  return code;
}

DriveIds identifiersOf(const DiskEntry& disk) {
  if (!disk.inquiryCode.empty()) return {u"WD", disk.inquiryCode};

  const auto pieces = split(disk.interfacePath, u'#');
  const std::u16string bus = partOrEmpty(pieces, 0);
  if (endsWith(bus, u"ide")) return {};
  if (endsWith(bus, u"usbstor")) {
    // disk&ven_x&prod_y&rev_z
    const auto parts = split(partOrEmpty(pieces, 1), u'&');
    return {partOrEmpty(parts, 1), partOrEmpty(parts, 2)};
  }
  if (endsWith(bus, u"sbp2")) {
    // vendor&model&lun
    const auto parts = split(partOrEmpty(pieces, 1), u'&');
    return {partOrEmpty(parts, 0), partOrEmpty(parts, 1)};
  }
  return {};
}

std::optional<DriveIds> driveIdentifiers(DiskSource& source, char16_t letter) {
  const std::vector<DiskEntry> disks = source.disks();
  const auto number = source.deviceNumberOfDrive(letter);
  if (!number) return std::nullopt;
  for (const DiskEntry& disk : disks) {
    if (disk.deviceNumber == *number) return identifiersOf(disk);
  }
  return std::nullopt;
}

}  // namespace brevan::hostutil
