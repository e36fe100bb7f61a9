#pragma once
// Shell links (.lnk): desktop shortcuts and the jump list's tasks. COM must be
// initialised on the calling thread.

#include <windows.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <string>
#include <string_view>

#include "base/result.h"

namespace winshell {

// A link to `target` with its arguments, description, the target's first icon
// and, when the target has a folder, that folder as the working folder.
base::Result<Microsoft::WRL::ComPtr<IShellLinkW>> make_shell_link(std::string_view target, std::string_view arguments,
                                                                  std::string_view description);

// Writes the link to `path`, replacing what is there.
base::Status save_shell_link(IShellLinkW& link, std::string_view path);

enum class NewLink { created, name_taken, failed };
struct NewLinkResult {
  NewLink outcome = NewLink::failed;
  std::string error;  // the system's text when failed
};

// Writes a new link file at `path` and never replaces anything: the link is
// saved beside it under a temporary name and moved into place only while the
// name is free.
NewLinkResult create_shell_link_file(std::string_view path, std::string_view target, std::string_view arguments,
                                     std::string_view description);

// The text of a failed HRESULT, as the system words it.
std::string hresult_text(HRESULT hr);

}  // namespace winshell
