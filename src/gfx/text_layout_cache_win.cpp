#include "gfx/text_layout_cache_win.h"

#include <cstdint>
#include <cstring>

namespace gfx {
namespace {

// One string per key: a fixed-size head (format, flags, the width's bits)
// and then the text, so that no text can pass for another key's head.
std::string encode(const TextLayoutKey& key) {
  std::uint32_t width_bits = 0;
  static_assert(sizeof width_bits == sizeof key.max_width);
  std::memcpy(&width_bits, &key.max_width, sizeof width_bits);
  std::string out;
  out.reserve(6 + key.text.size());
  out += static_cast<char>(key.format);
  out += static_cast<char>((key.wrapped ? 1 : 0) | (key.centred ? 2 : 0));
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((width_bits >> shift) & 0xFF);
  out += key.text;
  return out;
}

}  // namespace

Microsoft::WRL::ComPtr<IDWriteTextLayout> TextLayoutCache::find(const TextLayoutKey& key) {
  const auto found = index_.find(encode(key));
  if (found == index_.end()) return nullptr;
  entries_.splice(entries_.begin(), entries_, found->second);
  return found->second->second;
}

void TextLayoutCache::keep(const TextLayoutKey& key, Microsoft::WRL::ComPtr<IDWriteTextLayout> layout) {
  if (!layout) return;
  ++kept_total_;
  std::string encoded = encode(key);
  if (const auto found = index_.find(encoded); found != index_.end()) {
    found->second->second = std::move(layout);
    entries_.splice(entries_.begin(), entries_, found->second);
    return;
  }
  entries_.emplace_front(std::move(encoded), std::move(layout));
  index_.emplace(entries_.front().first, entries_.begin());
  while (entries_.size() > bound_) {
    index_.erase(entries_.back().first);
    entries_.pop_back();
  }
}

void TextLayoutCache::clear() {
  index_.clear();
  entries_.clear();
}

}  // namespace gfx
