#pragma once
// What the application state needs from the window and the system. The Win32
// layer implements it; tests replace it with a fake that records each call.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/opening/opening_record.h"
#include "app/edit/inline_field_state.h"
#include "app/reach/hotkeys.h"
#include "app/bundles/installed_apps.h"
#include "app/updater/manifest.h"
#include "base/file_type.h"
#include "base/result.h"
#include "bundle/model.h"
#include "gfx/palette.h"

namespace gfx {
class TextMeasure;
}

namespace app {

struct VerifiedInstaller;

// Timers of the main window.
enum class TimerId : unsigned { toast = 1, jump_list = 2, daily_update = 3 };
inline constexpr unsigned kJumpListDelayMs = 1200;
// How often an open window asks whether the daily update check is due.
inline constexpr unsigned kDailyUpdateTimerMs = 60 * 60 * 1000;

// A file type of the file dialogs: "All files" / "*.*".
using FileFilter = base::FileType;

enum class StartFolder { none, common_programs };

// One entry of a popup menu: a separator, a command with its id, or a
// submenu of further entries. The menu answers with the chosen command's id,
// 0 when it was dismissed, so ids must not be 0.
struct MenuEntry {
  std::string label;
  int id = 0;
  bool enabled = true;
  bool checked = false;
  bool separator = false;
  std::vector<MenuEntry> submenu;  // not empty: this entry opens it

  static MenuEntry line() { return {.enabled = false, .separator = true}; }
  // A command named by a value of the menu's own command enumeration.
  template <typename Command>
  static MenuEntry command(Command id, std::string label, bool enabled = true, bool checked = false) {
    return {.label = std::move(label), .id = static_cast<int>(id), .enabled = enabled, .checked = checked};
  }
};

// What writing a new shortcut file came to.
struct ShortcutOutcome {
  enum class Kind { created, name_taken, failed } kind = Kind::failed;
  std::string error;  // the system's text when failed
};

class Platform {
 public:
  virtual ~Platform() = default;

  // Settings under HKCU\Software\tolvik; a value that cannot be read is none,
  // a write that fails gives the system's text.
  virtual base::Status write_setting_text(std::string_view name, std::string_view value) = 0;
  virtual std::optional<std::string> read_setting_text(std::string_view name) = 0;
  virtual std::optional<std::uint32_t> read_setting_number(std::string_view name) = 0;
  virtual base::Status write_setting_number(std::string_view name, std::uint32_t value) = 0;

  // The system's colours while a high-contrast theme is on, none when off.
  virtual std::optional<gfx::SystemColours> high_contrast_colours() = 0;
  // Windows' text size in percent (Settings › Accessibility › Text size),
  // as stored; none when it was never set.
  virtual std::optional<std::uint32_t> text_scale_setting() = 0;

  // Window effects.
  virtual void invalidate() = 0;
  virtual void set_timer(TimerId id, unsigned milliseconds) = 0;

  // Drops an item's cached icon so that it is fetched again.
  virtual void forget_icon(const std::string& item_key) = 0;

  // Text widths for the layout; null without a rendering context.
  virtual gfx::TextMeasure* text_measure() = 0;

  // The pointer: capture while a button is down, one leave notice per entry.
  virtual void capture_pointer() = 0;
  virtual void release_pointer() = 0;
  virtual void track_pointer_leave() = 0;
  virtual void focus_window() = 0;
  // Ctrl+F: shows the search box with its whole text selected and focused.
  virtual void focus_search_box() = 0;

  // Modal calls. Each runs a modal loop during which the window goes on
  // handling messages, the state included: callers hold no references into
  // the state across them and look up what they need again afterwards. A
  // window destroyed meanwhile makes a menu answer 0 and a dialog cancel.
  //
  // A popup menu at a client point: the chosen entry's id, 0 when dismissed.
  virtual int show_menu(float x, float y, const std::vector<MenuEntry>& entries) = 0;
  // An information message box owned by the window.
  virtual void show_information(std::string_view text, std::string_view caption) = 0;
  // A warning with Yes and No, owned by the window, No the default: true for
  // Yes; false as well when the window went away meanwhile.
  virtual bool ask_yes_no(std::string_view text) = 0;
  // The item's "Options…" dialog, owned by the window: the options chosen
  // with OK; none when cancelled or when the window went away meanwhile.
  virtual std::optional<bundle::ItemOptions> edit_item_options(const bundle::Item& item) = 0;

  // A bundle's "Hotkey…" dialog, owned by the window: what was chosen with
  // OK; none when cancelled or when the window went away meanwhile.
  virtual std::optional<HotkeyChoice> edit_bundle_hotkey(const HotkeyDialogInput& input) = 0;

  // The system-wide hotkeys of the bundles, registered for the window until
  // it ends. A key Windows refuses stays listed as not held; registering
  // again replaces the bundle's entry.
  virtual std::vector<HotkeyRegistration> hotkey_registrations() = 0;
  virtual void register_hotkey(const std::string& bundle_id, const bundle::Hotkey& hotkey) = 0;
  virtual void unregister_hotkey(const std::string& bundle_id) = 0;
  // The notification area. The icon's menu at a screen point, with tolvik
  // put in front first so that a click elsewhere dismisses it; a modal loop
  // like show_menu's, answered the same way.
  virtual int show_notification_menu(int x, int y, const std::vector<MenuEntry>& entries) = 0;
  // Adds or removes the icon.
  virtual void show_notification_icon(bool shown) = 0;
  // True while the window is hidden and the icon stands for it.
  virtual bool window_hidden() = 0;
  // The icon's notification balloon, titled "tolvik": a toast while the
  // window is hidden.
  virtual void show_balloon(std::string_view text) = 0;
  // Shows the window, restored, and brings it to the front.
  virtual void show_window() = 0;
  // Ends tolvik as closing its window does with the setting off: the edit
  // and the placement are kept, an opening finishes first.
  virtual void quit() = 0;

