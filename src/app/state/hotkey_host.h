#pragma once
// What the bundle hotkeys need from the window: the hotkey dialog and the
// system-wide registrations (WinPlatform in app/window/win_platform_win.h;
// FakePlatform in the tests). The view reads the registrations too, for the
// header's "not available".

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bundle/model.h"

namespace app {

// One bundle's key as the window asked for it: `held` is false when Windows
// refused it because another program holds that key. A refused key stays
// listed, so that the header can say so, until the bundle's key changes.
struct HotkeyRegistration {
  std::string bundle_id;
  bundle::Hotkey hotkey;
  bool held = false;

  bool operator==(const HotkeyRegistration&) const = default;
};

// What the hotkey dialog is shown with, and what it answers with OK.
struct HotkeyDialogInput {
  std::string bundle_name;
  std::optional<bundle::Hotkey> hotkey;
  double sign_in_delay = 0;
  // Every other bundle's key with that bundle's name, for the refusal of a
  // key that is taken.
  std::vector<std::pair<bundle::Hotkey, std::string>> others;
};
struct HotkeyChoice {
  std::optional<bundle::Hotkey> hotkey;
  double sign_in_delay = 0;

  bool operator==(const HotkeyChoice&) const = default;
};

// The bundle's entry among the registrations; null when it has none.
inline const HotkeyRegistration* registration_of(const std::vector<HotkeyRegistration>& registered,
                                                 std::string_view bundle_id) {
  const auto found = std::find_if(registered.begin(), registered.end(),
                                  [bundle_id](const HotkeyRegistration& r) { return r.bundle_id == bundle_id; });
  return found == registered.end() ? nullptr : &*found;
}

class HotkeyHost {
 public:
  virtual ~HotkeyHost() = default;

  // A bundle's "Hotkey…" dialog, owned by the window: what was chosen with
  // OK; none when cancelled or when the window went away meanwhile. A modal
  // loop, like Platform's dialogs.
  virtual std::optional<HotkeyChoice> edit_bundle_hotkey(const HotkeyDialogInput& input) = 0;

  // The system-wide hotkeys of the bundles, registered for the window until
  // it ends. A key Windows refuses stays listed as not held; registering
  // again replaces the bundle's entry.
  virtual std::vector<HotkeyRegistration> hotkey_registrations() = 0;
  virtual void register_hotkey(const std::string& bundle_id, const bundle::Hotkey& hotkey) = 0;
  virtual void unregister_hotkey(const std::string& bundle_id) = 0;
};

}  // namespace app
