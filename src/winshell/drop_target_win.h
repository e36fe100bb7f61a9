#pragma once
// The main window's OLE drop target: files, folders, shortcuts and web
// addresses dragged from File Explorer or a browser.

#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

#include <wrl/client.h>

#include <optional>
#include <string>
#include <vector>

#include "detect/detect.h"

namespace winshell {

// What a drop does to the program; the drop target only reads the data. A
// call that throws is traced, and the drop target answers the drag source
// with its HRESULT and no effect.
class DropHandler {
 public:
  virtual ~DropHandler() = default;
  // Whether a drop at this client point would be taken (and the highlight).
  virtual bool drag_over(float x, float y) = 0;
  virtual void drag_leave() = 0;
  // Takes the copied payload for later and returns at once: the drag source
  // waits for Drop to return. False when it could not be kept.
  virtual bool drop(HWND window, float x, float y, detect::DropPayload payload) = 0;
};

// The drop effect answered for what the source allows: a copy, else a link,
// else none.
DWORD drop_effect_for(DWORD allowed);

// A drop target for `window` that answers `handler`, with one reference.
Microsoft::WRL::ComPtr<IDropTarget> make_drop_target(HWND window, DropHandler& handler);

// Registers a drop target for `window` (OLE keeps the only reference);
// false when registration failed. RevokeDragDrop ends it.
bool register_drop_target(HWND window, DropHandler& handler);

// Reads a data object the way a drop does: its file list, else its
// "UniformResourceLocatorW" text, else its Unicode text.
detect::DropPayload read_data_object(IDataObject& data);

// Whether the data object offers one of those formats.
bool offers_droppable_data(IDataObject& data);

// The paths of a shell file list, in order; empty names are left out. A
// block whose list starts outside it or does not end inside it with an
// empty name gives none.
std::vector<std::string> read_drop_paths(HDROP drop);
// A block of UTF-16 text up to its NUL or the end of the block; none when it
// is longer than detect::kMaxInputTextBytes.
std::optional<std::string> read_global_text(HGLOBAL memory);

}  // namespace winshell
