#include "bundle/limits.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string repeat(const std::string& piece, std::size_t times) {
  std::string text;
  for (std::size_t i = 0; i < times; ++i) text += piece;
  return text;
}

TEST(Limits, NamesAreCutAtACharacterNeverInsideOne) {
  EXPECT_EQ(bundle::cut_name(repeat("a", 200)), repeat("a", 200));
  EXPECT_EQ(bundle::cut_name(repeat("a", 201)), repeat("a", 200));
  // Four-byte characters (outside the Basic Multilingual Plane) are one character each.
  EXPECT_EQ(bundle::cut_name(repeat("😀", 250)), repeat("😀", 200));
  EXPECT_EQ(bundle::cut_name("x" + repeat("월", 199) + "é"), "x" + repeat("월", 199));
}

TEST(Limits, TargetsAreMeasuredInTheUtf16UnitsWindowsCounts) {
  // A four-byte character is a surrogate pair: two units.
  const std::string pairs = repeat("😀", 16383);
  EXPECT_EQ(bundle::utf16_length(pairs), 32766u);
  EXPECT_TRUE(bundle::fits_limits(bundle::Item{bundle::Kind::file, pairs + "a", {}, {}}));
  EXPECT_FALSE(bundle::fits_limits(bundle::Item{bundle::Kind::file, pairs + "😀", {}, {}}));
  EXPECT_FALSE(bundle::fits_limits(bundle::Item{bundle::Kind::app, "C:\\t.exe", repeat("월", 32768), {}}));
  EXPECT_TRUE(bundle::fits_limits(bundle::Item{bundle::Kind::app, "C:\\t.exe", repeat("월", 32767), {}}));
}

}  // namespace
