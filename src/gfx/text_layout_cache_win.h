#pragma once
// Text layouts kept between frames. Laying out a line costs several times
// what drawing a laid-out one does, and most frames draw the texts the frame
// before drew, so the layouts last made are kept, the least recently used
// going first once the cache is full.

#include <windows.h>
#include <dwrite.h>
#include <wrl/client.h>

#include <cstddef>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "gfx/text_measure.h"

namespace gfx {

// Everything a layout is made from besides the text formats, which change
// only with the scale (and the cache is emptied then).
struct TextLayoutKey {
  std::string_view text;
  TextFormat format = TextFormat::body;
  float max_width = 0;
  bool wrapped = false;  // word-wrapped; else one line trimmed with an ellipsis
  bool centred = false;
};

class TextLayoutCache {
 public:
  explicit TextLayoutCache(std::size_t bound) : bound_(bound < 1 ? 1 : bound) {}

  // The kept layout for `key`, now the most recently used; null if none.
  Microsoft::WRL::ComPtr<IDWriteTextLayout> find(const TextLayoutKey& key);
  // Keeps `layout` for `key`, dropping the least recently used beyond the bound.
  void keep(const TextLayoutKey& key, Microsoft::WRL::ComPtr<IDWriteTextLayout> layout);
  void clear();

  std::size_t size() const { return entries_.size(); }
  std::size_t bound() const { return bound_; }
  // How many layouts were handed to keep() since the cache was made.
  std::size_t kept_total() const { return kept_total_; }

 private:
  using Entry = std::pair<std::string, Microsoft::WRL::ComPtr<IDWriteTextLayout>>;

  std::size_t bound_;
  std::size_t kept_total_ = 0;
  std::list<Entry> entries_;  // most recently used first
  std::unordered_map<std::string_view, std::list<Entry>::iterator> index_;  // views into entries_' keys
};

}  // namespace gfx
