#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "core/common/bits.h"
#include "core/common/shared_state.h"

namespace korvant {
namespace {

class CountingWindow : public IVarsWindow {
 public:
  void VarModifiedChanged() override { ++calls; }
  int calls = 0;
};

class SharedStateTest : public ::testing::Test {
 protected:
  void SetUp() override { Shared() = SharedState(); }
  void TearDown() override { Shared() = SharedState(); }
};

TEST_F(SharedStateTest, StartValues) {
  const SharedState& s = Shared();
  EXPECT_EQ(s.PlaceToFair, 1);
  EXPECT_EQ(s.UseAttachedRooms, 1);
  EXPECT_EQ(s.UseSepQuants, 1);
  EXPECT_EQ(s.UseParallels, 1);
  EXPECT_EQ(s.OptimizeQueue, 1);
  EXPECT_EQ(s.VerticalView, 1);
  EXPECT_EQ(s.DetailsVertical, 0);
  EXPECT_EQ(s.CurVarsWindow, nullptr);
  EXPECT_EQ(s.CurDay, 0);
  EXPECT_FALSE(s.GetVarModified());
  EXPECT_DOUBLE_EQ(DayWeights[1], 0.20);
  EXPECT_DOUBLE_EQ(DayWeights[5], 0.15);
}

TEST_F(SharedStateTest, VarModifiedTellsWindowOnlyOnChange) {
  CountingWindow w;
  Shared().CurVarsWindow = &w;
  SetVarModified(true);
  SetVarModified(true);
  EXPECT_EQ(w.calls, 1);
  EXPECT_TRUE(GetVarModified());
  SetVarModified(false);
  SetVarModified(false);
  EXPECT_EQ(w.calls, 2);
  EXPECT_FALSE(GetVarModified());
}

TEST_F(SharedStateTest, VarModifiedWithoutWindowStillStores) {
  SetVarModified(true);
  EXPECT_TRUE(GetVarModified());
  CountingWindow w;
  Shared().CurVarsWindow = &w;
  SetVarModified(true);  // unchanged: nothing to tell
  EXPECT_EQ(w.calls, 0);
}

TEST(Bits, SetAndGetAcrossWords) {
  std::array<uint32_t, 3> bits{};
  SetBit(bits.data(), 0, 1);
  SetBit(bits.data(), 31, 7);
  SetBit(bits.data(), 32, 1);
  SetBit(bits.data(), 95, 1);
  EXPECT_EQ(bits[0], 0x80000001u);
  EXPECT_EQ(bits[1], 0x00000001u);
  EXPECT_EQ(bits[2], 0x80000000u);
  EXPECT_EQ(GetBit(bits.data(), 31), 1);
  EXPECT_EQ(GetBit(bits.data(), 30), 0);
  SetBit(bits.data(), 31, 0);
  EXPECT_EQ(bits[0], 0x00000001u);
}

TEST(Bits, HourAndDayHourIndices) {
  std::array<uint32_t, 4> bits{};
  // Row 2, lesson 3 with 8 lessons a day: bit 2 * 8 + 2 = 18.
  SetHourBit(bits.data(), 2, 3, 8, 1);
  EXPECT_EQ(bits[0], 1u << 18);
  EXPECT_EQ(GetHourBit(bits.data(), 2, 3, 8), 1);
  EXPECT_EQ(GetHourBit(bits.data(), 2, 3, 7), 0);
  const int32_t offsets[] = {0, 40, 70};
  SetDayHourBit(bits.data(), offsets, 1, 1, 1);  // bit 40
  SetDayHourBit(bits.data(), offsets, 2, 3, 1);  // bit 72
  EXPECT_EQ(bits[1], 1u << 8);
  EXPECT_EQ(bits[2], 1u << 8);
}

TEST(Bits, DisjointLooksAtTailBytesOnly) {
  std::array<unsigned char, 8> a{}, b{};
  a[6] = 0x10;
  b[6] = 0x10;
  EXPECT_TRUE(BitsDisjoint(a.data(), b.data(), 6));
  EXPECT_FALSE(BitsDisjoint(a.data(), b.data(), 7));
  a[6] = b[6] = 0;
  a[4] = 0x01;
  b[4] = 0x02;
  a[1] = 0x80;
  b[2] = 0x80;
  EXPECT_TRUE(BitsDisjoint(a.data(), b.data(), 7));
  b[4] = 0x03;
  EXPECT_FALSE(BitsDisjoint(a.data(), b.data(), 5));
  EXPECT_TRUE(BitsDisjoint(a.data(), b.data(), 4));
  EXPECT_TRUE(BitsDisjoint(a.data(), b.data(), 0));
  // Unaligned start.
  EXPECT_FALSE(BitsDisjoint(a.data() + 1, b.data() + 1, 5));
}

TEST(Bits, SubtractWithinLimits) {
  // Rows: values, second row (unread), results, limits; n = 3.
  std::array<int8_t, 12> rec = {5, 3, -100,  9, 9, 9,  0, 0, 0,  2, 1, 20};
  std::array<int8_t, 3> sub = {3, 2, 100};
  // 5-3 = 2 equals its limit, 3-2 = 1 equals its limit, -100-100 wraps to 56 > 20.
  EXPECT_FALSE(SubtractWithinLimits(rec.data(), sub.data(), 3));
  EXPECT_EQ(rec[6], 2);
  EXPECT_EQ(rec[7], 1);
  EXPECT_EQ(rec[8], 56);

  rec = {5, 3, 4,  9, 9, 9,  0, 0, 0,  2, 0, 20};
  sub = {3, 2, 1};
  EXPECT_FALSE(SubtractWithinLimits(rec.data(), sub.data(), 3));
  EXPECT_EQ(rec[7], 1);
  EXPECT_EQ(rec[8], 0);  // after the first failure nothing more is written

  rec = {5, 3, 10,  9, 9, 9,  0, 0, 0,  2, 1, 10};
  sub = {3, 2, 0};
  EXPECT_TRUE(SubtractWithinLimits(rec.data(), sub.data(), 3));
  EXPECT_EQ(rec[8], 10);
  EXPECT_EQ(rec[3], 9);  // the second row is never touched

  // Without n the selected group's size is used.
  Shared().GroupSize = 1;
  sub = {5, 0, 0};
  std::array<int8_t, 4> rec1 = {5, 9, 0, 0};
  EXPECT_TRUE(SubtractWithinLimits(rec1.data(), sub.data()));
  EXPECT_EQ(rec1[2], 0);
  Shared() = SharedState();
}

}  // namespace
}  // namespace korvant
