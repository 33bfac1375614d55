// The pending-operation ring: what leaves it, when, and where edits land.
#include <gtest/gtest.h>

#include "operation_queue.h"

namespace {

using brevan::delta::OperationQueue;
using brevan::delta::PendingOperation;

PendingOperation copyAt(int64_t start) { return {PendingOperation::Copy, 1, start, start}; }

class QueueTest : public testing::Test {
 protected:
  std::vector<int64_t> written;
  OperationQueue queue{[this](const PendingOperation& op) { written.push_back(op.targetStart); }};

  void fill(int count) {
    for (int i = 0; i < count; ++i) queue.append(copyAt(i));
  }
};

TEST_F(QueueTest, HoldsOneEntryLessThanItsSlotsAndWritesTheOldestWhenFull) {
  fill(OperationQueue::kRingSize - 1);
  EXPECT_TRUE(written.empty());
  queue.append(copyAt(5000));
  EXPECT_EQ(written, std::vector<int64_t>{0});
  EXPECT_EQ(queue.size(), OperationQueue::kRingSize - 1);
  EXPECT_EQ(queue.at(0).targetStart, 1);
}

TEST_F(QueueTest, WritingOutSkipsRemovedEntriesAndShiftsTheInsertionPoint) {
  fill(OperationQueue::kRingSize - 1);
  queue.at(1).kind = PendingOperation::Removed;
  queue.at(2).kind = PendingOperation::Removed;
  // Entry 0 is written, 1 and 2 leave with it: index 5 is now index 2.
  int placed = queue.insertAt(5, copyAt(-7));
  EXPECT_EQ(written, std::vector<int64_t>{0});
  EXPECT_EQ(placed, 2);
  EXPECT_EQ(queue.at(2).targetStart, -7);
  EXPECT_EQ(queue.at(3).targetStart, 5);
  // An insertion point that left the ring lands at the oldest end.
  queue.at(0).kind = PendingOperation::Removed;
  while (queue.size() < OperationQueue::kRingSize - 1) queue.append(copyAt(9000));
  EXPECT_EQ(queue.insertAt(0, copyAt(-8)), 0);
}

TEST_F(QueueTest, TrimDropsRemovedEntriesAtBothEndsOnly) {
  fill(6);
  for (int i : {0, 1, 3, 5}) queue.at(i).kind = PendingOperation::Removed;
  EXPECT_EQ(queue.trim(), 2);
  ASSERT_EQ(queue.size(), 3);
  EXPECT_EQ(queue.at(0).targetStart, 2);
  EXPECT_EQ(queue.at(1).kind, PendingOperation::Removed);
  queue.writeAll();
  EXPECT_EQ(written, (std::vector<int64_t>{2, 4}));
  EXPECT_TRUE(queue.empty());
}

}  // namespace
