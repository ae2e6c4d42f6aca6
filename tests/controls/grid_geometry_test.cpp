#include <gtest/gtest.h>

#include "controls/grid_geometry.h"

namespace korvant {
namespace {

TEST(GridAxis, LayoutHitAndLimits) {
  const std::vector<int> sizes{20, 30, 30, 30, 30};
  GridAxis ax{&sizes, 1, 1, 1, 100};
  EXPECT_EQ(ax.fixedExtent(), 21);
  EXPECT_EQ(ax.start(0), 0);
  EXPECT_EQ(ax.start(1), 21);
  EXPECT_EQ(ax.start(2), 52);
  EXPECT_EQ(ax.start(3), 83);   // partly shown
  EXPECT_EQ(ax.start(4), -1);   // beyond the client
  EXPECT_EQ(ax.hit(0), 0);
  EXPECT_EQ(ax.hit(20), 0);     // the line belongs to the cell before it
  EXPECT_EQ(ax.hit(21), 1);
  EXPECT_EQ(ax.hit(99), 3);
  EXPECT_EQ(ax.hit(100), -1);
  EXPECT_EQ(ax.lastFullVisible(), 2);
  EXPECT_EQ(ax.maxFirst(), 3);  // 3 and 4 fit in 79 pixels, 2..4 do not

  ax.first = 3;
  EXPECT_EQ(ax.start(1), -1);   // scrolled away
  EXPECT_EQ(ax.start(3), 21);
  EXPECT_EQ(ax.hit(30), 3);
  EXPECT_EQ(ax.lastFullVisible(), 4);
}

TEST(GridAxis, EverythingFitsOrNothingScrolls) {
  const std::vector<int> sizes{10, 10, 10};
  GridAxis ax{&sizes, 1, 1, 0, 500};
  EXPECT_EQ(ax.maxFirst(), 1);
  EXPECT_EQ(ax.lastFullVisible(), 2);
  const std::vector<int> one{10};
  GridAxis single{&one, 0, 0, 1, 5};
  EXPECT_EQ(single.maxFirst(), 0);
  EXPECT_EQ(single.lastFullVisible(), -1);
}

TEST(SubCellSpans, SixtyForty) {
  // A 133-pixel cell: W = 134, first part trunc(80.4) = 80 pixels with its gap.
  const auto s = SubCellSpans(10, 143, {60, 40, 0, 0, 0});
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0].lo, 10);
  EXPECT_EQ(s[0].hi, 88);
  EXPECT_FALSE(s[0].last);
  EXPECT_EQ(s[1].lo, 90);
  EXPECT_EQ(s[1].hi, 143);
  EXPECT_TRUE(s[1].last);
}

TEST(SubCellSpans, ThreeParts) {
  // 100-pixel cell: W = 101; 33 % -> 33, 40 % -> 40 pixels.
  const auto s = SubCellSpans(0, 100, {33, 40, 27, 0, 0});
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(s[0].lo, 0);
  EXPECT_EQ(s[0].hi, 31);
  EXPECT_EQ(s[1].lo, 33);
  EXPECT_EQ(s[1].hi, 71);
  EXPECT_EQ(s[2].lo, 73);
  EXPECT_EQ(s[2].hi, 100);
}

TEST(SubCellSpans, EmptyAndShortLists) {
  EXPECT_TRUE(SubCellSpans(0, 50, {0, 40, 0, 0, 0}).empty());
  const auto s = SubCellSpans(0, 50, {30, 30, 0, 0, 0});  // sums below 100 still end at the edge
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s.back().hi, 50);
}

TEST(FitWithEllipsis, CutsAfterALetter) {
  auto maxLen = [](std::size_t n) { return [n](const std::string& s) { return s.size() <= n; }; };
  EXPECT_EQ(FitWithEllipsis("short", maxLen(10)), "short");
  EXPECT_EQ(FitWithEllipsis("", maxLen(0)), "");
  // "Ivanov I. P." cut to 8: "Ivanov " and "Ivanov I." are skipped.
  EXPECT_EQ(FitWithEllipsis("Ivanov I. P.", maxLen(10)), std::string("Ivanov I") + kEllipsis);
  EXPECT_EQ(FitWithEllipsis("Ivanov I. P.", maxLen(8)), std::string("Ivanov") + kEllipsis);
  // Nothing fits: the ellipsis alone.
  EXPECT_EQ(FitWithEllipsis("W", maxLen(0)), std::string(1, kEllipsis));
  EXPECT_EQ(FitWithEllipsis("abc", maxLen(0)), std::string(1, kEllipsis));
}

TEST(UniformSizes, HeadingNeverSpreads) {
  std::vector<int> sizes{25, 133, 133, 133};
  EqualizeDataSizes(sizes, 0, 60);
  EXPECT_EQ(sizes, (std::vector<int>{25, 133, 133, 133}));
  EqualizeDataSizes(sizes, 2, 90);
  EXPECT_EQ(sizes, (std::vector<int>{25, 90, 90, 90}));
}

TEST(WeekSizes, ClampedToTheirTwoValues) {
  EXPECT_EQ(WeekColumnWidth(294, 1), 41);
  EXPECT_EQ(WeekColumnWidth(100, 1), 40);
  EXPECT_EQ(WeekColumnWidth(1000, 1), 41);
  EXPECT_EQ(WeekRowHeight(117, 1), 12);
  EXPECT_EQ(WeekRowHeight(20, 1), 11);
  EXPECT_EQ(SubRowsRowHeight(14, 2), 29);
}

}  // namespace
}  // namespace korvant
