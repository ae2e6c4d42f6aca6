#include <gtest/gtest.h>

#include "core/project/project_data.h"

namespace korvant {
namespace {

void Fill(TProjectData& d) {
  for (int i = 0; i < 2; ++i) d.Rooms.Add()->SetName("r");
  d.Subjects.Add()->SetName("s");
  for (int i = 0; i < 3; ++i) d.Klasses.Add()->SetName("k");
  d.Teachers.Add()->SetName("t");
  TLessonItem* l = d.Lessons.Add();
  l->SetSubItemsCount(2);
  l->ChangeQuant(1, 2);
}

TEST(ProjectImage, LengthIsHeaderPlusSections) {
  TProjectData d;
  Fill(d);
  auto img = WriteProjectImage(d);
  EXPECT_EQ(img.size(), 1024u + 188 * 2 + 116 * 1 + 304 * 3 + 432 * 1 +
                            static_cast<std::size_t>(d.Params.Lessons.Bytes));
  EXPECT_EQ(d.Params.Rooms.Count, 2);
  // Filler of the header block is zero, so saves are reproducible.
  for (std::size_t i = 228; i < 1024; ++i) ASSERT_EQ(img[i], 0) << i;
}

TEST(ProjectImage, SaveOpenSaveGivesIdenticalBytes) {
  TProjectData d;
  Fill(d);
  auto first = WriteProjectImage(d);
  TProjectData e;
  ASSERT_TRUE(ReadProjectImage(first, e));
  EXPECT_EQ(e.Klasses.Count(), 3);
  EXPECT_EQ(WriteProjectImage(e), first);
}

TEST(ProjectImage, RefusesBadImagesAndLeavesNothingLoaded) {
  TProjectData d;
  Fill(d);
  auto good = WriteProjectImage(d);
  TProjectData e;

  EXPECT_FALSE(ReadProjectImage(std::span(good).first(227), e));
  auto truncated = good;
  truncated.resize(good.size() - 1);
  EXPECT_FALSE(ReadProjectImage(truncated, e));
  EXPECT_EQ(e.Rooms.Count(), 0);
  EXPECT_EQ(e.Klasses.Count(), 0);

  auto newer = good;
  newer[16] = 4;  // 1.4
  EXPECT_FALSE(ReadProjectImage(newer, e));
  auto variant = good;
  const char magic[] = "VARI-TABLE";
  for (int i = 0; i < 10; ++i) variant[1 + i] = static_cast<unsigned char>(magic[i]);
  variant[16] = 0;
  EXPECT_FALSE(ReadProjectImage(variant, e));

  // A klass count that lies about the data.
  TProjectData f;
  Fill(f);
  ByteWriter w;
  ProjectSignature.Write(w);
  f.RefreshHeaders();
  f.Params.Klasses.Count = 1000;
  WriteProjParams(w, f.Params);
  auto bad = good;
  std::copy(w.data().begin(), w.data().end(), bad.begin());
  EXPECT_FALSE(ReadProjectImage(bad, e));
  EXPECT_EQ(e.Rooms.Count(), 0);
}

}  // namespace
}  // namespace korvant
