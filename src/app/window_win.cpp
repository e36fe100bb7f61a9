#include "app/window_win.h"

#include <dwmapi.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <utility>

#include "app/act/add_input.h"
#include "app/act/import.h"
#include "app/act/open.h"
#include "app/drop.h"
#include "app/edit/edit.h"
#include "app/edit/fields_win.h"
#include "app/edit/search.h"
#include "app/keyboard.h"
#include "app/layout.h"
#include "app/messages_win.h"
#include "app/mouse.h"
#include "app/paint_win.h"
#include "app/selection.h"
#include "app/settings_win.h"
#include "app/state_slot_win.h"
#include "app/targets.h"
#include "app/updater/update_check.h"
#include "app/workers_win.h"
#include "base/failure_trace.h"
#include "base/utf.h"
#include "gfx/view_scale.h"
#include "lang/lang.h"
#include "winshell/clipboard_win.h"
#include "winshell/drop_target_win.h"
#include "winshell/jump_list_win.h"

namespace app {
namespace {

void run_deferred(HWND window);

// One frame on the current context; a frame that cannot begin or whose
// device was lost drops the context and returns false.
bool draw_frame(MainWindow& main) {
  const HRESULT begun = main.gfx->begin_frame(gfx::palette(main.state.dark).background);
  if (FAILED(begun)) {
    main.drop_gfx("Gfx::begin_frame", begun);
    return false;
  }
  paint_view(*main.gfx, main.state, main.icons);
  if (main.gfx->end_frame()) {
    main.set_gfx(nullptr);  // end_frame wrote the failing call to the debugger output
    return false;
  }
  return true;
}

float lparam_x(LPARAM lparam) { return static_cast<float>(static_cast<std::int16_t>(LOWORD(lparam))); }
float lparam_y(LPARAM lparam) { return static_cast<float>(static_cast<std::int16_t>(HIWORD(lparam))); }

std::int32_t saturate(float value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<float>(std::numeric_limits<std::int32_t>::max())) return std::numeric_limits<std::int32_t>::max();
  if (value <= static_cast<float>(std::numeric_limits<std::int32_t>::min())) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

// The text of a hand-over: UTF-16 over an even byte count, trailing NULs dropped.
std::optional<std::string> hand_over_path(LPARAM lparam) {
  const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
  if (!data || data->dwData != kHandOverMarker || !data->lpData) return std::nullopt;
  const std::size_t units = data->cbData / 2;
  std::u16string text(units, u'\0');
  if (units) std::memcpy(text.data(), data->lpData, units * 2);
  while (!text.empty() && text.back() == u'\0') text.pop_back();
  return base::utf16_to_utf8(text);
}

Key key_of(WPARAM virtual_key) {
  switch (virtual_key) {
    case VK_RETURN: return Key::enter;
    case VK_ESCAPE: return Key::escape;
    case VK_UP: return Key::up;
    case VK_DOWN: return Key::down;
    case VK_DELETE: return Key::del;
    case VK_F2: return Key::f2;
    case VK_APPS: return Key::apps;
    case 'F': return Key::f;
    case 'N': return Key::n;
    case 'O': return Key::o;
    case 'Z': return Key::z;
    default: return Key::other;
  }
}

// A program started on another store (TOLVIK_STORE set, even to nothing)
// leaves the taskbar's jump list to the program of the user's own store.
bool runs_on_another_store() {
  SetLastError(ERROR_SUCCESS);
  return GetEnvironmentVariableW(L"TOLVIK_STORE", nullptr, 0) > 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND;
}

void refresh_jump_list(const AppState& state) {
  if (runs_on_another_store()) return;
  std::vector<winshell::JumpTask> tasks;
  for (const bundle::Bundle& bundle : state.store.bundles) tasks.push_back({bundle.id, bundle.name});
  winshell::refresh_jump_list(tasks);
}

// Drops reach the state between messages, like any handler.
class WindowDropHandler final : public winshell::DropHandler {
 public:
  bool drag_over(float x, float y) override {
    Borrow borrow;
    return borrow.get() && app::drag_over(borrow.get()->state, x, y);
  }
  void drag_leave() override {
    Borrow borrow;
    if (borrow.get()) app::drag_leave(borrow.get()->state);
  }
  void drop(float x, float y, const detect::DropPayload& payload) override {
    {
      Borrow borrow;
      if (borrow.get()) app::drop(borrow.get()->state, x, y, payload);
    }
    if (MainWindow* main = state_slot().main.get()) run_deferred(main->window);
  }
};

WindowDropHandler g_drop_handler;  // holds nothing: every call borrows the state

bool search_changed(WPARAM wparam) { return LOWORD(wparam) == kSearchBoxId && HIWORD(wparam) == EN_CHANGE; }

// New fonts and brush for the theme and DPI; a running edit is committed (the
// next one is made with the new fonts); the old objects go after the switch.
void refresh_edit_style(MainWindow& main) {
  EditStyle old = std::exchange(main.edit_style, make_edit_style(main.state.dark, main.state.dpi));
  if (main.search_box) SendMessageW(main.search_box, WM_SETFONT, reinterpret_cast<WPARAM>(main.edit_style.edit_font.get()), TRUE);
  end_edit(main.state, true);
  main.state.redraw();
}

void apply_theme(MainWindow& main) {
  const bool dark = system_dark_mode();
  if (dark == main.state.dark) return;
  main.state.dark = dark;
  set_dark_title_bar(main.window, dark);
  refresh_edit_style(main);
}

// The worker and field messages WM_APP+1 to WM_APP+6.
bool is_private_message(UINT message) { return message >= kMsgOpenFinished && message <= kMsgSearchKey; }

// The messages this window acts on; everything else goes straight to DefWindowProcW.
bool handles(UINT message, WPARAM wparam) {
  switch (message) {
    case WM_SIZE:
    case WM_PAINT:
    case WM_CLOSE:
    case WM_SETTINGCHANGE:
    case WM_ACTIVATEAPP:
    case WM_COPYDATA:
    case WM_KEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONUP:
    case WM_MOUSEWHEEL:
    case WM_CAPTURECHANGED:
    case WM_MOUSELEAVE:
    case WM_DPICHANGED:
      return true;
    case WM_COMMAND:
      return search_changed(wparam);
    case WM_TIMER:
      return wparam == static_cast<WPARAM>(TimerId::toast) || wparam == static_cast<WPARAM>(TimerId::jump_list);
    default:
      return is_private_message(message);
  }
}

LRESULT handle(MainWindow& main, HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  AppState& state = main.state;
  switch (message) {
    case WM_SIZE:
      // The fields are placed by the paint that follows.
      main.apply_client_size(LOWORD(lparam), HIWORD(lparam));
      state.redraw();
      return 0;
    case WM_PAINT:
      // Validated even when nothing could be drawn: the next invalidation
      // tries again, so a missing context never makes a loop of paints.
      main.paint();
      ValidateRect(window, nullptr);
      return 0;
    case WM_MOUSEMOVE:
      on_mouse_move(state, lparam_x(lparam), lparam_y(lparam), (wparam & MK_LBUTTON) != 0);
      return 0;
    case WM_LBUTTONDOWN:
      on_left_button_down(state, lparam_x(lparam), lparam_y(lparam));
      return 0;
    case WM_LBUTTONUP:
      on_left_button_up(state, lparam_x(lparam), lparam_y(lparam));
      return 0;
    case WM_LBUTTONDBLCLK:
      on_double_click(state, lparam_x(lparam), lparam_y(lparam));
      return 0;
    case WM_RBUTTONUP:
      on_right_button_up(state, lparam_x(lparam), lparam_y(lparam));
      return 0;
    case WM_MOUSEWHEEL: {
      POINT point{static_cast<std::int16_t>(LOWORD(lparam)), static_cast<std::int16_t>(HIWORD(lparam))};
      ScreenToClient(window, &point);
      on_wheel(state, static_cast<float>(point.x), static_cast<float>(point.y),
               static_cast<std::int16_t>(HIWORD(wparam)));
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lparam) != window) on_capture_lost(state);
      return 0;
    case WM_MOUSELEAVE:
      on_mouse_leave(state);
      return 0;
    case WM_CLOSE:
      // The window itself is destroyed once the state is free again.
      end_edit(state, true);
      save_window_placement(window);
      return 0;
    case WM_SETTINGCHANGE:
      apply_theme(main);
      return 0;
    case WM_ACTIVATEAPP:
      if (wparam) check_targets(state);
      return 0;
    case WM_COPYDATA:
      if (auto path = hand_over_path(lparam)) import_files(state, {*path});
      return TRUE;
    case WM_COMMAND:
      on_search_text_changed(state, read_text(reinterpret_cast<HWND>(lparam)));
      return 0;
    case WM_TIMER:
      KillTimer(window, wparam);
      if (wparam == static_cast<WPARAM>(TimerId::toast)) {
        toast_timer(state);
      } else {
        refresh_jump_list(state);
      }
      return 0;
    case WM_DPICHANGED:
      state.dpi = LOWORD(wparam);
      if (main.gfx) main.gfx->set_scale(state.dpi);
      refresh_edit_style(main);
      return 0;
    case WM_KEYDOWN: {
      const bool ctrl = GetKeyState(VK_CONTROL) < 0;
      if (ctrl && wparam == 'V') {
        paste(state, winshell::read_clipboard(window));
      } else {
        handle_key(state, key_of(wparam), ctrl);
      }
      return 0;
    }
    case kMsgOpenFinished:
      if (auto outcome = open_results().take()) finish_open(state, *outcome);
      return 0;
    case kMsgTargetsChecked:
      if (auto checked = target_checks().take()) apply_target_check(state, *checked);
      return 0;
    case kMsgEditorFinished:
      if (state.edit && reinterpret_cast<HWND>(lparam) == main.inline_field) end_edit(state, wparam == 1);
      return 0;
    case kMsgSearchKey:
      if (wparam <= 3) on_search_key(state, static_cast<SearchKey>(wparam));
      return 0;
    case kMsgUpdateChecked:
      if (auto checked = update_checks().take()) on_update_checked(state, std::move(*checked));
      return 0;
    case kMsgDownloadFinished:
      if (auto fetched = install_results().take()) on_installer_ready(state, std::move(*fetched));
      return 0;
    default:
      return 0;
  }
}

// A message for the state that came while a handler was using it: what it
// carries is kept and done once the state is free.
LRESULT defer(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  DeferredWork& work = state_slot().deferred;
  switch (message) {
    case WM_PAINT:
      ValidateRect(window, nullptr);
      work.repaint = true;
      return 0;
    case WM_SIZE:
      work.repaint = true;
      return 0;
    case WM_SETTINGCHANGE:
      work.theme_check = true;
      return 0;
    case WM_COPYDATA:
      if (auto path = hand_over_path(lparam)) work.hand_overs.push_back(std::move(*path));
      return TRUE;
    case WM_CLOSE:
    case WM_ACTIVATEAPP:
    case WM_COMMAND:
    case WM_CAPTURECHANGED:
    case WM_MOUSELEAVE:
      work.reposts.push_back({message, wparam, lparam});
      return 0;
    default:
      // Worker results and field keys come once; pointer, keys and timers
      // come again by themselves.
      if (is_private_message(message)) work.reposts.push_back({message, wparam, lparam});
      return 0;
  }
}

// Does the deferred work once no handler is using the state.
void run_deferred(HWND window) {
  StateSlot& slot = state_slot();
  // Each round may defer more (an import inside an import's modal loop); a
  // few rounds settle it, and what is left waits for the next message.
  for (int round = 0; round < 4 && !slot.in_use && slot.main && !slot.deferred.empty(); ++round) {
    DeferredWork work = std::exchange(slot.deferred, {});
    for (const DeferredWork::Posted& posted : work.reposts) PostMessageW(window, posted.message, posted.wparam, posted.lparam);
    if (work.repaint) InvalidateRect(window, nullptr, FALSE);
    if (work.hand_overs.empty() && !work.theme_check) continue;
    Borrow borrow;
    MainWindow* main = borrow.get();
    if (!main) return;
    if (work.theme_check) apply_theme(*main);
    for (const std::string& path : work.hand_overs) import_files(main->state, {path});
  }
}

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_GETMINMAXINFO: {
      const float s = gfx::view_scale(gfx::window_dpi(GetDpiForWindow(window)));
      auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
      info->ptMinTrackSize.x = saturate(820.0f * s);
      info->ptMinTrackSize.y = saturate(480.0f * s);
      return 0;
    }
    case WM_DESTROY: {
      // After this every handler finds no state and does nothing.
      RevokeDragDrop(window);
      StateSlot& slot = state_slot();
      if (slot.holders > 0) {
        slot.retired = std::move(slot.main);
      } else {
        slot.main.reset();
      }
      slot.deferred = {};
      slot.destroyed = true;
      PostQuitMessage(0);
      return 0;
    }
    case WM_CTLCOLOREDIT:
      // Only reads the field colours, so it is answered even while the state is in use.
      if (const MainWindow* main = state_slot().main.get()) {
        SetTextColor(reinterpret_cast<HDC>(wparam), main->edit_style.text_color);
        SetBkColor(reinterpret_cast<HDC>(wparam), main->edit_style.back_color);
        return reinterpret_cast<LRESULT>(main->edit_style.brush.get());
      }
      return 0;
    case WM_COMMAND:
      // Leaving the inline field keeps its text; the edit ends from the queue.
      if (LOWORD(wparam) == kInlineFieldId && HIWORD(wparam) == EN_KILLFOCUS) {
        PostMessageW(window, kMsgEditorFinished, 1, lparam);
        return 0;
      }
      break;
    default:
      break;
  }
  if (!handles(message, wparam)) return DefWindowProcW(window, message, wparam, lparam);

  LRESULT result = 0;
  bool handled = false;
  {
    Borrow borrow;
    if (MainWindow* main = borrow.get()) {
      result = handle(*main, window, message, wparam, lparam);
      handled = true;
    } else if (state_slot().main) {
      result = defer(window, message, wparam, lparam);
    } else if (message == WM_PAINT) {
      ValidateRect(window, nullptr);
    } else if (message == WM_COPYDATA) {
      // A second start can find the window before its state is in place: the
      // file is imported once it is.
      if (!state_slot().destroyed) defer(window, message, wparam, lparam);
      result = TRUE;
    }
  }
  run_deferred(window);

  // What follows may send messages back to this window, so it runs with the
  // state free.
  switch (message) {
    case WM_CLOSE:
      if (handled) DestroyWindow(window);
      return 0;
    case WM_DPICHANGED:
      if (handled) {
        const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
        SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      }
      return 0;
    case WM_SETTINGCHANGE:
    case WM_ACTIVATEAPP:
      return DefWindowProcW(window, message, wparam, lparam);
    default:
      return result;
  }
}

