#include "power_scheme.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace brevan::hostutil {
namespace {

struct StoredScheme {
  std::u16string name;
  std::u16string description;
  PowerPolicy policy;
};

// Schemes kept in memory, in index order as POWRPROF enumerates them.
class MemorySchemes final : public PowerSchemes {
 public:
  bool activeScheme(uint32_t& index) override {
    index = active;
    return true;
  }
  void enumerate(const SchemeVisitor& visit) override {
    for (const auto& [index, scheme] : schemes) visit(index, scheme.name);
  }
  bool read(uint32_t index, PowerPolicy& policy) override {
    const auto found = schemes.find(index);
    if (found == schemes.end()) return false;
    policy = found->second.policy;
    return true;
  }
  bool write(uint32_t index, const std::u16string& name, const std::u16string& description,
             const PowerPolicy& policy) override {
    schemes[index] = {name, description, policy};
    ++writes;
    return true;
  }
  bool setActive(uint32_t index) override {
    active = index;
    return true;
  }
  void writeConsole(const char* text) override { console += text; }
  void postQuitMessage() override { ++quitMessages; }

  void add(uint32_t index, std::u16string name, uint32_t idleAc, uint32_t hibernateAc) {
    PowerPolicy policy;
    // Distinct bytes everywhere so that untouched settings can be recognised.
    for (size_t i = 0; i < PowerPolicy::kSize; ++i) policy.data()[i] = uint8_t(i * 7 + index);
    policy.setIdleTimeoutAc(idleAc);
    policy.setDozeS4TimeoutAc(hibernateAc);
    schemes[index] = {std::move(name), u"", policy};
  }

  std::map<uint32_t, StoredScheme> schemes;
  uint32_t active = 0;
  std::string console;
  int quitMessages = 0;
  int writes = 0;
};

TEST(NoStandbyScheme, SchemeThatNeverSleepsIsLeftAlone) {
  MemorySchemes store;
  store.add(0, u"Always On", 0, 3600);
  const auto before = store.schemes;
  NoStandbyScheme scheme;
  scheme.apply(store);
  EXPECT_EQ(store.console, "The existing power settings do not sleep.");
  EXPECT_EQ(store.writes, 0);
  EXPECT_EQ(store.active, 0u);
  EXPECT_EQ(store.quitMessages, 1);
}

TEST(NoStandbyScheme, SleepingSchemeBecomesNoStandbyWithTheSameHibernationTime) {
  MemorySchemes store;
  store.add(0, u"Portable/Laptop", 300, 0);
  store.add(3, u"Home/Office Desk", 1200, 3600);
  store.add(1, u"Presentation", 0, 0);
  store.active = 3;
  NoStandbyScheme scheme;
  scheme.apply(store);

  ASSERT_EQ(store.schemes.count(4), 1u) << "one above the highest index";
  const StoredScheme& made = store.schemes[4];
  EXPECT_EQ(made.name, u"Brevan (no plugged in standby)");
  EXPECT_EQ(made.description,
            u"Brevan Powerscheme created from previous power scheme \"Home/Office Desk\"");
  EXPECT_EQ(made.policy.idleTimeoutAc(), 0u);
  EXPECT_EQ(made.policy.dozeS4TimeoutAc(), 4800u);
  PowerPolicy expected = store.schemes[3].policy;
  expected.setIdleTimeoutAc(0);
  expected.setDozeS4TimeoutAc(4800);
  EXPECT_TRUE(made.policy == expected) << "all other settings are the active scheme's";
  EXPECT_EQ(store.active, 4u);
  EXPECT_EQ(store.console, "");
  EXPECT_EQ(store.quitMessages, 1);
}

TEST(NoStandbyScheme, ExistingSchemeOfTheNameIsReusedAndRepeatedCallsUpdateIt) {
  MemorySchemes store;
  store.add(0, u"Home/Office Desk", 1200, 0);
  store.add(2, u"Brevan (no plugged in standby)", 5, 5);
  store.add(5, u"Max Battery", 60, 0);
  NoStandbyScheme scheme;
  scheme.apply(store);
  EXPECT_EQ(store.active, 2u);
  EXPECT_EQ(store.schemes.size(), 3u);
  EXPECT_EQ(store.schemes[2].policy.dozeS4TimeoutAc(), 1200u);

  // The active scheme now never sleeps: the second call only reports that.
  scheme.apply(store);
  EXPECT_EQ(store.writes, 1);
  EXPECT_EQ(store.console, "The existing power settings do not sleep.");

  // Another sleeping scheme activated by the user: the same index is written again.
  store.active = 5;
  scheme.apply(store);
  EXPECT_EQ(store.writes, 2);
  EXPECT_EQ(store.active, 2u);
  EXPECT_EQ(store.schemes[2].description,
            u"Brevan Powerscheme created from previous power scheme \"Max Battery\"");
  EXPECT_EQ(store.quitMessages, 3) << "a quit message after every call";
}

TEST(NoStandbyScheme, NameMatchIsCaseSensitiveAndTheLastMatchWins) {
  MemorySchemes store;
  store.add(0, u"Desk", 600, 0);
  store.add(1, u"brevan (no plugged in standby)", 0, 0);
  store.add(4, u"Brevan (no plugged in standby)", 0, 0);
  store.add(6, u"Brevan (no plugged in standby)", 0, 0);
  NoStandbyScheme scheme;
  scheme.apply(store);
  EXPECT_EQ(store.active, 6u);
  EXPECT_EQ(store.schemes.size(), 4u);
}

TEST(NoStandbyScheme, UnreadableActiveSchemeChangesNothing) {
  MemorySchemes store;
  store.add(0, u"Desk", 600, 0);
  store.active = 9;  // not stored: the read fails
  NoStandbyScheme scheme;
  scheme.apply(store);
  EXPECT_EQ(store.writes, 0);
  EXPECT_EQ(store.quitMessages, 1);
}

TEST(NoStandbyScheme, LongSchemeNamesAreClippedToTheTextBuffer) {
  EXPECT_EQ(noStandbyDescription(std::u16string(9000, u'x')).size(), 8191u);
}

}  // namespace
}  // namespace brevan::hostutil
