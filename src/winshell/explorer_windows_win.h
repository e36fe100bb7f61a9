#pragma once
// The folders shown in the open File Explorer windows.

#include <exdisp.h>
#include <shobjidl.h>

#include <cstddef>
#include <string>
#include <vector>

namespace winshell {

// The file-system folder of each window in `windows`, in window order; a
// window that is no folder view, or shows a folder without a file-system path,
// is left out. Duplicates stay.
std::vector<std::string> explorer_folders(IShellWindows& windows);

// The same for the shell's own list of windows; empty when there is none.
std::vector<std::string> explorer_folders();

// Closes (IWebBrowser2::Quit) each window in `windows` that shows the folder
// at `path` (the same folder when `same_folder` says so); how many it closed.
std::size_t close_explorer_windows(IShellWindows& windows, const std::string& path,
                                   bool (*same_folder)(const std::string&, const std::string&));

}  // namespace winshell
