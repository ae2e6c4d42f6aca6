#include <gtest/gtest.h>

#include "core/catalogue.h"
#include "platform/base/cp1251.h"

namespace korvant {
namespace {

TEST(CatalogueSmoke, TitleLoadsInCp1251) {
  EXPECT_EQ(cp1251::toUtf8(LoadResStr(10000)), "АРМ \"Корвант\"");
  EXPECT_EQ(cp1251::toUtf8(LoadResStr(10017)), " (изменен)");
  EXPECT_TRUE(LoadResStr(99999).empty());
}

}  // namespace
}  // namespace korvant
