#pragma once
// What the view derives from the state by walking a whole list, kept between
// frames so that a frame (and a pointer move, which lays out for its
// hit-test) costs the same for ten bundles or 10,000:
//   - the bundles the sidebar shows for the search text, with every bundle
//     name lower-cased once;
//   - how many items of the selected bundle have a missing target;
//   - the layout last made, so that pointer moves over an unchanged view lay
//     out nothing (see KeptLayout).
// Each value is computed on first use and kept until what it comes from
// changes. Every change to the store ends in save_store, which calls
// store_changed(); every change to the missing set calls missing_changed().
// The search text and the selected bundle are compared on each use, and a
// change in the number of bundles, items or missing targets is noticed even
// without a call.
// Defined in view_cache.cpp.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "bundle/model.h"

namespace gfx {
class TextMeasure;
}

namespace app {

struct ViewLayout;  // app/view/layout.h

// The positions of the bundles whose names contain the search text, ignoring
// letter case by full Unicode rules, in store order.
class VisibleBundles {
 public:
  const std::vector<std::size_t>& get(const bundle::Store& store, std::string_view search_text);
  void store_changed() { names_valid_ = false; }

 private:
  bool matches_store(const bundle::Store& store) const;

  bool names_valid_ = false;
  bool list_valid_ = false;
  const bundle::Bundle* bundles_data_ = nullptr;  // the store's bundles when the names were taken
  std::size_t bundles_size_ = 0;
  std::vector<std::string> lower_names_;
  std::string search_text_;  // what `visible_` was filtered by
  std::vector<std::size_t> visible_;
};

// The number of items of one bundle whose item key is in the missing set.
class MissingCount {
 public:
  std::size_t get(const bundle::Bundle& bundle, std::size_t position,
                  const std::unordered_set<std::string>& missing_targets);
  void changed() { valid_ = false; }

 private:
  bool valid_ = false;
  std::size_t position_ = 0;
  const bundle::Item* items_data_ = nullptr;
  std::size_t items_size_ = 0;
  std::size_t missing_size_ = 0;
  std::size_t count_ = 0;
};

// What a layout was made from that changes without a request for a frame:
// the window's size and DPI arrive with their messages, a frame clamps the
// scroll offsets, and the text measure comes and goes with the rendering
// context.
struct LayoutInputs {
  float client_width = 0;
  float client_height = 0;
  std::uint32_t dpi = 0;
  float sidebar_scroll = 0;
  float content_scroll = 0;
  const gfx::TextMeasure* measure = nullptr;

  bool operator==(const LayoutInputs&) const = default;
};

// The layout last made. Every other change to what the view shows asks for a
// frame (AppState::redraw), and that drops the kept layout. The state holds
// it without knowing its parts: the view makes it and reads it.
class KeptLayout {
 public:
  const ViewLayout* find(const LayoutInputs& inputs) const {
    return layout_ && inputs == inputs_ ? layout_.get() : nullptr;
  }
  const ViewLayout& keep(std::shared_ptr<const ViewLayout> layout, const LayoutInputs& inputs) {
    inputs_ = inputs;
    layout_ = std::move(layout);
    return *layout_;
  }
  void changed() { layout_.reset(); }

 private:
  std::shared_ptr<const ViewLayout> layout_;
  LayoutInputs inputs_;
};

struct ViewCache {
  VisibleBundles visible_bundles;
  MissingCount missing_count;
  KeptLayout layout;

  void store_changed() {
    visible_bundles.store_changed();
    missing_count.changed();
    layout.changed();
  }
  void missing_changed() {
    missing_count.changed();
    layout.changed();
  }
};

}  // namespace app
