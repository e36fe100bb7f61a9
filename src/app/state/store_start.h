#pragma once
// The store as the window starts with it, and the rule that keeps the program
// from writing over a store file it could not read.
// Defined in store_start.cpp.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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

// "<folder>/bundles.broken-<unix seconds>.json" beside the store file.
std::string broken_store_path(std::string_view store_path, std::uint64_t unix_seconds);
// Renames an unreadable store aside; the new path, or nothing when that failed.
std::optional<std::string> set_aside_broken_store(const std::string& store_path, std::uint64_t unix_seconds);
// The start-up notice for a store set aside.
std::string broken_store_notice(std::string_view kept_path);

}  // namespace app
