#pragma once

namespace winshell {

// Removes the program's taskbar jump list (COM must be initialised).
void delete_jump_list();

}  // namespace winshell
