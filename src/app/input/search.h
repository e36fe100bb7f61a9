#pragma once
// The search box of the sidebar: what its text and keys do to the bundle list
// and the selection.
// Defined in search.cpp.

#include <string_view>

#include "app/state/inline_field_state.h"

namespace app {

struct AppState;

// Ctrl+F: the box is shown (compact sidebar) and focused with its text selected.
void open_search(AppState& state);

// The box's text changed: keep it trimmed, scroll the list to its top and
// select the first visible bundle when the selection is not visible. A text
// that trims to the search already in place changes nothing.
void on_search_text_changed(AppState& state, std::string_view text);

void on_search_key(AppState& state, SearchKey key);

// The box took the keyboard (a click in it, Ctrl+F or Tab): the view's focus
// rests on it, so that Tab goes on from there and no other element shows a ring.
void search_box_focused(AppState& state);

}  // namespace app
