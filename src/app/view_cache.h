#pragma once
// What the view derives from the state by walking a whole list, kept between
// frames so that a frame (and a pointer move, which lays out for its
// hit-test) costs the same for ten bundles or 10,000:
//   - the bundles the sidebar shows for the search text, with every bundle
//     name lower-cased once;
//   - how many items of the selected bundle have a missing target.
// Each value is computed on first use and kept until what it comes from
// changes. Every change to the store ends in save_store, which calls
// store_changed(); every change to the missing set calls missing_changed().
// The search text and the selected bundle are compared on each use, and a
// change in the number of bundles, items or missing targets is noticed even
// without a call.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "bundle/model.h"

namespace app {

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

struct ViewCache {
  VisibleBundles visible_bundles;
  MissingCount missing_count;

  void store_changed() {
    visible_bundles.store_changed();
    missing_count.changed();
  }
  void missing_changed() { missing_count.changed(); }
};

}  // namespace app
