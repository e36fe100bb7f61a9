#include "bundle/json_positions.h"

#include <algorithm>

namespace bundle::json {
namespace {

bool is_number_char(char c) {
  return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E';
}

}  // namespace

std::size_t number_end(std::string_view text, std::size_t read) {
  if (read > 0 && read <= text.size() && !is_number_char(text[read - 1])) return read - 1;
  return read;
}

std::string error_at(std::string_view text, std::size_t offset, std::string_view message) {
  const std::string_view before = text.substr(0, std::min(offset, text.size()));
  const std::size_t line = 1 + static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n'));
  const std::size_t line_start = before.rfind('\n');
  const std::size_t column = line_start == std::string_view::npos ? before.size() : before.size() - line_start - 1;
  std::string text_out = "parse error at line ";
  text_out += std::to_string(line);
  text_out += ", column ";
  text_out += std::to_string(column);
  text_out += ": ";
  text_out += message;
  return text_out;
}

}  // namespace bundle::json
