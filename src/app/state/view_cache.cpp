#include "app/state/view_cache.h"

#include "base/unicode.h"

namespace app {

bool VisibleBundles::matches_store(const bundle::Store& store) const {
  return names_valid_ && bundles_data_ == store.bundles.data() && bundles_size_ == store.bundles.size();
}

const std::vector<std::size_t>& VisibleBundles::get(const bundle::Store& store, std::string_view search_text) {
  if (!matches_store(store)) {
    lower_names_.clear();
    lower_names_.reserve(store.bundles.size());
    for (const bundle::Bundle& bundle : store.bundles) lower_names_.push_back(base::to_lower_full(bundle.name));
    bundles_data_ = store.bundles.data();
    bundles_size_ = store.bundles.size();
    names_valid_ = true;
    list_valid_ = false;
  }
  if (list_valid_ && search_text == search_text_) return visible_;

  visible_.clear();
  visible_.reserve(lower_names_.size());
  if (search_text.empty()) {
    for (std::size_t i = 0; i < lower_names_.size(); ++i) visible_.push_back(i);
  } else {
    const std::string needle = base::to_lower_full(search_text);
    for (std::size_t i = 0; i < lower_names_.size(); ++i) {
      if (lower_names_[i].find(needle) != std::string::npos) visible_.push_back(i);
    }
  }
  search_text_.assign(search_text);
  list_valid_ = true;
  return visible_;
}

std::size_t MissingCount::get(const bundle::Bundle& bundle, std::size_t position,
                              const std::unordered_set<std::string>& missing_targets) {
  if (valid_ && position_ == position && items_data_ == bundle.items.data() && items_size_ == bundle.items.size() &&
      missing_size_ == missing_targets.size()) {
    return count_;
  }
  count_ = 0;
  if (!missing_targets.empty()) {
    for (const bundle::Item& item : bundle.items) count_ += missing_targets.count(bundle::item_key(item.target));
  }
  position_ = position;
  items_data_ = bundle.items.data();
  items_size_ = bundle.items.size();
  missing_size_ = missing_targets.size();
  valid_ = true;
  return count_;
}

}  // namespace app
