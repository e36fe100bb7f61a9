#pragma once
// Finding a bundle in the store: by its id, which the program keeps and hands
// round, and by what a user typed after --open or --close, an id or a name.
// Defined in bundle_lookup.cpp.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bundle/model.h"

namespace app {

struct AppState;

// The store position of the bundle with exactly this id.
std::optional<std::size_t> bundle_position(const bundle::Store& store, std::string_view id);
// The same in the window's store.
std::optional<std::size_t> find_bundle(const AppState& state, std::string_view id);

// The bundle an id or a name means: the exact id first, then the name under
// full Unicode lower-casing. A name two bundles share means neither: opening
// the wrong one of them is worse than asking for the id.
struct BundleMatch {
  const bundle::Bundle* bundle = nullptr;
  std::vector<std::string> same_name_ids;  // the ids of every bundle with that name, when no id matched

  bool ambiguous() const { return same_name_ids.size() > 1; }
};
BundleMatch match_bundle(const bundle::Store& store, std::string_view id_or_name);

}  // namespace app
