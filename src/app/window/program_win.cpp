#include "app/window/program_win.h"

#include <windows.h>
#include <shobjidl.h>

#include <future>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/bundles/import.h"
#include "app/opening/elevated_helper_win.h"
#include "app/opening/workers_win.h"
#include "app/reach/after_save.h"
#include "app/reach/hotkeys.h"
#include "app/reach/notification_area.h"
#include "app/reach/sign_in.h"
#include "app/reach/sign_in_win.h"
#include "app/reach/startup.h"
#include "app/reach/startup_win.h"
#include "app/state/program_names_win.h"
#include "app/state/settings_win.h"
#include "app/state/store_start.h"
#include "app/updater/update_check.h"
#include "app/updater/update_workers_win.h"
#include "app/view/colours.h"
#include "app/view/text_scale.h"
#include "app/view/text_scale_win.h"
#include "app/window/window_win.h"
#include "base/clock.h"
#include "base/cmdline_win.h"
#include "base/worker_win.h"
#include "bundle/store_file.h"
#include "gfx/gfx_win.h"
#include "gfx/view_scale.h"
#include "winshell/jump_list_win.h"

namespace app {
namespace {

static_assert(kShowNormal == SW_SHOWNORMAL && kShowMinimized == SW_SHOWMINIMIZED && kShowMaximized == SW_SHOWMAXIMIZED &&
              kRestoreToMaximized == WPF_RESTORETOMAXIMIZED);

int restore_or_centre(HWND window) {
  if (auto stored = read_setting_binary("Placement")) {
    if (auto placement = parse_placement(*stored)) {
      WINDOWPLACEMENT wp{};
      wp.length = placement->length;
      wp.flags = 0;
      wp.showCmd = SW_HIDE;
      wp.ptMinPosition = {placement->min_x, placement->min_y};
      wp.ptMaxPosition = {placement->max_x, placement->max_y};
      wp.rcNormalPosition = {placement->normal.left, placement->normal.top, placement->normal.right,
                             placement->normal.bottom};
      // Twice: the first call may move the window to another monitor whose
      // DPI changes its size; the second settles the rectangle there.
      SetWindowPlacement(window, &wp);
      SetWindowPlacement(window, &wp);
      return show_command_after_restore(*placement);
    }
  }
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &info)) {
    const Rect work{info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
    const WindowBox box = centred_window(work, GetDpiForWindow(window));
    SetWindowPos(window, nullptr, box.x, box.y, box.width, box.height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return SW_SHOWNORMAL;
}

// What the first frame does not need: dropping onto the window, the bundle
// files of the command line, the jump list and the daily update check.
void finish_start(HWND window, const StartPlan& plan) {
  register_drop_target(window);
  if (!plan.bundle_files.empty()) {
    with_main_window([&plan](MainWindow& shown) { import_files(shown.state, plan.bundle_files); });
  }
  SetTimer(window, static_cast<UINT_PTR>(TimerId::jump_list), kJumpListDelayMs, nullptr);
  with_main_window([](MainWindow& shown) { check_for_updates_daily(shown.state, base::unix_seconds()); });
  // A window left open for days asks the daily rule again every hour.
  SetTimer(window, static_cast<UINT_PTR>(TimerId::daily_update), kDailyUpdateTimerMs, nullptr);
  start_stale_download_cleanup();
}

int run_window(const StartPlan& plan, bool keep_in_tray) {
  // The handle is never closed: the mutex is held until the process ends.
  HANDLE mutex = CreateMutexW(nullptr, TRUE, kSingleInstanceMutex);
  if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
    // At sign-in a tolvik already running is all there is to do.
    if (plan.sign_in) return 0;
    if (hand_over_to_first_start(mutex, plan.bundle_files)) return 0;
  }

  // The rendering device is most of the wait for the first frame; it is made
  // on another thread while this one makes the window and reads the store.
  // Should no thread be available, it is made here when it is needed.
  std::future<base::Result<gfx::GfxDevice, gfx::GfxError>> device =
      std::async(std::launch::async | std::launch::deferred, gfx::make_device);
  base::OleScope ole;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  register_main_window_class(instance);
  HWND window = CreateWindowExW(0, kWindowClass, kWindowTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                                CW_USEDEFAULT, static_cast<int>(kFirstWindowWidth),
                                static_cast<int>(kFirstWindowHeight), nullptr, nullptr, instance, nullptr);
  if (!window) return 0;

  const bool dark = system_dark_mode();
  const int show_command = restore_or_centre(window);
  // A placement kept from a smaller text size may be below today's minimum.
  grow_to_minimum_size(window);
  const UINT dpi = gfx::window_dpi(GetDpiForWindow(window));

  const std::string path = bundle::store_path();
  StartStore opened = open_store_at_start(path);

  auto main = std::make_unique<MainWindow>(window);
  AppState& state = main->state;
  follow_saves(state);
  state.dark = dark;
  state.high_contrast = main->platform.high_contrast_colours();
  set_dark_title_bar(window, dark && !state.high_contrast);
  state.text_scale = text_scale_factor(read_text_scale_setting());
  main->edit_style = make_edit_style(view_palette(state), dpi, state.text_scale);
  state.dpi = dpi;
  // Without a rendering context the program runs on; each paint tries again.
  main->make_gfx(device.get());
  // The selection is scrolled into view for the window's real size.
  main->take_client_size();
  state.store = std::move(opened.store);
  state.store_path = path;
  state.store_hold = std::move(opened.hold);
  state.keep_in_notification_area = keep_in_tray;
  // At sign-in only the icon shows; without it the window must.
  const bool start_hidden = keep_in_tray && add_notify_icon(*main) && plan.sign_in;
  // Repaired ids are kept, so that "Selected", shortcuts and --open find the
  // bundle again next time.
  if (opened.save_now) save_store(state);
  // The marks may have changed while tolvik did not run (another copy, a
  // restored store), or the program may have moved.
  bring_run_value_up_to_date(state);
  // The bundles' hotkeys work from the start, for as long as the window runs.
  sync_hotkeys(state);
  restore_selection(state, read_setting_text("Selected"));
  install_main_window(std::move(main));

  if (!start_hidden) ShowWindow(window, show_command);
  // Once shown, or as the icon's balloon when the window starts hidden.
  if (opened.notice) with_main_window([&opened](MainWindow& shown) { show_toast(shown.state, *opened.notice); });
  // The rest of the start waits until the queue is first empty: by then the
  // first frame is on screen (WM_PAINT comes before an empty queue), or there
  // is none to wait for (a window restored minimised).
  bool started = false;
  MSG msg;
  for (;;) {
    if (!started && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      started = true;
      finish_start(window, plan);
      continue;
    }
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) break;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

}  // namespace

int run_program() {
  quiet_critical_errors();
  const StartPlan plan = plan_start(base::command_line_arguments());
  if (plan.run_elevated) return run_elevated_helper(*plan.run_elevated);
  if (plan.unregister) return run_unregister();
  SetCurrentProcessExplicitAppUserModelID(winshell::kAppUserModelId);
  if (plan.open_id) return run_windowless_open(*plan.open_id);
  if (plan.close_id) return run_windowless_close(*plan.close_id);
  if (plan.quit) return run_quit();
  const bool keep_in_tray = keep_in_notification_area(read_setting_number(kKeepInNotificationAreaValue));
  if (!plan.sign_in) return run_window(plan, keep_in_tray);
  if (!keep_in_tray) return run_sign_in_opening();
  // The window starts hidden behind its icon, and the marked bundles open
  // beside it, each at its own wait.
  auto opening = base::start_worker("the opening at sign-in", [] { run_sign_in_opening(); }, 0);
  if (!opening) return run_sign_in_opening();
  const int code = run_window(plan, keep_in_tray);
  // Like an opening from the window, it finishes before tolvik ends.
  WaitForSingleObject(opening->get(), INFINITE);
  return code;
}

}  // namespace app