COLORREF colorref(const gfx::Color& color) {
  auto byte = [](float channel) { return static_cast<BYTE>(std::lround(std::clamp(channel, 0.0f, 1.0f) * 255.0f)); };
  return RGB(byte(color.r), byte(color.g), byte(color.b));
}

}  // namespace

void set_dark_title_bar(HWND window, bool dark) {
  // DWMWA_USE_IMMERSIVE_DARK_MODE, which MinGW's dwmapi.h does not name yet.
  constexpr DWORD kUseImmersiveDarkMode = 20;
  BOOL value = dark;
  DwmSetWindowAttribute(window, kUseImmersiveDarkMode, &value, sizeof(value));
}

EditStyle make_edit_style(bool dark, UINT dpi) {
  auto font = [dpi](int size, int weight) {
    LOGFONTW lf{};
    lf.lfHeight = -static_cast<LONG>(std::lround(size * static_cast<double>(dpi) / gfx::kBaseDpi));
    lf.lfWeight = weight;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    wcscpy_s(lf.lfFaceName, L"Segoe UI");
    return base::UniqueGdiObject(CreateFontIndirectW(&lf));
  };
  const gfx::Palette& colours = gfx::palette(dark);
  EditStyle style;
  style.back_color = colorref(colours.surface_alt);
  style.text_color = colorref(colours.text);
  style.brush = base::UniqueGdiObject(CreateSolidBrush(style.back_color));
  style.edit_font = font(13, FW_NORMAL);
  style.title_font = font(20, FW_SEMIBOLD);
  return style;
}

