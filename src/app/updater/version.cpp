#include "app/updater/version.h"

#include <algorithm>
#include <charconv>

namespace app {
namespace {

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

std::uint32_t part_value(std::string_view part) {
  std::uint32_t value = 0;
  if (part.empty()) return 0;
  auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
  if (error != std::errc() || end != part.data() + part.size()) return 0;
  return value;
}

}  // namespace

std::vector<std::uint32_t> version_parts(std::string_view version) {
  while (!version.empty() && is_space(version.front())) version.remove_prefix(1);
  while (!version.empty() && is_space(version.back())) version.remove_suffix(1);
  if (!version.empty() && version.front() == 'v') version.remove_prefix(1);
  std::vector<std::uint32_t> parts;
  for (;;) {
    const std::size_t dot = version.find('.');
    parts.push_back(part_value(version.substr(0, dot)));
    if (dot == std::string_view::npos) break;
    version.remove_prefix(dot + 1);
  }
  return parts;
}

int compare_versions(std::string_view a, std::string_view b) {
  std::vector<std::uint32_t> left = version_parts(a);
  std::vector<std::uint32_t> right = version_parts(b);
  const std::size_t length = std::max(left.size(), right.size());
  left.resize(length, 0);
  right.resize(length, 0);
  for (std::size_t i = 0; i < length; ++i) {
    if (left[i] != right[i]) return left[i] < right[i] ? -1 : 1;
  }
  return 0;
}

}  // namespace app
