#pragma once
// The one-step undo record: the last removed item, deleted bundle, changed
// item options, opening at sign-in or changed hotkey. It
// outlives its toast and is never saved; app/bundles/undo.h takes it back.

#include <cstddef>
#include <optional>
#include <string>
#include <variant>

#include "bundle/model.h"

namespace app {

struct RemovedItem {
  std::string bundle_id;
  bundle::Item item;
  std::size_t index = 0;
};

struct DeletedBundle {
  bundle::Bundle bundle;
  std::size_t index = 0;
};

// The options an item had before "Options…" changed them.
struct ChangedOptions {
  std::string bundle_id;
  std::size_t index = 0;
  std::string target;
  bundle::ItemOptions before;
};

// Whether a bundle opened at sign-in before "Open when I sign in" changed it.
struct ChangedSignIn {
  std::string bundle_id;
  bool before = false;
};

// A bundle's hotkey and sign-in wait before "Hotkey…" changed them.
struct ChangedHotkey {
  std::string bundle_id;
  std::optional<bundle::Hotkey> hotkey;
  double sign_in_delay = 0;
};

using Undo = std::variant<RemovedItem, DeletedBundle, ChangedOptions, ChangedSignIn, ChangedHotkey>;

}  // namespace app
