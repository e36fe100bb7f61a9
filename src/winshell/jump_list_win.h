#pragma once
// The taskbar jump list: one task per bundle that opens it without the window.
// COM must be initialised on the calling thread.

#include <shobjidl.h>

#include <string>
#include <vector>

#include "winshell/app_id_win.h"

namespace winshell {

struct JumpTask {
  std::string bundle_id;
  std::string name;
};

// Replaces the list's tasks with the first bundles (as many as the taskbar
// shows, at least 5 and at most 20), each starting `program` with
// --open "<id>"; with no bundles the list is deleted. The caller chooses the
// bundles: each name titles its task, so none may be empty (the taskbar
// would refuse the whole list) or longer than a link's description holds
// (1023 UTF-16 units). A task that cannot be made is left out and the next
// one takes its place; any other failure leaves the list as Windows keeps it.
void refresh_jump_list(ICustomDestinationList& list, const std::string& program, const std::vector<JumpTask>& tasks);

// The same on the shell's destination list of this program.
void refresh_jump_list(const std::vector<JumpTask>& tasks);

// Removes the program's taskbar jump list.
void delete_jump_list();

}  // namespace winshell
