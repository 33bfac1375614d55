#include "drive_ids.h"

#include <gtest/gtest.h>

#include <map>

namespace brevan::hostutil {
namespace {

class TableDisks final : public DiskSource {
 public:
  std::vector<DiskEntry> disks() override { return table; }
  std::optional<uint32_t> deviceNumberOfDrive(char16_t letter) override {
    const auto found = drives.find(letter);
    if (found == drives.end()) return std::nullopt;
    return found->second;
  }

  std::vector<DiskEntry> table;
  std::map<char16_t, uint32_t> drives;
};

DriveIds idsOf(const std::u16string& path, const std::u16string& code = u"") {
  return identifiersOf({0, path, code});
}

TEST(DriveIdentifiers, BusRulesOfTheInterfacePath) {
  struct Case {
    const char16_t* path;
    const char16_t* vendor;
    const char16_t* product;
  };
  const Case cases[] = {
      {u"\\\\?\\usbstor#disk&ven_acme&prod_stick&rev_1.00#000123&0#{53f56307-b6bf}", u"ven_acme",
       u"prod_stick"},
      {u"\\\\?\\sbp2#vendor&model&lun0#1234#{53f56307-b6bf}", u"vendor", u"model"},
      {u"\\\\?\\ide#diskwdc_wd800bb#5&1234#{53f56307-b6bf}", u"", u""},
      {u"\\\\?\\scsi#disk&ven_x&prod_y#4&0#{53f56307-b6bf}", u"", u""},
      // Comparisons are case-sensitive and look only at the end of the first piece.
      {u"\\\\?\\USBSTOR#disk&ven_a&prod_b#1", u"", u""},
      {u"\\\\?\\usbstor#disk#1", u"", u""},
      {u"\\\\?\\usbstor#disk&ven_only#1", u"ven_only", u""},
      {u"", u"", u""},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    EXPECT_EQ(idsOf(cases[i].path), (DriveIds{cases[i].vendor, cases[i].product})) << "case " << i;
  }
}

TEST(DriveIdentifiers, InquiryCodeWinsOverTheBus) {
  EXPECT_EQ(idsOf(u"\\\\?\\usbstor#disk&ven_a&prod_b#1", u"WMAT"), (DriveIds{u"WD", u"WMAT"}));
  EXPECT_EQ(idsOf(u"\\\\?\\ide#disk#1", u"X"), (DriveIds{u"WD", u"X"}));
}

TEST(DriveIdentifiers, InquiryCodeIsBytes36To39UpToTheFirstZero) {
  uint8_t data[74] = {};
  EXPECT_EQ(inquiryCode(data, sizeof(data)), u"");
  data[36] = 'A';
  data[37] = 'B';
  data[38] = 'C';
  data[39] = 'D';
  data[40] = 'E';
  EXPECT_EQ(inquiryCode(data, sizeof(data)), u"ABCD");
  data[38] = 0;
  EXPECT_EQ(inquiryCode(data, sizeof(data)), u"AB");
  data[36] = 0;
  EXPECT_EQ(inquiryCode(data, sizeof(data)), u"") << "a zero at byte 36 means no code";
  EXPECT_EQ(inquiryCode(data, 20), u"");
}

TEST(DriveIdentifiers, DriveIsFoundByDeviceNumber) {
  TableDisks disks;
  disks.table = {{0, u"\\\\?\\ide#disk#1", u""},
                 {2, u"\\\\?\\usbstor#disk&ven_acme&prod_stick&rev_1#2", u""},
                 {2, u"\\\\?\\sbp2#shadowed&entry#3", u""}};
  disks.drives = {{u'C', 0}, {u'E', 2}, {u'F', 7}};
  EXPECT_EQ(driveIdentifiers(disks, u'C'), (DriveIds{u"", u""}));
  EXPECT_EQ(driveIdentifiers(disks, u'E'), (DriveIds{u"ven_acme", u"prod_stick"}))
      << "the first entry of the number";
  EXPECT_EQ(driveIdentifiers(disks, u'F'), std::nullopt) << "no disk of that number";
  EXPECT_EQ(driveIdentifiers(disks, u'Z'), std::nullopt) << "not a disk drive";
}

TEST(DriveIdentifiers, MoreThan32DisksAreAllKept) {
  TableDisks disks;
  for (uint32_t i = 0; i < 40; ++i) {
    disks.table.push_back(
        {i, u"\\\\?\\sbp2#v" + std::u16string(1, char16_t(u'A' + i % 26)) + u"&m#1", u""});
  }
  disks.drives = {{u'Q', 39}};
  EXPECT_EQ(driveIdentifiers(disks, u'Q'), (DriveIds{u"vN", u"m"}));
}

}  // namespace
}  // namespace brevan::hostutil
