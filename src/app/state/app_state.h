#pragma once
// The application state: one per process, owned by the window's thread. The
// Win32 layer keeps its handles (window, fonts, rendering context) beside it.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "app/state/inline_field_state.h"
#include "app/state/platform.h"
#include "app/state/region.h"
#include "app/state/store_save.h"
#include "app/state/toast.h"
#include "app/state/undo_record.h"
#include "app/state/update_stage.h"
#include "app/state/view_cache.h"
#include "bundle/model.h"
#include "gfx/palette.h"

namespace app {

// The bundle being opened and how far its opening has come.
struct OpeningProgress {
  std::string bundle_id;
  std::size_t done = 0;   // items through so far
  std::size_t total = 0;  // items handed to the worker
  bool stopping = false;  // Stop was pressed; the worker ends after the item it is on
};

// Why an item of the last opening did not open, shown on its row until the
// bundle opens again. A missing target has the "Not found" mark instead.
struct OpenFailure {
  enum class Why : std::uint8_t { failed, declined, timed_out } why = Why::failed;
  std::string text;  // the system's text when failed
};
// Bundle id and item key (bundle::item_key of the stored target): an edit
// made meanwhile can move or remove the item, never mark another.
using OpenFailureKey = std::pair<std::string, std::string>;

// What the toast's Retry button opens again: the items of one bundle whose
// item keys are listed, in the bundle's order.
struct RetryRecord {
  std::string bundle_id;
  std::vector<std::string> item_keys;
};

// Why the store file must not be written over for now.
struct StoreHold {
  enum class Why { unreadable, unreachable } why = Why::unreadable;
  std::string text;  // what the user is told
};

struct AppState {
  explicit AppState(Platform& p) : platform(p) {}

  Platform& platform;

  bundle::Store store;
  std::string store_path;
  // Set while saving would write over a store file this run could not read.
  std::optional<StoreHold> store_hold;
  // What the last save failed with; every toast carries it until one succeeds.
  std::optional<std::string> save_failure;
  // Why tolvik's Run value could not be brought up to date with the marks,
  // worded for a toast, until it can; the sign-in entry says so meanwhile.
  std::optional<std::string> run_value_failure;

  std::optional<std::size_t> selected_bundle;
  std::optional<std::size_t> selected_item;
  std::string search_text;
  bool search_open = false;

  std::optional<ActiveEdit> edit;

  // Pointer state of the view.
  Region hover;
  struct Press {
    std::optional<Region> region;  // none while no press is held, or once it is spent
    float x = 0, y = 0;
  } pressed;
  struct ItemDrag {
    std::size_t index = 0;
    float pointer_y = 0;
    float grab_offset = 0;  // press y minus the row's top
  };
  std::optional<ItemDrag> item_drag;
  // Target of a file drag over the window: a bundle position, or a new bundle.
  struct DropTarget {
    std::optional<std::size_t> bundle;  // none: a new bundle
  };
  std::optional<DropTarget> drop_target;
  bool tracking_leave = false;

  // The keyboard focus inside the view: the element that Tab, the arrows,
  // Enter and the menu key act on (a bundle row and an item row are the
  // selection itself). None until the keyboard or a click puts it somewhere.
  std::optional<Region> focus;
  // The focus ring is drawn only once the keyboard has been used, as Windows does.
  bool focus_ring = false;
  // Where the focus was before F6 took it to the toast's button; F6 again,
  // or the toast going, takes it back there.
  std::optional<Region> focus_before_toast;

  std::optional<Toast> toast;
  // What the toast's Undo button (and Ctrl+Z) restores.
  std::optional<Undo> undo;
  // The bundle being opened; while set no other bundle opens.
  std::optional<OpeningProgress> opening;
  // The failure marks of the items of each bundle's last opening.
  std::map<OpenFailureKey, OpenFailure> open_failures;
  // What the toast's Retry button opens again.
  std::optional<RetryRecord> retry;
  // The update being offered or downloaded; a second offer waits for none.
  UpdateStage update;
  // "Keep running in the notification area": closing the window hides it
  // and the icon stays; read at start, changed only by the settings menu.
  bool keep_in_notification_area = false;
  // Item keys (bundle::item_key) of targets found not to exist.
  std::unordered_set<std::string> missing_targets;
  // Derived from the store, the search text and the missing set; kept
  // between frames (app/state/view_cache.h).
  mutable ViewCache view_cache;

  // What the view shows changed: the kept layout goes and a frame is asked
  // for. Every change to the state that the window shows ends here.
  void redraw() {
    view_cache.layout.changed();
    platform.invalidate();
  }

  // The client area in pixels.
  float client_width = 0;
  float client_height = 0;
  float sidebar_scroll = 0;
  float content_scroll = 0;
  bool dark = false;
  // The system's colours while a high-contrast theme is on; they win over
  // `dark` (app/view/colours.h).
  std::optional<gfx::SystemColours> high_contrast;
  std::uint32_t dpi = 96;
  // Windows' text size as a factor (1 to 2.25): text and the rows that hold
  // it are this much larger than the DPI alone makes them (app/view/text_scale.h).
  // The window's minimum size reads it from here too.
  float text_scale = 1;

  // What follows each save, added once at start by the features that keep
  // something in step with the store (app/reach/after_save.h); `written`
  // tells whether the file was written.
  std::vector<std::function<void(AppState& state, bool written)>> after_save;

  const bundle::Bundle* selected() const {
    return selected_bundle && *selected_bundle < store.bundles.size()
               ? &store.bundles[*selected_bundle] : nullptr;
  }
};

}  // namespace app
