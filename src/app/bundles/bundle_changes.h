#pragma once
// The bundle changes: every change the user makes to the bundles. Each saves
// the whole store, updates the selection and raises its toast; taking one back
// is the undo operation (app/act/undo.h).

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "bundle/model.h"

namespace app {

struct AppState;

// Adds classified items to the bundle at `target`, skipping duplicates; a
// missing or out-of-range target makes a new bundle.
void add_items(AppState& state, std::optional<std::size_t> target, std::vector<bundle::Item> items);
// Removes an item of the selected bundle (with Undo).
void remove_item(AppState& state, std::size_t index);
// Deletes a bundle (with Undo).
void delete_bundle(AppState& state, std::size_t index);
void duplicate_bundle(AppState& state, std::size_t index);
// "Open when I sign in": marks or unmarks the bundle (with Undo).
void toggle_sign_in(AppState& state, std::size_t index);
void new_bundle(AppState& state);
void begin_rename_bundle(AppState& state);

// Commits from the inline editor, by the bundle's id.
void commit_bundle_name(AppState& state, std::string_view bundle_id, std::string_view text);
void commit_item_name(AppState& state, std::string_view bundle_id, std::size_t index, std::string_view text);
void commit_args(AppState& state, std::string_view bundle_id, std::size_t index, std::string_view text);

// Moves an item of the selected bundle so that it ends at position `to`.
void move_item(AppState& state, std::size_t from, std::size_t to);

}  // namespace app
