#include <gtest/gtest.h>

#include <vector>

#include "core/common/signature.h"

namespace korvant {
namespace {

std::vector<unsigned char> Image(const TFileSignature& s) {
  ByteWriter w;
  s.Write(w);
  return w.take();
}

TEST(FileSignature, ProjectSignatureBytes) {
  const std::vector<unsigned char> expected = {
      0x0A, 'T', 'I', 'M', 'E', '-', 'T', 'A', 'B', 'L', 'E', 0x00,
      0x01, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00};
  EXPECT_EQ(Image(ProjectSignature), expected);
  EXPECT_EQ(Image(VarSignature)[1], 'V');
  EXPECT_EQ(Image(JournalSignature)[1], 'Z');
  EXPECT_EQ(ProjectHeaderSize, 1024u);
  EXPECT_EQ(VarHeaderSize, 1024u);
}

TEST(FileSignature, ReadsBackAndIgnoresPadByte) {
  auto bytes = Image(VarSignature);
  bytes[11] = 0x5A;  // the pad byte carries no meaning
  bytes.push_back(0x77);
  ByteReader r(bytes);
  TFileSignature s;
  ASSERT_TRUE(s.Read(r));
  EXPECT_EQ(s, VarSignature);
  EXPECT_EQ(r.pos(), kFileSignatureSize);
}

TEST(FileSignature, ShortImageFailsAndIsRefused) {
  auto bytes = Image(ProjectSignature);
  bytes.resize(19);
  ByteReader r(bytes);
  TFileSignature s = ProjectSignature;
  EXPECT_FALSE(s.Read(r));
  EXPECT_EQ(CompareFileSignature(s, ProjectSignature), kSigOther);
}

TEST(FileSignature, ComparisonTable) {
  auto project = [](int32_t major, int32_t minor) {
    return TFileSignature::Make("TIME-TABLE", major, minor);
  };
  EXPECT_EQ(CompareFileSignature(project(1, 3), ProjectSignature), 0);
  EXPECT_EQ(CompareFileSignature(project(1, 2), ProjectSignature), 0);
  EXPECT_EQ(CompareFileSignature(project(1, 0), ProjectSignature), 0);
  EXPECT_EQ(CompareFileSignature(project(1, 4), ProjectSignature), 3);
  EXPECT_EQ(CompareFileSignature(project(2, 0), ProjectSignature), 2);
  EXPECT_EQ(CompareFileSignature(project(2, 9), ProjectSignature), 2);
  // Older versions no reader knows are refused, never read with the new layout.
  EXPECT_EQ(CompareFileSignature(project(0, 9), ProjectSignature), 1);
  EXPECT_EQ(CompareFileSignature(project(1, -1), ProjectSignature), 1);
  EXPECT_EQ(CompareFileSignature(project(-1, 5), ProjectSignature), 1);

  TFileSignature oneOff = ProjectSignature;
  oneOff.Magic[4] = '_';
  EXPECT_EQ(CompareFileSignature(oneOff, ProjectSignature), 1);
  TFileSignature badLength = ProjectSignature;
  badLength.Length = 9;
  EXPECT_EQ(CompareFileSignature(badLength, ProjectSignature), 1);
  badLength.Length = 11;
  EXPECT_EQ(CompareFileSignature(badLength, ProjectSignature), 1);

  EXPECT_EQ(CompareFileSignature(VarSignature, ProjectSignature), 1);
  EXPECT_EQ(CompareFileSignature(VarSignature, VarSignature), 0);
  EXPECT_EQ(CompareFileSignature(TFileSignature::Make("VARI-TABLE", 0, 5), VarSignature), 1);
  EXPECT_EQ(CompareFileSignature(TFileSignature::Make("VARI-TABLE", 1, 1), VarSignature), 3);
  EXPECT_EQ(CompareFileSignature(JournalSignature, JournalSignature), 0);
  EXPECT_EQ(CompareFileSignature(TFileSignature::Make("ZMSH-TABLE", 0, 0), JournalSignature), 1);
}

}  // namespace
}  // namespace korvant
