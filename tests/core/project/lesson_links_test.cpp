#include <gtest/gtest.h>

#include <vector>

#include "core/project/lesson_links.h"

namespace korvant {
namespace {

// Lessons with identifiers 0..n-1, each with the given group counts.
struct Lessons {
  TLessonsCollection list;
  explicit Lessons(std::initializer_list<int> groups) {
    for (int n : groups) list.Add()->SetSubItemsCount(n);
  }
  TLessonItem& L(int id) { return *list.FindItemID(id); }
  TLessonSubItem& G(int id, int g) { return *L(id).GetSubItem(g); }
  std::vector<TLessonLink> Links(int id, int g) {
    std::vector<TLessonLink> v;
    for (int i = 1; i <= G(id, g).LinksCount(); ++i) v.push_back(G(id, g).GetLink(i));
    return v;
  }
};

using V = std::vector<TLessonLink>;

TEST(LessonLinks, PairIsAddedAndRemovedOnBothSides) {
  Lessons s{1, 2};
  EXPECT_TRUE(AddLinkPair(s.list, s.L(0), 0, {1, 1}));
  EXPECT_EQ(s.Links(0, 0), (V{{1, 1}}));
  EXPECT_EQ(s.Links(1, 1), (V{{0, 0}}));
  EXPECT_TRUE(s.Links(1, 0).empty());
  EXPECT_TRUE(AddLinkPair(s.list, s.L(0), 0, {1, 1}));  // held: nothing doubles
  EXPECT_EQ(s.Links(0, 0).size(), 1u);
  EXPECT_EQ(s.Links(1, 1).size(), 1u);

  RemoveLinkPair(s.list, s.L(1), 1, {0, 0});  // from the other side
  EXPECT_TRUE(s.Links(0, 0).empty());
  EXPECT_TRUE(s.Links(1, 1).empty());
}

TEST(LessonLinks, FullListOnEitherSideAddsNothing) {
  Lessons s{1, 1, 1, 1, 1, 1, 1};
  for (int id = 2; id <= 6; ++id) ASSERT_TRUE(AddLinkPair(s.list, s.L(1), 0, {id, 0}));
  EXPECT_FALSE(AddLinkPair(s.list, s.L(0), 0, {1, 0}));  // lesson 1 is full
  EXPECT_TRUE(s.Links(0, 0).empty());
  EXPECT_EQ(s.Links(1, 0).size(), 5u);
  EXPECT_FALSE(AddLinkPair(s.list, s.L(1), 0, {0, 0}));  // and from its side
  EXPECT_TRUE(s.Links(0, 0).empty());
}

TEST(LessonLinks, OneSidedLinkIsCompletedWhenTheOtherSideHasRoom) {
  Lessons s{1, 1, 1, 1, 1, 1, 1};
  for (int id = 2; id <= 6; ++id) s.G(1, 0).ChangeLink(+1, {id, 0});  // full, one-sided
  s.G(1, 0).ChangeLink(-1, {6, 0});
  s.G(1, 0).ChangeLink(+1, {0, 0});  // full again, holding lesson 0
  EXPECT_TRUE(AddLinkPair(s.list, s.L(0), 0, {1, 0}));
  EXPECT_EQ(s.Links(0, 0), (V{{1, 0}}));
  EXPECT_EQ(s.Links(1, 0).size(), 5u);
}

TEST(LessonLinks, RefusesMissingLessonsGroupsAndItself) {
  Lessons s{2, 1};
  EXPECT_FALSE(AddLinkPair(s.list, s.L(0), 0, {7, 0}));
  EXPECT_FALSE(AddLinkPair(s.list, s.L(0), 0, {1, 1}));
  EXPECT_FALSE(AddLinkPair(s.list, s.L(0), 0, {1, -1}));
  EXPECT_FALSE(AddLinkPair(s.list, s.L(0), 2, {1, 0}));
  EXPECT_FALSE(AddLinkPair(s.list, s.L(0), 0, {0, 1}));
  EXPECT_TRUE(s.Links(0, 0).empty());
  EXPECT_TRUE(s.Links(1, 0).empty());
  RemoveLinkPair(s.list, s.L(0), 0, {7, 0});  // nothing to find: no harm
}

TEST(LessonLinks, DropLinksToALessonOrItsLaterGroups) {
  Lessons s{3, 1, 2};
  ASSERT_TRUE(AddLinkPair(s.list, s.L(0), 0, {1, 0}));
  ASSERT_TRUE(AddLinkPair(s.list, s.L(0), 1, {2, 0}));
  ASSERT_TRUE(AddLinkPair(s.list, s.L(0), 2, {2, 1}));
  ASSERT_TRUE(AddLinkPair(s.list, s.L(1), 0, {2, 1}));

  EXPECT_EQ(DropLinksTo(s.list, 0, 1), 2);  // groups 1 and 2 of lesson 0
  EXPECT_EQ(s.Links(1, 0), (V{{0, 0}, {2, 1}}));
  EXPECT_TRUE(s.Links(2, 0).empty());
  EXPECT_EQ(s.Links(2, 1), (V{{1, 0}}));
  EXPECT_EQ(s.Links(0, 1), (V{{2, 0}}));  // the lesson's own links are not touched

  EXPECT_EQ(DropLinksTo(s.list, 0), 1);
  EXPECT_EQ(s.Links(1, 0), (V{{2, 1}}));
  EXPECT_EQ(DropLinksTo(s.list, 0), 0);
}

TEST(LessonLinks, CopiedLinksAreMirroredOrDropped) {
  Lessons s{1, 2, 1, 1, 1, 1, 1, 1};
  ASSERT_TRUE(AddLinkPair(s.list, s.L(0), 0, {1, 1}));
  ASSERT_TRUE(AddLinkPair(s.list, s.L(0), 0, {2, 0}));
  for (int id = 3; id <= 6; ++id) ASSERT_TRUE(AddLinkPair(s.list, s.L(2), 0, {id, 0}));  // lesson 2 now full
  s.G(0, 0).ChangeLink(+1, {99, 0});  // a dangling link

  TLessonItem& copy = *s.list.Add();  // id 8
  copy.Assign(s.L(0));
  EXPECT_EQ(MirrorLinksOf(s.list, copy), 2);
  EXPECT_EQ(s.Links(8, 0), (V{{1, 1}}));
  EXPECT_EQ(s.Links(1, 1), (V{{0, 0}, {8, 0}}));
  EXPECT_EQ(s.Links(2, 0).size(), 5u);
  EXPECT_FALSE(HoldsLink(s.G(2, 0), {8, 0}));
  EXPECT_EQ(s.Links(0, 0).size(), 3u);  // the original keeps its own
}

}  // namespace
}  // namespace korvant
