#pragma once
// The store as the window starts with it, and the rule that keeps the program
// from writing over a store file it could not read.

#include <cstdint>
#include <optional>
#include <string>

#include "app/state/app_state.h"
#include "bundle/model.h"

namespace app {

struct StartStore {
  bundle::Store store;
  std::optional<std::string> notice;  // the start-up toast
  std::optional<StoreHold> hold;      // saving must wait
  bool save_now = false;              // ids were repaired: keep the new ones
};

// Loads the store at `path`. An unreadable file is set aside; when that fails,
// or when the file's drive or share cannot be reached, the program starts
// empty and holds its saves so that the user's file is never written over.
StartStore open_store_at_start(const std::string& path);

// Tries again what held the saves back: setting the unreadable file aside, or
// finding the location reachable with no store file in it. True when saving
// may go on.
bool release_store_hold(AppState& state);

}  // namespace app
