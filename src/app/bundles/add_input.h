#pragma once
// Where dropped and pasted input enters the program.
// Defined in add_input.cpp.

#include <cstddef>
#include <optional>

#include "detect/detect.h"

namespace app {

struct AppState;

// Bundle files go to the import; other paths, or else the text's recognised
// lines, are added to the bundle at `target` (none: a new bundle).
void add_input(AppState& state, std::optional<std::size_t> target, const detect::DropPayload& payload);

// Ctrl+V with what the clipboard held: added to the selected bundle, or a
// toast when there is nothing usable.
void paste(AppState& state, const detect::DropPayload& payload);

}  // namespace app
