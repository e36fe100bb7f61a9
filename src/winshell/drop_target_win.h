#pragma once
// The main window's OLE drop target: files, folders, shortcuts and web
// addresses dragged from File Explorer or a browser.

#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "detect/detect.h"

namespace winshell {

// What a drop does to the program; the drop target only reads the data.
class DropHandler {
 public:
  virtual ~DropHandler() = default;
  // Whether a drop at this client point would be taken (and the highlight).
  virtual bool drag_over(float x, float y) = 0;
  virtual void drag_leave() = 0;
  virtual void drop(float x, float y, const detect::DropPayload& payload) = 0;
};

// Registers a drop target for `window` (OLE keeps the only reference);
// false when registration failed. RevokeDragDrop ends it.
bool register_drop_target(HWND window, DropHandler& handler);

// Reads a data object the way a drop does: its file list, else its
// "UniformResourceLocatorW" text, else its Unicode text.
detect::DropPayload read_data_object(IDataObject& data);

// Whether the data object offers one of those formats.
bool offers_droppable_data(IDataObject& data);

// The paths of a shell file list, in order; empty names are left out.
std::vector<std::string> read_drop_paths(HDROP drop);
// A block of UTF-16 text up to its NUL or the end of the block.
std::string read_global_text(HGLOBAL memory);

}  // namespace winshell
