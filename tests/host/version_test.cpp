// The version the program reports is the one the build was configured with,
// in the form the update check compares and the update manifest allows.
#include <gtest/gtest.h>

#include <string_view>

#include "app/state/maker.h"

TEST(MakerVersion, IsTheBuildsProjectVersion) {
  EXPECT_EQ(app::maker::kVersion, std::string_view(TOLVIK_PROJECT_VERSION));
}

TEST(MakerVersion, IsNumbersSeparatedByDots) {
  const std::string_view version = app::maker::kVersion;
  ASSERT_FALSE(version.empty());
  EXPECT_LE(version.size(), 32u);
  EXPECT_NE(version.front(), '.');
  EXPECT_NE(version.back(), '.');
  EXPECT_EQ(version.find(".."), std::string_view::npos);
  EXPECT_EQ(version.find_first_not_of("0123456789."), std::string_view::npos) << version;
}