bool register_main_window_class(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = window_procedure;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kWindowClass;
  return RegisterClassExW(&wc) != 0;
}

MainWindow::~MainWindow() {
  if (open_worker) WaitForSingleObject(open_worker.get(), INFINITE);
}

void MainWindow::set_gfx(std::unique_ptr<gfx::Gfx> made) {
  icons.clear();
  gfx = std::move(made);
}

bool MainWindow::make_gfx() { return make_gfx(gfx::make_device()); }

bool MainWindow::make_gfx(base::Result<gfx::GfxDevice, gfx::GfxError> device) {
  // The old context goes first: the window takes only one swap chain.
  set_gfx(nullptr);
  if (!device) {
    base::trace_failure("rendering context: " + device.error().step, device.error().hr);
    return false;
  }
  auto made = gfx::Gfx::create(window, state.dpi, std::move(device).value());
  if (!made) {
    base::trace_failure("rendering context: " + made.error().step, made.error().hr);
    return false;
  }
  set_gfx(std::move(made).value());
  return true;
}

void MainWindow::drop_gfx(std::string_view step, HRESULT hr) {
  base::trace_failure(step, hr);
  set_gfx(nullptr);
}

void MainWindow::apply_client_size(UINT width, UINT height) {
  if (gfx) {
    const HRESULT resized = gfx->resize(std::max<UINT>(width, 1), std::max<UINT>(height, 1));
    if (FAILED(resized)) drop_gfx("Gfx::resize", resized);
  }
  state.client_width = static_cast<float>(width);
  state.client_height = static_cast<float>(height);
  clamp_scrolls(state, layout_view(state, platform.text_measure()));
}

