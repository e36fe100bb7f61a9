#pragma once
// New, duplicated and renamed bundles, and the sign-in mark (bundle_ops.cpp).

#include <cstddef>

namespace app {

struct AppState;

void duplicate_bundle(AppState& state, std::size_t index);
// "Open when I sign in": marks or unmarks the bundle (with Undo).
void toggle_sign_in(AppState& state, std::size_t index);
void new_bundle(AppState& state);
void begin_rename_bundle(AppState& state);

}  // namespace app
