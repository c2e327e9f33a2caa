#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "album/DynaArray.h"
#include "support/TestSupport.h"

namespace {

struct TRec {
  int32_t A;
  int32_t B;
  char Pad[8];
};

bool IsZero(const TRec& r) {
  static const TRec zero{};
  return std::memcmp(&r, &zero, sizeof r) == 0;
}

TEST(DynaArray, GrowsAndShrinksInStepsOfHundredRecords) {
  TRec* cur = nullptr;
  TDynaArrayOf<TRec> a(&cur);
  EXPECT_EQ(a.AllocatedBytes(), 0u);
  a.Append();
  EXPECT_EQ(a.AllocatedBytes(), 100 * sizeof(TRec));
  for (int i = 1; i < 100; ++i) a.Append()->A = i;
  EXPECT_EQ(a.AllocatedBytes(), 100 * sizeof(TRec));
  const void* block100 = a.RawData();
  a.Append();  // the 101st record moves everything into a block for 200
  EXPECT_EQ(a.AllocatedBytes(), 200 * sizeof(TRec));
  EXPECT_NE(a.RawData(), block100);
  EXPECT_EQ(a[99].A, 99);
  a.Delete(100);  // back to 100 records: a block for 100
  EXPECT_EQ(a.AllocatedBytes(), 100 * sizeof(TRec));
  EXPECT_EQ(a[99].A, 99);
  while (a.Count > 0) a.Delete(0);
  EXPECT_EQ(a.RawData(), nullptr);  // the last delete releases the block
  EXPECT_EQ(a.AllocatedBytes(), 0u);
  a.Append();  // and the next append starts afresh
  EXPECT_EQ(a.AllocatedBytes(), 100 * sizeof(TRec));
}

TEST(DynaArray, NewRecordsAreZeroAlsoInReusedSlots) {
  TRec* cur = nullptr;
  TDynaArrayOf<TRec> a(&cur);
  for (int i = 0; i < 3; ++i) std::memset(a.Append(), 0xAB, sizeof(TRec));
  a.Delete(2);  // the slot keeps its bytes until reused
  TRec* r = a.Append();
  EXPECT_TRUE(IsZero(*r));
  EXPECT_EQ(cur, r);
  EXPECT_EQ(a.Cursor, 2);
}

TEST(DynaArray, DeleteOutsideTheRangeChangesNothing) {
  TRec* cur = nullptr;
  TDynaArrayOf<TRec> a(&cur);
  a.Append()->A = 1;
  a.Append()->A = 2;
  a.Seek(0);
  a.Delete(-1);
  a.Delete(2);  // == Count
  EXPECT_EQ(a.Count, 2u);
  EXPECT_EQ(a.Cursor, 0);
  EXPECT_EQ(cur, &a[0]);
}

TEST(DynaArray, AfterDeleteOrClearNoRecordIsCurrent) {
  TRec* cur = nullptr;
  TDynaArrayOf<TRec> a(&cur);
  a.Append()->A = 1;
  a.Append()->A = 2;
  a.Append()->A = 3;
  a.Delete(0);
  EXPECT_EQ(cur, nullptr);
  EXPECT_EQ(a.Cursor, -1);
  EXPECT_EQ(a[0].A, 2);
  EXPECT_EQ(a[1].A, 3);
  a.Seek(1);
  a.Clear();
  EXPECT_EQ(cur, nullptr);
  EXPECT_EQ(a.Count, 0u);
  EXPECT_EQ(a.Cursor, -1);
}

TEST(DynaArray, ExchangeSwapsAndMakesTheSecondCurrent) {
  TRec* cur = nullptr;
  TDynaArrayOf<TRec> a(&cur);
  a.Append()->A = 10;
  a.Append()->A = 20;
  a.Exchange(0, 1);
  EXPECT_EQ(a[0].A, 20);
  EXPECT_EQ(a[1].A, 10);
  EXPECT_EQ(cur, &a[1]);
  EXPECT_EQ(a.Cursor, 1);
  a.Exchange(0, 0);  // with itself: unchanged, and current
  EXPECT_EQ(a[0].A, 20);
  EXPECT_EQ(cur, &a[0]);
  a.Exchange(0, 5);  // outside: nothing
  EXPECT_EQ(cur, &a[0]);
}

TEST(DynaArray, Walk) {
  TRec* cur = nullptr;
  TDynaArrayOf<TRec> a(&cur);
  a.First();  // empty: Cursor stays
  EXPECT_EQ(a.Cursor, -1);
  EXPECT_FALSE(a.Next());

  a.Append()->A = 7;
  a.First();
  ASSERT_TRUE(a.Next());  // one record: true once
  EXPECT_EQ(cur->A, 7);
  EXPECT_EQ(a.Cursor, 1);  // Cursor == Count tells the last record
  EXPECT_FALSE(a.Next());

  for (int i = 0; i < 4; ++i) a.Append()->A = i;
  int seen = 0;
  a.First();
  while (a.Next()) ++seen;
  EXPECT_EQ(seen, 5);
  EXPECT_EQ(a.Cursor, 5);
  EXPECT_EQ(cur, &a[4]);  // the last record stays current
}

int GFailAfter = -1;
void* FailingAllocator(size_t Bytes) {
  if (GFailAfter == 0) return nullptr;
  if (GFailAfter > 0) --GFailAfter;
  return std::calloc(1, Bytes);
}

struct TAllocatorGuard {
  explicit TAllocatorGuard(int FailAfter) {
    GFailAfter = FailAfter;
    TDynaArray::SetAllocator(&FailingAllocator);
  }
  ~TAllocatorGuard() { TDynaArray::SetAllocator(nullptr); }
};

TEST(DynaArray, AllocationFailuresAreReportedAndLeaveTheArrayIntact) {
  qtest::TRecordingMessageBox box;
  TRec* cur = nullptr;
  TDynaArrayOf<TRec> a(&cur);
  {
    TAllocatorGuard fail(0);
    EXPECT_EQ(a.Append(), nullptr);
  }
  EXPECT_EQ(a.Count, 0u);
  ASSERT_EQ(box.Shown.size(), 1u);
  EXPECT_EQ(box.Shown[0].Text, "Error 1 while trying to allocate 1600 bytes of RAM. Not enough memory.");
  EXPECT_EQ(box.Shown[0].Icon, TMsgIcon::Error);
  EXPECT_EQ(box.Shown[0].Title, "");

  for (int i = 0; i < 100; ++i) a.Append()->A = i;
  {
    TAllocatorGuard fail(0);
    EXPECT_EQ(a.Append(), nullptr);  // growing to 200 fails
  }
  EXPECT_EQ(a.Count, 100u);
  EXPECT_EQ(a[99].A, 99);
  EXPECT_EQ(box.Shown.back().Text, "Error 2 while trying to allocate 3200 bytes of RAM. Not enough memory.");

  a.Append();
  {
    TAllocatorGuard fail(0);
    a.Delete(0);  // shrinking to 100 fails: the records stay in the larger block
  }
  EXPECT_EQ(a.Count, 100u);
  EXPECT_EQ(a[0].A, 1);
  EXPECT_EQ(a[98].A, 99);
  EXPECT_EQ(box.Shown.back().Text, "Error 3 while trying to allocate 1600 bytes of RAM. Not enough memory.");
}

TEST(DynaArray, OwnerVariableIsNotWrittenByCreateOrDestroy) {
  TRec dummy{};
  TRec* cur = &dummy;
  {
    TDynaArrayOf<TRec> a(&cur);
    EXPECT_EQ(cur, &dummy);
    a.Append();
  }
  EXPECT_NE(cur, &dummy);  // points at the freed record: Destroy leaves it alone
}

}  // namespace
