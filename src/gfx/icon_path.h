#pragma once
// The icon path language: a constant string of one-letter commands and
// numbers in a 20 × 20 box, turned into a list of segments that the drawing
// code builds into a stroked geometry.

#include <string_view>
#include <vector>

#include "gfx/geometry.h"

namespace gfx {

enum class SegmentType { begin, line, arc, close };

struct Segment {
  SegmentType type = SegmentType::begin;
  PointF point;          // begin: figure start; line and arc: end point; close: unused
  float radius = 0;      // arc only; the x and y radii are equal, rotation 0
  bool large = false;    // arc only: the large of the two possible arcs
  bool clockwise = false;  // arc only: sweep direction

  friend bool operator==(const Segment&, const Segment&) = default;
};

// Parses a path string. Tokens are separated by runs of Unicode white space;
// a command is a token of exactly one character (M L Z A a B b D C R); every
// other token is skipped, and so are numbers no command consumed. A command
// takes the tokens that follow as its numbers; one that is missing or does
// not parse as a decimal number counts as 0.
std::vector<Segment> parse_icon_path(std::string_view path);

// True when the segments make a valid geometry: every line, arc and close
// comes while a figure is open (after a begin, and no close since). Drawing
// refuses a list for which this is false.
bool segments_buildable(const std::vector<Segment>& segments);

}  // namespace gfx
