#pragma once
// What the application state needs from the window and the system. The Win32
// layer implements it; tests replace it with a fake that records each call.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/edit_state.h"
#include "base/result.h"
#include "bundle/model.h"

namespace gfx {
class TextMeasure;
}

namespace app {

// Timers of the main window.
enum class TimerId : unsigned { toast = 1, jump_list = 2 };
inline constexpr unsigned kToastPlainMs = 4000;
inline constexpr unsigned kToastUndoMs = 7000;
inline constexpr unsigned kJumpListDelayMs = 1200;

// A file type of the file dialogs: "All files" / "*.*".
struct FileFilter {
  std::string label;
  std::string pattern;
};

enum class StartFolder { none, common_programs };

class Platform {
 public:
  virtual ~Platform() = default;

  // Settings under HKCU\Software\tolvik.
  virtual void write_setting_text(std::string_view name, std::string_view value) = 0;

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

  // The popup menus at a client point.
  virtual void show_bundle_menu(std::size_t bundle, float x, float y) = 0;
  virtual void show_item_menu(std::size_t item, float x, float y) = 0;
  virtual void show_settings_menu(float x, float y) = 0;

  // A monotonic clock in seconds, for toast lifetimes.
  virtual double monotonic_seconds() = 0;

  // Background work: each result comes back through its slot and a message.
  virtual void start_target_check(std::vector<std::string> targets) = 0;
  virtual base::Status start_open_worker(std::string bundle_id, std::vector<bundle::Item> items) = 0;

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
  virtual std::optional<std::string> save_file_dialog(std::string_view title, const std::vector<FileFilter>& filters,
                                                      std::string_view default_extension,
                                                      std::string_view initial_name) = 0;

  // Opening one item on the calling thread ("Open just this", double-click).
  virtual bool target_exists(const std::string& target) = 0;
  virtual base::Status start_item(const bundle::Item& item) = 0;
};

}  // namespace app
