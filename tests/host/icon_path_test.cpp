#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "app/window/paint_icons.h"
#include "gfx/icon_path.h"
#include "gfx/icons.h"

namespace {

using gfx::Segment;
using gfx::SegmentType;

Segment begin(float x, float y) { return {SegmentType::begin, {x, y}}; }
Segment line(float x, float y) { return {SegmentType::line, {x, y}}; }
Segment arc(float x, float y, float r, bool large, bool clockwise) {
  return {SegmentType::arc, {x, y}, r, large, clockwise};
}
Segment close() { return {SegmentType::close}; }

std::string describe(const std::vector<Segment>& segments) {
  std::string out;
  for (const Segment& s : segments) {
    switch (s.type) {
      case SegmentType::begin: out += "M"; break;
      case SegmentType::line: out += "L"; break;
      case SegmentType::arc: out += s.large ? (s.clockwise ? "B" : "b") : (s.clockwise ? "A" : "a"); break;
      case SegmentType::close: out += "Z"; break;
    }
    if (s.type != SegmentType::close) {
      out += "(" + std::to_string(s.point.x) + "," + std::to_string(s.point.y);
      if (s.type == SegmentType::arc) out += ",r" + std::to_string(s.radius);
      out += ")";
    }
    out += " ";
  }
  return out;
}

struct ParseCase {
  const char* name;
  std::string_view path;
  std::vector<Segment> expected;
};

class IconPathParse : public testing::TestWithParam<ParseCase> {};

TEST_P(IconPathParse, ProducesSegments) {
  const ParseCase& c = GetParam();
  const std::vector<Segment> got = gfx::parse_icon_path(c.path);
  EXPECT_EQ(got, c.expected) << "path: \"" << c.path << "\"\n got:      " << describe(got)
                             << "\n expected: " << describe(c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    IconPathCommands, IconPathParse,
    testing::Values(
        ParseCase{"Move", "M 3 4", {begin(3, 4)}},
        ParseCase{"Line", "M 1 2 L 3 4", {begin(1, 2), line(3, 4)}},
        ParseCase{"Close", "M 1 2 L 3 4 Z", {begin(1, 2), line(3, 4), close()}},
        ParseCase{"ArcSmallClockwise", "M 0 0 A 5 6 7", {begin(0, 0), arc(6, 7, 5, false, true)}},
        ParseCase{"ArcSmallCounterClockwise", "M 0 0 a 5 6 7", {begin(0, 0), arc(6, 7, 5, false, false)}},
        ParseCase{"ArcLargeClockwise", "M 0 0 B 5 6 7", {begin(0, 0), arc(6, 7, 5, true, true)}},
        ParseCase{"ArcLargeCounterClockwise", "M 0 0 b 5 6 7", {begin(0, 0), arc(6, 7, 5, true, false)}},
        ParseCase{"DotIsLineOneHundredthLong", "D 5.2 5.5", {begin(5.2f, 5.5f), line(5.2f, 5.5f + 0.01f)}},
        ParseCase{"Circle",
                  "C 10 10 7.5",
                  {begin(2.5f, 10), arc(17.5f, 10, 7.5f, false, true), arc(2.5f, 10, 7.5f, false, true), close()}},
        ParseCase{"RoundedRectangle",
                  "R 2 3 10 8 1",
                  {begin(3, 3), line(11, 3), arc(12, 4, 1, false, true), line(12, 10), arc(11, 11, 1, false, true),
                   line(3, 11), arc(2, 10, 1, false, true), line(2, 4), arc(3, 3, 1, false, true), close()}},
        ParseCase{"Empty", "", {}},
        ParseCase{"OnlyWhiteSpace", " \t\r\n ", {}}),
    [](const testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    IconPathNumbers, IconPathParse,
    testing::Values(
        // Missing numbers at the end of the string are 0: a line to the origin.
        ParseCase{"MissingNumbersAreZero", "M 10 10 L", {begin(10, 10), line(0, 0)}},
        ParseCase{"MissingSecondNumber", "M 5", {begin(5, 0)}},
        ParseCase{"MissingCircleRadius", "C 4 6", {begin(4, 6), arc(4, 6, 0, false, true), arc(4, 6, 0, false, true),
                                                   close()}},
        ParseCase{"WordCountsAsZero", "M x 7", {begin(0, 7)}},
        ParseCase{"TrailingJunkCountsAsZero", "M 1.5abc 2", {begin(0, 2)}},
        ParseCase{"SignsFractionsExponents", "M +1.5 -2 L .5 5. L 1e1 -2.5E-1",
                  {begin(1.5f, -2), line(0.5f, 5), line(10, -0.25f)}},
        ParseCase{"NonFiniteAndOverflowAreZero", "M inf nan L 1e99 -1e99", {begin(0, 0), line(0, 0)}},
        ParseCase{"HexAndDoubleSignAreZero", "M 0x10 --3", {begin(0, 0)}},
        // A command takes the next tokens whatever they are.
        ParseCase{"CommandTakesFollowingTokens", "M L 3", {begin(0, 3)}},
        ParseCase{"UnconsumedNumbersSkipped", "M 1 2 3 4 5 L 6 7 8", {begin(1, 2), line(6, 7)}}),
    [](const testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    IconPathTokens, IconPathParse,
    testing::Values(
        // A command glued to its first number is no command: it and its numbers are skipped.
        ParseCase{"GluedCommandSkippedWithNumbers", "M10 10 L 3 4", {line(3, 4)}},
        ParseCase{"GluedCommandInMiddle", "M 1 1 L10 10 L 2 2", {begin(1, 1), line(2, 2)}},
        ParseCase{"UnknownLettersSkipped", "M 1 1 X q L 2 2 m 5 5 l 6 6 z c r d", {begin(1, 1), line(2, 2)}},
        ParseCase{"UnknownTokenBetweenCommandAndNumbers", "M 1 1 L 2 2 E Z", {begin(1, 1), line(2, 2), close()}},
        ParseCase{"NonAsciiLetterIsNoCommand", "\xEF\xBC\xAD 1 1 M 2 2", {begin(2, 2)}},  // fullwidth M
        ParseCase{"UnicodeWhiteSpaceSeparates",
                  "M\xC2\xA0" "1\xE3\x80\x80" "2\tL\n3 \xE2\x80\x83\xE2\x80\xA8 4",  // NBSP, ideographic, em, line sep
                  {begin(1, 2), line(3, 4)}},
        ParseCase{"InvalidUtf8StaysInsideToken", "M 1 1 \xFF L 2 2", {begin(1, 1), line(2, 2)}},
        ParseCase{"InvalidUtf8GluedToCommand", "M\xFF 1 1 L 2 2", {line(2, 2)}},
        ParseCase{"RunsOfWhiteSpace", "   M  \t 1   2  ", {begin(1, 2)}}),
    [](const testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

struct BuildCase {
  std::string_view path;
  bool buildable;
};

TEST(IconPathValidate, LineArcOrCloseNeedAnOpenFigure) {
  const BuildCase cases[] = {
      {"", true},
      {"M 1 1", true},
      {"M 1 1 L 2 2 Z M 3 3 L 4 4", true},
      {"M 1 1 Z M 2 2 Z", true},
      {"D 1 1 D 2 2", true},
      {"C 5 5 2 R 1 1 5 5 1", true},
      {"L 1 1 M 2 2", false},       // a line before any move
      {"A 1 2 3", false},           // an arc before any move
      {"Z", false},                 // a close with no figure
      {"M 1 1 Z L 2 2", false},     // a line after the figure was closed
      {"M 1 1 Z Z", false},         // closing twice
      {"C 5 5 2 L 1 1", false},     // a circle ends closed
      {"M10 10 L 3 4", false},      // the glued move is skipped, so the line comes first
  };
  for (const BuildCase& c : cases) {
    EXPECT_EQ(gfx::segments_buildable(gfx::parse_icon_path(c.path)), c.buildable) << "path: \"" << c.path << "\"";
  }
}

struct IconCase {
  const char* name;
  std::string_view path;
  std::size_t segments;
};

TEST(IconPathIcons, AllParseValidateAndStayInTheBox) {
  const IconCase icons[] = {
      {"icon_app", gfx::icon_app, 16},       {"icon_file", gfx::icon_file, 13},  {"icon_folder", gfx::icon_folder, 11},
      {"icon_web", gfx::icon_web, 10},       {"icon_grip", gfx::icon_grip, 12},  {"icon_close", gfx::icon_close, 4},
      {"icon_warning", gfx::icon_warning, 8}, {"icon_plus", gfx::icon_plus, 4},  {"icon_search", gfx::icon_search, 6},
      {"icon_open", gfx::icon_open, 13},     {"icon_more", gfx::icon_more, 6},   {"icon_menu", gfx::icon_menu, 6},
  };
  for (const IconCase& icon : icons) {
    SCOPED_TRACE(icon.name);
    const std::vector<Segment> segments = gfx::parse_icon_path(icon.path);
    EXPECT_EQ(segments.size(), icon.segments) << describe(segments);
    EXPECT_TRUE(gfx::segments_buildable(segments));
    for (const Segment& s : segments) {
      if (s.type == SegmentType::close) continue;
      EXPECT_GE(s.point.x, 0.0f);
      EXPECT_LE(s.point.x, 20.0f);
      EXPECT_GE(s.point.y, 0.0f);
      EXPECT_LE(s.point.y, 20.0f);
    }
  }
}

TEST(IconPathIcons, WebMeridiansSweepBothWays) {
  const std::vector<Segment> segments = gfx::parse_icon_path(gfx::icon_web);
  ASSERT_EQ(segments.size(), 10u);
  // After the circle and the equator: two arcs from the top to the bottom pole.
  EXPECT_EQ(segments[6], begin(10, 2.5f));
  EXPECT_EQ(segments[7], arc(10, 17.5f, 10, false, true));
  EXPECT_EQ(segments[8], begin(10, 2.5f));
  EXPECT_EQ(segments[9], arc(10, 17.5f, 10, false, false));
}

TEST(IconPathIcons, KindIconIsTheConstantItself) {
  // The geometry cache is keyed by address: the kind icon must be the very
  // same characters as the constant, not an equal copy.
  EXPECT_EQ(app::kind_icon(bundle::Kind::app).data(), gfx::icon_app);
  EXPECT_EQ(app::kind_icon(bundle::Kind::file).data(), gfx::icon_file);
  EXPECT_EQ(app::kind_icon(bundle::Kind::folder).data(), gfx::icon_folder);
  EXPECT_EQ(app::kind_icon(bundle::Kind::url).data(), gfx::icon_web);
}

}  // namespace
