#pragma once
// The folders shown in the open File Explorer windows.

#include <windows.h>
#include <exdisp.h>
#include <shobjidl.h>

#include <cstddef>
#include <string>
#include <vector>

namespace winshell {

// A File Explorer window and the file-system folder it shows.
struct ExplorerWindow {
  std::string folder;
  HWND window = nullptr;  // none when the shell would not say
};

// Each window in `windows` that shows a file-system folder, in window order;
// a window that is no folder view, or shows a folder without a file-system
// path, is left out. Duplicates stay.
std::vector<ExplorerWindow> explorer_windows(IShellWindows& windows);
// The same for the shell's own list of windows; empty when there is none.
std::vector<ExplorerWindow> explorer_windows();

// Only their folders.
std::vector<std::string> explorer_folders(IShellWindows& windows);
std::vector<std::string> explorer_folders();

// Closes (IWebBrowser2::Quit) each window in `windows` that shows the folder
// at `path` (the same folder when `same_folder` says so); how many it closed.
std::size_t close_explorer_windows(IShellWindows& windows, const std::string& path,
                                   bool (*same_folder)(const std::string&, const std::string&));

}  // namespace winshell
