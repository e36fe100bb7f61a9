#include "app/reach/console_win.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/opening/elevated_helper_win.h"
#include "app/opening/opening_record_win.h"
#include "app/reach/console.h"
#include "app/reach/startup_win.h"
#include "app/reach/windowless_opening_win.h"
#include "base/cmdline_win.h"
#include "base/utf.h"

namespace app {
namespace {

void write_to(DWORD which, const std::string& text) {
  const HANDLE handle = GetStdHandle(which);
  if (text.empty() || handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
  (void)write_console_text(handle, text);
}

}  // namespace

// A console takes UTF-16 whatever its code page; a file or pipe gets the
// UTF-8 bytes, which is what scripts reading it expect.
bool write_console_text(HANDLE handle, std::string_view text) {
  DWORD mode = 0;
  if (GetConsoleMode(handle, &mode)) {
    const std::wstring wide = base::widen(text);
    // Large writes to a console fail on older systems; a few KB at a time.
    constexpr std::size_t kChunk = 8192;
    for (std::size_t at = 0; at < wide.size();) {
      std::size_t count = std::min(kChunk, wide.size() - at);
      // A character of two UTF-16 units stays in one piece.
      if (count > 1 && at + count < wide.size() && IS_HIGH_SURROGATE(wide[at + count - 1])) --count;
      DWORD written = 0;
      if (!WriteConsoleW(handle, wide.data() + at, static_cast<DWORD>(count), &written, nullptr) || written == 0) {
        return false;
      }
      at += written;
    }
    return true;
  }
  std::size_t at = 0;
  while (at < text.size()) {
    DWORD written = 0;
    const auto count = static_cast<DWORD>(std::min<std::size_t>(text.size() - at, 1 << 20));
    if (!WriteFile(handle, text.data() + at, count, &written, nullptr) || written == 0) return false;
    at += written;
  }
  return true;
}

int run_console() {
  quiet_critical_errors();
  const std::vector<std::string> args = base::command_line_arguments();
  // An opening started here hands its "run as administrator" apps to this
  // same program as its elevated helper, as tolvik.exe's openings do to it.
  if (const StartPlan start = plan_start(args); start.run_elevated) return run_elevated_helper(*start.run_elevated);
  const auto plan = console::plan_command(args);
  if (!plan) {
    write_to(STD_ERROR_HANDLE, plan.error().text + "\n\n" + console::help_text());
    return console::kExitRefused;
  }
  WindowlessOpening kit;
  const base::Result<bundle::Store> none(bundle::Store{});
  const base::Result<bundle::Store>& loaded =
      plan->command == console::Command::help ? none : kit.bundles().bundles;
  const console::Output output = console::run(*plan, loaded, kit.opener(), kit.record(), close_last_opening);
  write_to(STD_OUTPUT_HANDLE, output.out);
  write_to(STD_ERROR_HANDLE, output.err);
  return output.code;
}

}  // namespace app
