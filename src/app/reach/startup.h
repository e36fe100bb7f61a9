#pragma once
// The start-up decisions that need no window: the run mode from the command
// line, the first window's size, the stored placement, the broken store set
// aside, the window-less open and the daily update rule.
// Defined in startup.cpp, startup_win.cpp.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/opening/elevated_handoff.h"
#include "base/result.h"
#include "bundle/model.h"

namespace app {

class Opener;
struct AppState;
struct CloseReport;
struct OpenResult;

struct StartPlan {
  std::optional<ElevatedRun> run_elevated;  // "--run-elevated" right after the program, exact, with its file and digest
  bool unregister = false;               // "--unregister" anywhere, exact
  bool quit = false;                     // "--quit" anywhere, exact: ends the running tolvik
  std::optional<std::string> open_id;    // after the first "--open" (any ASCII case)
  std::optional<std::string> close_id;   // after the first "--close" (any ASCII case)
  bool sign_in = false;                  // "--sign-in" anywhere (any ASCII case): Windows started it at sign-in
  std::vector<std::string> bundle_files; // arguments naming .tolvik files
};

StartPlan plan_start(const std::vector<std::string>& args);

struct Rect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  std::int32_t width() const { return right - left; }
  std::int32_t height() const { return bottom - top; }
  bool operator==(const Rect&) const = default;
};

struct WindowBox {
  std::int32_t x = 0, y = 0, width = 0, height = 0;
  bool operator==(const WindowBox&) const = default;
};

// The window's sizes, in DIPs. The first window is kFirstWindowWidth ×
// kFirstWindowHeight; the smallest holds the sidebar, a content column that
// still shows a row's name and buttons, and a few rows.
inline constexpr float kFirstWindowWidth = 1040.0f;
inline constexpr float kFirstWindowHeight = 720.0f;
inline constexpr float kMinWindowWidth = 820.0f;
inline constexpr float kMinWindowHeight = 480.0f;
// What the smallest window grows by per unit of Windows' text size above 1:
// its rows of text get taller and its labels wider, its gaps and icons do not.
inline constexpr float kMinWindowTextWidth = 300.0f;
inline constexpr float kMinWindowTextHeight = 240.0f;

// The smallest window, in pixels, at `dpi` (below kBaseDpi counts as it) with
// text `text_scale` times its own size.
struct WindowSize {
  std::int32_t width = 0, height = 0;
  bool operator==(const WindowSize&) const = default;
};
WindowSize minimum_window_size(std::uint32_t dpi, float text_scale);

// The first window, narrowed to the work area's width and to three quarters
// of its height, centred on it.
WindowBox centred_window(const Rect& work_area, std::uint32_t dpi);

// The stored WINDOWPLACEMENT (44 bytes, little-endian 32-bit fields).
inline constexpr std::size_t kPlacementSize = 44;
struct StoredPlacement {
  std::uint32_t length = 0, flags = 0, show_command = 0;
  std::int32_t min_x = 0, min_y = 0, max_x = 0, max_y = 0;
  Rect normal;
};
std::optional<StoredPlacement> parse_placement(std::span<const std::uint8_t> bytes);
// The show commands and the placement flag of a WINDOWPLACEMENT, by their
// winuser.h names (SW_*, WPF_*); startup_win.cpp checks them against those.
inline constexpr std::uint32_t kShowNormal = 1;            // SW_SHOWNORMAL
inline constexpr std::uint32_t kShowMinimized = 2;         // SW_SHOWMINIMIZED
inline constexpr std::uint32_t kShowMaximized = 3;         // SW_SHOWMAXIMIZED
inline constexpr std::uint32_t kRestoreToMaximized = 0x2;  // WPF_RESTORETOMAXIMIZED
// kShowMaximized when the window was maximised (also when it was then
// minimised and would have been restored maximised), else kShowNormal.
int show_command_after_restore(const StoredPlacement& placement);

// The texts of a window-less run that tolvik.exe and tolvikc share. `gap`
// goes between a text and the reasons below it: "\n\n" in a message box,
// "\n" on a console.
std::string unreadable_bundles_text(const base::Error& error, std::string_view gap);
// `--open` or `--close` named a bundle by a name more than one bundle has.
std::string ambiguous_name_text(std::string_view name, const std::vector<std::string>& ids);

// The window-less open's yes/no question, a top-level box: true for Yes.
using AskYesNo = std::function<bool(const std::string& text)>;

// Keeps what an opening started, for a later Close.
using RecordOpening =
    std::function<void(const std::string& bundle_id, const std::vector<bundle::Item>& items, const OpenResult& result)>;

// Runs the window-less open of the bundle the id or name means (see
// match_bundle); returns the message box text, or nothing when everything
// opened or the user chose not to start what came from a file. A name more
// than one bundle has opens nothing.
// A bundle with items still to be reviewed asks first; a Yes is written to
// the store file at `store_path`, read afresh so that changes the window made
// meanwhile are kept. The opening is handed to `record` when given.
std::optional<std::string> windowless_open(const base::Result<bundle::Store>& loaded, std::string_view id,
                                           Opener& opener, const AskYesNo& ask, const std::string& store_path,
                                           const RecordOpening& record = {});
// What the window-less open tells about one opening: nothing when every item
// opened (or was already running), else the bundle's name, the summary and
// the system's reasons.
std::optional<std::string> windowless_open_message(const bundle::Bundle& opened, const OpenResult& result);

// Closes what the last opening of a bundle, by its id, started.
using CloseLast = std::function<CloseReport(const std::string& bundle_id)>;

// Runs the window-less close; returns the message box text, or nothing. It
// acts on the bundle the id or name means (see match_bundle), else on the
// argument as an id: a record may outlive its bundle, or the store may be
// unreadable. A name more than one bundle has closes nothing.
std::optional<std::string> windowless_close(const base::Result<bundle::Store>& loaded, std::string_view id,
                                            const CloseLast& close_last);
// The window-less close's message box text: nothing when everything was
// closed or nothing was recorded.
std::optional<std::string> windowless_close_message(std::string_view bundle_name, const CloseReport& report);

// "LastUpdateCheck": unsigned decimal seconds, one leading "+" allowed.
std::optional<std::uint64_t> parse_unix_seconds(std::string_view text);
// Automatic checks run unless "AutoUpdate" is 0, at most once a day; a last
// check more than a day in the future counts as none.
bool update_check_due(std::optional<std::uint32_t> auto_update, std::optional<std::string_view> last_check,
                      std::uint64_t now);

// The selection at start: the bundle whose id is "Selected", else the first.
void restore_selection(AppState& state, std::optional<std::string_view> selected_id);

}  // namespace app
