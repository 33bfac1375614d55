#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "winhelpers/com.h"
#include "winhelpers/gdi.h"
#include "winhelpers/handles.h"

namespace brevan::win32 {
namespace {

struct Report {
  std::string kind;
  DWORD error;
};
std::vector<Report> reports;

void recordReport(const char* kind, DWORD error) { reports.push_back({kind, error}); }

// Releases raw behind holder's back, then lets holder release it again.
template <typename Holder>
void expectSecondReleaseReported(Holder holder, const char* kind) {
  const auto raw = holder.get();
  ASSERT_TRUE(Holder(raw).close());
  reports.clear();
  SetLastError(1234);
  EXPECT_FALSE(holder.close());
  EXPECT_EQ(GetLastError(), 1234u) << kind;
  ASSERT_EQ(reports.size(), 1u) << kind;
  EXPECT_EQ(reports[0].kind, kind);
  EXPECT_EQ(reports[0].error, DWORD(ERROR_INVALID_HANDLE)) << kind;
}

TEST(Scoped, ReleaseOfAnObjectClosedBehindItsBackIsReported) {
  const ReleaseFailureReporter testReporter = setReleaseFailureReporter(&recordReport);
  EXPECT_NE(testReporter, &reportToDebugger) << "test programs fail tests on failed releases";

  expectSecondReleaseReported(ScopedHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
                              "kernel handle");
  ScopedRegistryKey key;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, key.receive()),
            ERROR_SUCCESS);
  expectSecondReleaseReported(std::move(key), "registry key");

  setReleaseFailureReporter(testReporter);
}

TEST(Scoped, OwnershipMovesAndLeavesOnlyThroughTake) {
  ScopedHandle first(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  const HANDLE raw = first.get();
  ScopedHandle second(std::move(first));
  ScopedHandle third;
  third = std::move(second);
  EXPECT_FALSE(first);
  EXPECT_FALSE(second);
  EXPECT_EQ(third.get(), raw);

  const HANDLE taken = third.take();
  EXPECT_FALSE(third);
  third.reset();
  DWORD flags = 0;
  EXPECT_TRUE(GetHandleInformation(taken, &flags)) << "taken handles stay open";
  EXPECT_TRUE(ScopedHandle(taken).close());
  EXPECT_FALSE(ScopedHandle::valid(INVALID_HANDLE_VALUE));
}

TEST(Scoped, SelectedObjectGoesBackBeforeItsDeviceContextEnds) {
  const ScopedMemoryDc dc(CreateCompatibleDC(nullptr));
  const ScopedBitmap bitmap(CreateCompatibleBitmap(dc.get(), 1, 1));
  const HGDIOBJ original = GetCurrentObject(dc.get(), OBJ_BITMAP);
  {
    const ScopedSelectObject selected = selectObject(dc.get(), bitmap.get());
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), bitmap.get());
  }
  EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), original);
}

}  // namespace
}  // namespace brevan::win32
