#pragma once
// Closing a bundle from the window: what its last opening started.
// Defined in close_bundle.cpp.

#include <cstddef>

namespace app {

struct AppState;

// UI thread: asks what the bundle's last opening started to close (see
// opening_record.h) and says in a toast what was closed and what was not.
void close_bundle(AppState& state, std::size_t index);

}  // namespace app
