#pragma once
// The main window: its Win32 resources beside the portable application state,
// and the window procedure that hands each message to the state
// (window_win.cpp; its rendering context is in render_context_win.cpp).

#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "app/state/app_state.h"
#include "app/window/icon_cache_win.h"
#include "app/window/icon_worker_win.h"
#include "app/window/uia_provider_win.h"
#include "app/window/win_platform_win.h"
#include "app/window/window_style_win.h"
#include "base/handle_win.h"
#include "gfx/gfx_win.h"
#include "winshell/notify_icon_win.h"
#include "winshell/taskbar_progress_win.h"

namespace app {

struct MainWindow;

struct MainWindow {
  explicit MainWindow(HWND hwnd) : window(hwnd), platform(hwnd, *this), state(platform) {}
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;
  // A bundle that is still opening opens to its end first: the window is
  // already gone, the items are not.
  ~MainWindow();

  // Installs (or, with null, removes) the rendering context; icons made by
  // the previous one are dropped.
  void set_gfx(std::unique_ptr<gfx::Gfx> made);
  // Replaces the rendering context with a new one for the window at the
  // state's DPI, releasing the old one first; false when creation failed
  // (the window then has none, and the failure is in the debugger output).
  bool make_gfx();
  // The same from a device made beforehand (see gfx::make_device).
  bool make_gfx(base::Result<gfx::GfxDevice, gfx::GfxError> device);
  // Releases a context that failed at `step` with `hr` (written to the
  // debugger output); the next paint makes a new one.
  void drop_gfx(std::string_view step, HRESULT hr);

  // Sizes the buffers and the layout to the client area. A context whose
  // buffers cannot be resized is dropped, for the next paint to replace.
  void apply_client_size(UINT width, UINT height);
  // One frame from the state (WM_PAINT). A missing context is made first,
  // and one lost during the frame is replaced and the frame drawn again,
  // but no more than one context is made per paint. True when a frame was
  // presented.
  bool paint();

  // The icon worker's answer (kMsgIconsFetched): its icons go into the
  // cache and the window is drawn again.
  void take_fetched_icons();

  // The state's client size from the window (before the first layout).
  void take_client_size();

  // Places and shows or hides the search box and the inline field for the
  // current layout; the search box is made on the first call.
  void layout_edits();

  HWND window;
  WinPlatform platform;
  AppState state;
  EditStyle edit_style;
  std::shared_ptr<gfx::Resources> gfx_resources;  // what outlives a lost device
  std::unique_ptr<gfx::Gfx> gfx;
  IconCache icons;
  // The icon worker's answers, and whether one is on its way.
  std::shared_ptr<IconMailbox> fetched_icons = std::make_shared<IconMailbox>();
  bool icon_worker_busy = false;
  // The two EDIT controls (children of the window, destroyed with it).
  HWND search_box = nullptr;
  HWND inline_field = nullptr;
  // The thread of the last opening started, and the event that stops it
  // (the worker holds a duplicate of its own).
  base::UniqueHandle open_worker;
  base::UniqueHandle open_stop;
  // The update's download on the taskbar button.
  winshell::TaskbarProgress taskbar_progress;
  // The icon in the notification area, while the setting keeps it there.
  winshell::NotifyIcon notify_icon;
  // What screen readers are told of the view; it goes first, while the
  // window still exists, so that clients holding its elements are cut off.
  UiaProvider access{window};
};

// Adds the window's notification-area icon (the program's icon, tip "tolvik");
// false when the shell refused it.
bool add_notify_icon(MainWindow& main);

// Registers the window class "tolvik.Main"; false when that fails.
bool register_main_window_class(HINSTANCE instance);

// Hands the state to the window procedure; from then on it owns it until
// WM_DESTROY. Hand-overs that came before are imported then.
void install_main_window(std::unique_ptr<MainWindow> main);

// Lets files and web addresses be dropped on the window (OLE initialised);
// false when that failed. WM_DESTROY ends it.
bool register_drop_target(HWND window);
// The same drop target, unregistered, for a caller that drives it itself.
Microsoft::WRL::ComPtr<IDropTarget> make_drop_target(HWND window);

// Runs `work` with the installed window's state unless a handler holds it.
void with_main_window(const std::function<void(MainWindow&)>& work);

}  // namespace app
