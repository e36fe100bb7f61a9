#pragma once
// Bundle hotkeys while the window runs: which keys to register with the
// system and which to give back when the store changes, what the header says
// about a bundle's key, and what a press does. The registrations themselves
// are kept by the platform (Windows' RegisterHotKey ends with the window), so
// that what the view shows is read from there, never from a copy.
// Defined in hotkeys.cpp.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/state/hotkey_host.h"
#include "base/result.h"
#include "bundle/model.h"

namespace app {

struct AppState;

// What to give back and what to ask for so that the registrations match the
// store: a bundle whose key changed or that went away gives its key back
// before any key is asked for, so one bundle's key can pass to another in a
// single change. Of two bundles with the same key only the first asks for it.
struct HotkeyChanges {
  std::vector<std::string> unregister;                        // bundle ids
  std::vector<std::pair<std::string, bundle::Hotkey>> add;    // bundle id, key
};
HotkeyChanges hotkey_changes(const std::vector<HotkeyRegistration>& registered, const bundle::Store& store);

// Brings the platform's registrations in line with the store.
void sync_hotkeys(AppState& state);

// The dialog's controls as the user left them: the seconds as typed.
struct HotkeyForm {
  std::optional<bundle::Hotkey> hotkey;
  std::string delay;
};
enum class HotkeyField { hotkey, delay };
struct HotkeyFormError {
  HotkeyField field = HotkeyField::hotkey;
  std::string text;
};
// A key another bundle has, a key without Ctrl or Alt, or a wait out of its
// range is refused with the text that says why. An empty wait is none.
base::Result<HotkeyChoice, HotkeyFormError> read_hotkey_form(const HotkeyForm& form, const HotkeyDialogInput& input,
                                                             std::string_view decimal);

// The dialog's caption, which its message boxes share: "Hotkey for “Mail”".
std::string hotkey_dialog_title(std::string_view bundle_name);

HotkeyDialogInput hotkey_dialog_input(const bundle::Store& store, std::size_t index);

// "Hotkey…" of the bundle at `index`: the dialog, then its answer put into
// that bundle if it is still there.
void edit_bundle_hotkey(AppState& state, std::size_t index);
// Puts `choice` into the bundle `bundle_id`; saves and offers Undo when
// anything changed, registers the keys again, and says at once when Windows
// refused the new key.
void apply_bundle_hotkey(AppState& state, std::string_view bundle_id, const HotkeyChoice& choice);

// A bundle's hotkey was pressed: it opens as with its Open button, or, when
// an opening is still running, a toast says so.
void on_hotkey_pressed(AppState& state, std::string_view bundle_id);

}  // namespace app
