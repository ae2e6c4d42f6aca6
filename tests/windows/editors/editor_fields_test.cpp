#include <gtest/gtest.h>

#include "windows/editors/editor_fields.h"

namespace korvant {
namespace {

TEST(EditorFields, NumberFieldTexts) {
  EXPECT_EQ(ParseNumberField("12", 0, 100), 12);
  EXPECT_EQ(ParseNumberField("", 0, 100), 0);
  EXPECT_EQ(ParseNumberField("", 5, 100), 5);  // 0 clamped like any number
  EXPECT_EQ(ParseNumberField("250", 0, 100), 100);
  EXPECT_EQ(ParseNumberField("-5", 0, 100), 0);
  EXPECT_EQ(ParseNumberField("+7", 0, 100), 7);
  EXPECT_EQ(ParseNumberField("007", 0, 100), 7);
  EXPECT_EQ(ParseNumberField("99999999999999999999", 0, 144), 144);
  EXPECT_EQ(ParseNumberField("-99999999999999999999", 0, 144), 0);
  for (const char* bad : {"1a", "-", "+", " 5", "5 ", "1.5", "1,5", "a"})
    EXPECT_FALSE(ParseNumberField(bad, 0, 100).has_value()) << bad;
}

TEST(EditorFields, StartLessonTexts) {
  using V = std::vector<int>;
  EXPECT_EQ(ParseStartLessons("1, 3,5"), V({1, 3, 5}));
  EXPECT_EQ(ParseStartLessons("0"), V{});
  EXPECT_EQ(ParseStartLessons("abc"), V{});
  EXPECT_EQ(ParseStartLessons("0,2;00 4"), V({2, 4}));  // zero runs are no numbers
  EXPECT_EQ(ParseStartLessons("10,11"), V({10, 11}));
  EXPECT_FALSE(ParseStartLessons("3,1").has_value());
  EXPECT_FALSE(ParseStartLessons("2,2").has_value());
  EXPECT_FALSE(ParseStartLessons("10,1").has_value());  // on the way to 10,11
  std::string many;
  for (int i = 1; i <= 24; ++i) many += std::to_string(i) + ",";
  EXPECT_EQ(ParseStartLessons(many)->size(), 24u);
  EXPECT_FALSE(ParseStartLessons(many + "25").has_value());
  EXPECT_EQ(ParseStartLessons("99999999999999999999")->size(), 1u);
}

}  // namespace
}  // namespace korvant
