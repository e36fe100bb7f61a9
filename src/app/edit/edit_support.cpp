#include "app/edit/edit_support.h"

#include "app/state/app_state.h"

namespace app {

std::optional<std::size_t> find_bundle(const AppState& state, std::string_view id) {
  for (std::size_t i = 0; i < state.store.bundles.size(); ++i) {
    if (state.store.bundles[i].id == id) return i;
  }
  return std::nullopt;
}



}  // namespace app
