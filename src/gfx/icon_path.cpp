#include "gfx/icon_path.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <system_error>

#include "base/unicode.h"
#include "base/utf.h"

namespace gfx {
namespace {

// Splits at runs of Unicode white space; invalid UTF-8 decodes to U+FFFD,
// which is not white space and stays inside its token.
std::vector<std::string_view> split_tokens(std::string_view path) {
  std::vector<std::string_view> tokens;
  std::size_t pos = 0;
  std::size_t start = 0;
  bool in_token = false;
  while (pos < path.size()) {
    const std::size_t here = pos;
    const char32_t cp = base::decode_utf8(path, pos);
    if (pos == here) ++pos;  // never stall on a byte the decoder did not take
    if (base::is_white_space(cp)) {
      if (in_token) tokens.push_back(path.substr(start, here - start));
      in_token = false;
    } else if (!in_token) {
      start = here;
      in_token = true;
    }
  }
  if (in_token) tokens.push_back(path.substr(start));
  return tokens;
}

// A decimal number with optional sign, fraction and exponent, as a float;
// 0 for anything else (words, infinities, NaN, out of range, trailing junk).
float parse_number(std::string_view token) {
  std::string_view digits = token;
  bool negative = false;
  if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
    negative = digits.front() == '-';
    digits.remove_prefix(1);
  }
  // from_chars takes no sign of its own here and would read "inf" and "nan".
  if (digits.empty() || !((digits.front() >= '0' && digits.front() <= '9') || digits.front() == '.')) return 0;
  float value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                            std::chars_format::general);
  if (error != std::errc{} || end != digits.data() + digits.size() || !std::isfinite(value)) return 0;
  return negative ? -value : value;
}

// The only tokens that are commands.
bool is_command(std::string_view token) {
  if (token.size() != 1) return false;
  switch (token.front()) {
    case 'M': case 'L': case 'Z': case 'A': case 'a': case 'B': case 'b': case 'D': case 'C': case 'R':
      return true;
    default:
      return false;
  }
}

Segment begin_at(float x, float y) { return {SegmentType::begin, {x, y}}; }
Segment line_to(float x, float y) { return {SegmentType::line, {x, y}}; }
Segment arc_to(float x, float y, float r, bool large, bool clockwise) {
  return {SegmentType::arc, {x, y}, r, large, clockwise};
}
Segment close_figure() { return {SegmentType::close}; }

}  // namespace

std::vector<Segment> parse_icon_path(std::string_view path) {
  const std::vector<std::string_view> tokens = split_tokens(path);
  std::vector<Segment> out;
  std::size_t i = 0;
  // The next token as a number; past the end of the string it is 0.
  auto number = [&]() -> float { return i < tokens.size() ? parse_number(tokens[i++]) : 0.0f; };

  while (i < tokens.size()) {
    const std::string_view token = tokens[i++];
    if (!is_command(token)) continue;
    switch (token.front()) {
      case 'M': {
        const float x = number(), y = number();
        out.push_back(begin_at(x, y));
        break;
      }
      case 'L': {
        const float x = number(), y = number();
        out.push_back(line_to(x, y));
        break;
      }
      case 'Z':
        out.push_back(close_figure());
        break;
      case 'A': case 'a': case 'B': case 'b': {
        const float r = number(), x = number(), y = number();
        const char c = token.front();
        out.push_back(arc_to(x, y, r, c == 'B' || c == 'b', c == 'A' || c == 'B'));
        break;
      }
      case 'D': {
        // A line 0.01 long: the round caps make it a dot of the stroke's width.
        const float x = number(), y = number();
        out.push_back(begin_at(x, y));
        out.push_back(line_to(x, y + 0.01f));
        break;
      }
      case 'C': {
        const float cx = number(), cy = number(), r = number();
        out.push_back(begin_at(cx - r, cy));
        out.push_back(arc_to(cx + r, cy, r, false, true));
        out.push_back(arc_to(cx - r, cy, r, false, true));
        out.push_back(close_figure());
        break;
      }
      case 'R': {
        const float x = number(), y = number(), w = number(), h = number(), r = number();
        out.push_back(begin_at(x + r, y));
        out.push_back(line_to(x + w - r, y));
        out.push_back(arc_to(x + w, y + r, r, false, true));
        out.push_back(line_to(x + w, y + h - r));
        out.push_back(arc_to(x + w - r, y + h, r, false, true));
        out.push_back(line_to(x + r, y + h));
        out.push_back(arc_to(x, y + h - r, r, false, true));
        out.push_back(line_to(x, y + r));
        out.push_back(arc_to(x + r, y, r, false, true));
        out.push_back(close_figure());
        break;
      }
    }
  }
  return out;
}

bool segments_buildable(const std::vector<Segment>& segments) {
  bool figure_open = false;
  for (const Segment& segment : segments) {
    switch (segment.type) {
      case SegmentType::begin:
        figure_open = true;
        break;
      case SegmentType::line:
      case SegmentType::arc:
        if (!figure_open) return false;
        break;
      case SegmentType::close:
        if (!figure_open) return false;
        figure_open = false;
        break;
    }
  }
  return true;
}

}  // namespace gfx
