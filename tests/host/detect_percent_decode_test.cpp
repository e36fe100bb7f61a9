#include <gtest/gtest.h>

#include <string>

#include "detect/detect.h"

namespace {

TEST(PercentDecode, Table) {
  struct Case {
    std::string in;
    std::string out;
  };
  const Case cases[] = {
      {"", ""},
      {"abc", "abc"},
      {"%41", "A"},
      {"%4a%4A", "JJ"},
      {"a%20b", "a b"},
      {"%C3%A9", "\u00E9"},
      {"%E2%82%AC", "\u20AC"},
      {"100%25", "100%"},
      {"%2541", "%41"},  // decoded once only
      {"%%41", "%A"},
      {"%zz", "%zz"},
      {"%2g", "%2g"},
      {"%g2", "%g2"},
      {"%", "%"},
      {"a%", "a%"},
      {"%2", "%2"},
      {"a%2", "a%2"},
      {"%FF", "\uFFFD"},
      {"%C3", "\uFFFD"},
      {"%C3%28", "\uFFFD("},
      {"%ED%A0%80", "\uFFFD\uFFFD\uFFFD"},  // an encoded surrogate is not text
      {"\xFF", "\uFFFD"},
      {"%00", std::string("\0", 1)},
  };
  for (const Case& c : cases) EXPECT_EQ(detect::percent_decode(c.in), c.out) << c.in;
}

}  // namespace