  // A monotonic clock in seconds, for toast lifetimes.
  virtual double monotonic_seconds() = 0;

  // Background work: each result comes back through its mailbox and a message.
  virtual void start_target_check(std::vector<std::string> targets) = 0;
  // `positions`: each item's position in the bundle when only some of its
  // items open (Retry, one item); empty when the whole bundle opens.
  virtual base::Status start_open_worker(std::string bundle_id, std::vector<bundle::Item> items,
                                         std::vector<std::size_t> positions) = 0;
  // Closes what the bundle's last opening started (opening_record.h); lets
  // other messages run meanwhile (File Explorer windows are asked through COM).
  virtual CloseReport close_last_opening(const std::string& bundle_id) = 0;
  // Asks the running opening worker to start nothing more; it still answers
  // with its outcome.
  virtual void stop_opening() = 0;

  // The native inline field: shows it for `edit` with its text selected and
  // the focus; false when it cannot be created.
  virtual bool open_edit_field(const ActiveEdit& edit, std::string_view initial_text, std::string_view cue) = 0;
  // Destroys the field and returns its text.
  virtual std::string close_edit_field() = 0;
  // Empties the search box (its change notification then clears the search).
  virtual void clear_search_box() = 0;

  // The common file dialogs; empty or nothing when cancelled or failed. They
  // run a modal loop, so callers hold no references into the state across them.
  virtual std::vector<std::string> open_files_dialog(std::string_view title, const std::vector<FileFilter>& filters,
                                                     StartFolder start) = 0;
  virtual std::optional<std::string> pick_folder_dialog(std::string_view title) = 0;
  // The items of the system's Applications folder, and the list they are
  // picked from (a modal dialog): the position picked, none when cancelled.
  virtual std::vector<InstalledApp> installed_apps() = 0;
  virtual std::optional<std::size_t> choose_installed_app(const std::vector<InstalledApp>& apps) = 0;
  virtual std::optional<std::string> save_file_dialog(std::string_view title, const std::vector<FileFilter>& filters,
                                                      std::string_view default_extension,
                                                      std::string_view initial_name) = 0;

  // Opening one item on the calling thread ("Open just this", double-click).
  virtual bool target_exists(const std::string& target) = 0;
  virtual base::Status start_item(const bundle::Item& item) = 0;

  // "Open file location": a folder opened with the shell's open verb, or
  // explorer.exe started with one raw argument string. Failures are silent.
  virtual bool is_directory(const std::string& path) = 0;
  virtual void open_folder(const std::string& path) = 0;
  virtual void start_explorer(const std::string& arguments) = 0;
  // A web address in the default browser; a failure is silent.
  virtual void open_address(std::string_view address) = 0;

  // The shell's side of the bundle commands. The Desktop folder and the
  // program's own path, or the system's text of why they cannot be had.
  virtual base::Result<std::string> desktop_folder() = 0;
  virtual base::Result<std::string> program_path() = 0;
  // Writes a new shortcut file at `path`; a name already taken is reported,
  // never replaced.
  virtual ShortcutOutcome create_shortcut(const std::string& path, const std::string& target,
                                          const std::string& arguments, const std::string& description) = 0;
  // The folders shown in the open File Explorer windows, in window order.
  virtual std::vector<std::string> explorer_folders() = 0;
  // Brings the window to the front (after a drop from another program).
  virtual void bring_to_front() = 0;

  // Opening at sign-in. Whether the user turned tolvik off in Windows'
  // start-up apps (Task Manager), read when the bundle menu is built.
  virtual bool sign_in_turned_off() = 0;
  // Writes or deletes tolvik's value in the Run key so that Windows starts it
  // at sign-in exactly when `wanted`; the system's text when it could not.
  virtual base::Status keep_run_value(bool wanted) = 0;

  // The updater. Each worker answers through its mailbox and a message.
  virtual base::Status start_update_check(bool requested_by_user) = 0;
  // The offer's Yes/No question, an information box owned by the window (a
  // modal loop, like the dialogs): true for Yes; false when the window went
  // away meanwhile.
  virtual bool offer_update(std::string_view text) = 0;
  virtual base::Status start_update_download(UpdateOffer offer) = 0;
  // The download's progress on the taskbar button: `received` of `size`
  // bytes (size 0: going on, end unknown); `hide_download_progress` ends it.
  virtual void show_download_progress(std::uint64_t received, std::uint64_t size) = 0;
  virtual void hide_download_progress() = 0;
  // Starts the checked installer silently, its file still held; the error is
  // the system's text.
  virtual base::Status start_installer(const VerifiedInstaller& installer) = 0;
  // Ends the program for the installer, without asking: the window placement
  // is saved as when the user closes it.
  virtual void close_for_update() = 0;
};

}  // namespace app
