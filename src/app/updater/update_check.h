#pragma once
// The updater's side on the window's thread: starting a check (from the
// settings menu or once a day at start), answering its result with a toast or
// the offer, and starting the verified installer.
// Defined in update_check.cpp.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "app/state/update_stage.h"
#include "app/updater/update_results.h"

namespace app {

struct AppState;

enum class UpdateRequest { daily, by_user };

// Starts a check in the background; its answer arrives as WM_APP+2. A check
// asked for by the user says so with a toast first.
void check_for_updates(AppState& state, UpdateRequest request);

// The daily check at start: unless "AutoUpdate" is 0, and when more than a day
// has passed since "LastUpdateCheck" (a time in the future counts as none
// passed), stores `now` there and starts a check. True when one started.
bool check_for_updates_daily(AppState& state, std::uint64_t now);

// What a manifest that cannot be had shows: broken, too large, unreadable.
std::string manifest_failure_text();

// The worker's answer from the manifest's text: an offer when it names a
// version newer than `current`.
std::variant<UpToDate, UpdateOffer, UpdateFailure> answer_from_manifest(std::string_view text,
                                                                         std::string_view current);

// The offer's question: "A new version is available: <v>\n(current <c>)\n\nUpdate now?".
std::string update_question(std::string_view offered, std::string_view current);

// WM_APP+2: toasts for a check the user asked for, and the offer either way.
void on_update_checked(AppState& state, CheckResult result);

// After Yes: the download in the background (WM_APP+3), its progress on the
// taskbar button from the start.
void start_update(AppState& state, UpdateOffer offer);

// The settings menu's entry in place of "Check for updates" while the
// installer downloads: "Downloading update… 42%" (no share when the size is
// unknown).
std::string download_menu_text(const UpdateStage& stage);

// The installer's bytes received so far, about once a second.
void on_download_progress(AppState& state, std::uint64_t received);

// WM_APP+3: starts the verified installer and closes the window as the user
// would (the running edit committed, the placement saved), or shows the
// failure, the installer's start included.
void on_installer_ready(AppState& state, InstallResult result);

}  // namespace app
