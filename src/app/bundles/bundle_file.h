#pragma once
// Export of one bundle to a .tolvik file and the import command.
// Defined in bundle_file.cpp.

#include <cstddef>

namespace app {

struct AppState;

// Asks where to save, then writes the bundle as it was when asked.
void export_bundle(AppState& state, std::size_t index);

// The open dialog for bundle files, then `import_files`.
void choose_and_import(AppState& state);

}  // namespace app
