#include "bundle/limits.h"

#include <vector>

namespace bundle {
namespace {

bool is_continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

std::string cut_name(std::string_view name) {
  std::size_t chars = 0;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (is_continuation(static_cast<unsigned char>(name[i]))) continue;
    if (chars == kMaxNameChars) return std::string(name.substr(0, i));
    ++chars;
  }
  return std::string(name);
}

std::size_t utf16_length(std::string_view text) {
  std::size_t units = 0;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (is_continuation(byte)) continue;
    // Four-byte sequences are outside the Basic Multilingual Plane: a surrogate pair.
    units += byte >= 0xF0 ? 2 : 1;
  }
  return units;
}

bool fits_limits(const Item& item) {
  return utf16_length(item.target) <= kMaxTargetUnits && utf16_length(item.args) <= kMaxTargetUnits;
}

void apply_limits(Bundle& bundle) {
  bundle.name = cut_name(bundle.name);
  std::erase_if(bundle.items, [](const Item& item) { return !fits_limits(item); });
  for (Item& item : bundle.items) item.name = cut_name(item.name);
}

}  // namespace bundle
