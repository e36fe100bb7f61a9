#pragma once
// Defined in import.cpp.

#include <string>
#include <vector>

namespace app {

struct AppState;

// Imports bundle files (.tolvik) as new bundles: the one path for the command
// line, a second start, drops, pastes and the import dialog.
void import_files(AppState& state, const std::vector<std::string>& paths);

}  // namespace app
