// Arbitrary bytes as an icon path: parsing must not crash, a number is never
// NaN, and segments written back as a path string parse to the same segments.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "gfx/icon_path.h"
#include "require.h"

namespace {

void append_number(std::string& out, float value) {
  char text[32];
  std::snprintf(text, sizeof text, " %.9g", static_cast<double>(value));  // 9 digits: a float exactly
  out += text;
}

// The segments in the path language: M, L, Z, and the arc letter that carries
// the segment's two flags.
std::string write_path(const std::vector<gfx::Segment>& segments) {
  std::string out;
  for (const gfx::Segment& s : segments) {
    switch (s.type) {
      case gfx::SegmentType::begin:
        out += " M";
        break;
      case gfx::SegmentType::line:
        out += " L";
        break;
      case gfx::SegmentType::close:
        out += " Z";
        continue;
      case gfx::SegmentType::arc:
        out += s.large ? (s.clockwise ? " B" : " b") : (s.clockwise ? " A" : " a");
        append_number(out, s.radius);
        break;
    }
    append_number(out, s.point.x);
    append_number(out, s.point.y);
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view path(reinterpret_cast<const char*>(data), size);
  const std::vector<gfx::Segment> segments = gfx::parse_icon_path(path);
  // A command is one character between separators; the largest (R) makes ten segments.
  fuzz::require(segments.size() <= (size + 1) / 2 * 10, "at most ten segments per command");
  bool all_finite = true;
  for (const gfx::Segment& s : segments) {
    fuzz::require(!std::isnan(s.point.x) && !std::isnan(s.point.y), "no point is NaN");
    fuzz::require(std::isfinite(s.radius), "every radius is a finite number");
    all_finite = all_finite && std::isfinite(s.point.x) && std::isfinite(s.point.y);
    if (s.type != gfx::SegmentType::arc) fuzz::require(s.radius == 0 && !s.large && !s.clockwise, "only arcs have radii");
  }
  // Sums of very large numbers (C and R) reach infinity, which has no written form.
  if (!all_finite) return 0;
  const std::string written = write_path(segments);
  const std::vector<gfx::Segment> again = gfx::parse_icon_path(written);
  fuzz::require(again.size() == segments.size(), "written segments parse to as many");
  for (std::size_t i = 0; i < segments.size(); ++i) {
    const gfx::Segment& a = segments[i];
    const gfx::Segment& b = again[i];
    const bool point_same = a.type == gfx::SegmentType::close || a.point == b.point;
    fuzz::require(a.type == b.type && point_same && a.radius == b.radius && a.large == b.large &&
                a.clockwise == b.clockwise,
            "written segments parse back unchanged");
  }
  fuzz::require(gfx::segments_buildable(again) == gfx::segments_buildable(segments), "buildable is kept");
  return 0;
}