bool MainWindow::paint() {
  // The frame always matches the client area, even when a size change came
  // while the state was in use.
  RECT client{};
  GetClientRect(window, &client);
  const auto width = static_cast<UINT>(client.right - client.left);
  const auto height = static_cast<UINT>(client.bottom - client.top);
  if (static_cast<float>(width) != state.client_width || static_cast<float>(height) != state.client_height) {
    apply_client_size(width, height);
  }
  // At most one new context per paint: one that is missing, or one for a
  // context lost during this frame.
  const bool had_gfx = gfx != nullptr;
  const bool ready = had_gfx || make_gfx();
  // The native fields are placed before the frame is drawn: made or moved
  // after it, Wine leaves the whole window black until the next paint.
  layout_edits();
  if (!ready) return false;
  if (draw_frame(*this)) return true;
  return had_gfx && make_gfx() && draw_frame(*this);
}

void MainWindow::layout_edits() {
  // A copy: placing a field may send messages that change the state.
  const ViewLayout layout = kept_layout(state, platform.text_measure());
  if (!search_box) {
    search_box = create_edit(window, kSearchBoxId, static_cast<HFONT>(edit_style.edit_font.get()),
                             lang::text("묶음 찾기 (Ctrl+F)", "Find a bundle (Ctrl+F)"));
  }
  if (search_box) {
    if (const auto rect = search_control_rect(layout)) {
      place_edit(search_box, *rect);
      ShowWindow(search_box, SW_SHOWNA);
    } else if (IsWindowVisible(search_box)) {
      if (GetFocus() == search_box) SetFocus(window);
      ShowWindow(search_box, SW_HIDE);
    }
  }
  if (inline_field && state.edit) {
    if (const auto rect = edit_control_rect(layout, state)) place_edit(inline_field, *rect);
  }
}

bool register_drop_target(HWND window) { return winshell::register_drop_target(window, g_drop_handler); }

void MainWindow::take_client_size() {
  RECT client{};
  GetClientRect(window, &client);
  state.client_width = static_cast<float>(client.right - client.left);
  state.client_height = static_cast<float>(client.bottom - client.top);
}

void install_main_window(std::unique_ptr<MainWindow> main) {
  HWND window = main->window;
  state_slot().main = std::move(main);
  run_deferred(window);
}

void with_main_window(const std::function<void(MainWindow&)>& work) {
  {
    Borrow borrow;
    if (MainWindow* main = borrow.get()) work(*main);
  }
  if (MainWindow* main = state_slot().main.get()) run_deferred(main->window);
}

}  // namespace app
