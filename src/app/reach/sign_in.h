#pragma once
// Opening bundles when the user signs in to Windows: whether tolvik needs its
// value in the Run key, what that value holds, and the window-less opening
// that `tolvik.exe --sign-in` runs.
// Defined in sign_in.cpp, sign_in_win.cpp.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/reach/startup.h"
#include "base/result.h"
#include "bundle/model.h"

namespace app {

class Opener;
struct AppState;

// The value's name in HKCU\Software\Microsoft\Windows\CurrentVersion\Run,
// and in Explorer\StartupApproved\Run beside it.
inline constexpr std::string_view kRunValueName = "tolvik";
inline constexpr std::string_view kSignInSwitch = "--sign-in";

// Windows starts tolvik at sign-in while a bundle opens then or the
// notification-area setting is on.
bool run_value_wanted(const bundle::Store& store, bool keep_in_notification_area);

// The Run value's data: "<program>" --sign-in.
std::string run_value_data(std::string_view program);

// What to do to the Run value so that it says `wanted`: nothing when it
// already does (the same data), else write it or delete it.
enum class RunValueChange : std::uint8_t { none, write, remove };
RunValueChange run_value_change(const std::optional<std::string>& current, bool wanted, std::string_view data);

// Writes or deletes the Run value through the platform so that it matches the
// bundles and the setting now; a store held at start (never read) says
// nothing about the marks, so the value is then left as it is. A value that
// could not be written leaves why in state.run_value_failure.
void bring_run_value_up_to_date(AppState& state);

// The ids of the marked bundles, in store order: a save that leaves them as
// they were cannot have changed what the Run value should say.
std::vector<std::string> sign_in_marks(const bundle::Store& store);

// Task Manager's start-up list keeps its switch in a REG_BINARY whose first
// byte is odd while the program is turned off there.
bool startup_turned_off(std::span<const std::uint8_t> approved);

// The bundles that open at sign-in, in the order they open: by their wait,
// bundles with the same wait in the store's (the jump list's) order. Bundles
// without items are left out.
std::vector<const bundle::Bundle*> sign_in_order(const bundle::Store& store);

// Waits until `seconds` have passed since sign-in; returns at once when that
// time is already over.
using WaitUntil = std::function<void(double seconds)>;

// Opens each marked bundle at its wait, counted from the start, window-less
// and recorded as `--open` does. A bundle with items still to be reviewed is
// not opened: that needs a question nobody asked for at sign-in. Returns the
// one message box text listing what was skipped and what failed, or nothing.
std::optional<std::string> open_at_sign_in(const base::Result<bundle::Store>& loaded, Opener& opener,
                                           const WaitUntil& wait_until, const RecordOpening& record = {});

}  // namespace app
