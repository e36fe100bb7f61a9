#pragma once
// The system's Applications folder (FOLDERID_AppsFolder): every app the Start
// menu lists, packaged or not.

#include <string>
#include <vector>

namespace winshell {

struct AppsFolderEntry {
  std::string name;          // the display name
  std::string parsing_name;  // an AppUserModelID, or the full path of a desktop program
  int icon = -1;             // the index of its small icon in the system image list
};

// The folder's items in the shell's order; empty when it has none or cannot
// be read (each failure leaves a trace). COM must be initialized on the thread.
std::vector<AppsFolderEntry> apps_folder_entries();

}  // namespace winshell
