#pragma once
// Finding a bundle of the store by its id (edit_support.cpp).

#include <cstddef>
#include <optional>
#include <string_view>

namespace app {

struct AppState;

// The store position of the bundle with exactly this id.
std::optional<std::size_t> find_bundle(const AppState& state, std::string_view id);

}  // namespace app
