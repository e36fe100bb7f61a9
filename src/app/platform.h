#pragma once
// What the application state needs from the window and the system. The Win32
// layer implements it; tests replace it with a fake that records each call.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "bundle/model.h"

namespace app {

// Timers of the main window.
enum class TimerId : unsigned { toast = 1, jump_list = 2 };
inline constexpr unsigned kToastPlainMs = 4000;
inline constexpr unsigned kToastUndoMs = 7000;
inline constexpr unsigned kJumpListDelayMs = 1200;

class Platform {
 public:
  virtual ~Platform() = default;

  // Settings under HKCU\Software\tolvik.
  virtual void write_setting_text(std::string_view name, std::string_view value) = 0;

  // Window effects.
  virtual void invalidate() = 0;
  virtual void set_timer(TimerId id, unsigned milliseconds) = 0;

  // A monotonic clock in seconds, for toast lifetimes.
  virtual double monotonic_seconds() = 0;

  // Background work: each result comes back through its slot and a message.
  virtual void start_target_check(std::vector<std::string> targets) = 0;
  virtual base::Status start_open_worker(std::string bundle_id, std::vector<bundle::Item> items) = 0;

  // Opening one item on the calling thread ("Open just this", double-click).
  virtual bool target_exists(const std::string& target) = 0;
  virtual base::Status start_item(const bundle::Item& item) = 0;
};

}  // namespace app
