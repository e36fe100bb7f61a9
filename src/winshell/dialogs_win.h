#pragma once
// The common file dialogs and known folders. COM must be initialised on the
// calling thread; every dialog runs a modal loop.

#include <windows.h>
#include <shtypes.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_type.h"
#include "base/result.h"

namespace winshell {

// Portable: the application names the types it asks for.
using base::FileType;

// SHGetKnownFolderPath; the system's text when the folder has no path.
base::Result<std::string> known_folder_path(REFKNOWNFOLDERID folder);

// Several existing files; shortcuts come back as the .lnk files themselves.
// Empty when cancelled or failed. `start_folder` opens the dialog there.
std::vector<std::string> open_files_dialog(HWND owner, std::string_view title, const std::vector<FileType>& types,
                                           const std::optional<std::string>& start_folder);

// One folder; none when cancelled or failed.
std::optional<std::string> pick_folder_dialog(HWND owner, std::string_view title);

// A file to write; the dialog itself asks before an existing file is replaced.
std::optional<std::string> save_file_dialog(HWND owner, std::string_view title, const std::vector<FileType>& types,
                                            std::string_view default_extension, std::string_view initial_name);

}  // namespace winshell
