#include "app/state/bundle_lookup.h"

#include "app/state/app_state.h"
#include "base/unicode.h"

namespace app {

std::optional<std::size_t> bundle_position(const bundle::Store& store, std::string_view id) {
  for (std::size_t i = 0; i < store.bundles.size(); ++i) {
    if (store.bundles[i].id == id) return i;
  }
  return std::nullopt;
}

std::optional<std::size_t> find_bundle(const AppState& state, std::string_view id) {
  return bundle_position(state.store, id);
}

BundleMatch match_bundle(const bundle::Store& store, std::string_view id_or_name) {
  BundleMatch match;
  if (const std::optional<std::size_t> position = bundle_position(store, id_or_name)) {
    match.bundle = &store.bundles[*position];
    return match;
  }
  const std::string wanted = base::to_lower_full(id_or_name);
  const bundle::Bundle* named = nullptr;
  for (const bundle::Bundle& b : store.bundles) {
    if (base::to_lower_full(b.name) != wanted) continue;
    named = &b;
    match.same_name_ids.push_back(b.id);
  }
  if (match.same_name_ids.size() == 1) match.bundle = named;
  return match;
}

}  // namespace app
