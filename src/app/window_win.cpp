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
#include "app/act/shell_opener_win.h"
#include "app/edit.h"
#include "app/keyboard.h"
#include "app/layout.h"
#include "app/mouse.h"
#include "app/paint_win.h"
#include "app/messages_win.h"
#include "app/selection.h"
#include "app/settings_win.h"
#include "app/targets.h"
#include "app/workers_win.h"
#include "base/file.h"
#include "base/utf.h"
#include "winshell/clipboard_win.h"

namespace app {
namespace {

// The state lives in a slot of the UI thread. A handler borrows it for one
// message; a message that arrives while it is borrowed (from inside a modal
// loop the handler started) finds it taken and does nothing.
struct StateSlot {
  std::unique_ptr<MainWindow> main;
  // A window destroyed from inside a handler is freed when that handler returns.
  std::unique_ptr<MainWindow> retired;
  bool borrowed = false;
};
thread_local StateSlot g_slot;

class Borrow {
 public:
  Borrow() : main_(g_slot.borrowed ? nullptr : g_slot.main.get()) {
    if (main_) g_slot.borrowed = true;
  }
  Borrow(const Borrow&) = delete;
  Borrow& operator=(const Borrow&) = delete;
  ~Borrow() {
    if (!main_) return;
    g_slot.borrowed = false;
    g_slot.retired.reset();
  }
  MainWindow* get() const { return main_; }

 private:
  MainWindow* main_;
};

// Sizes the buffers and the layout to the client area.
void apply_client_size(MainWindow& main, UINT width, UINT height) {
  if (main.gfx) main.gfx->resize(std::max<UINT>(width, 1), std::max<UINT>(height, 1));
  main.state.client_width = static_cast<float>(width);
  main.state.client_height = static_cast<float>(height);
  clamp_scrolls(main.state, layout_view(main.state, main.state.platform.text_measure()));
}

// One frame from the state. Without a rendering context nothing is drawn; a
// lost device is replaced for the next frame.
void paint(MainWindow& main) {
  if (!main.gfx) return;
  // A size change delivered while another handler held the state was skipped;
  // the frame always matches the client area.
  RECT client{};
  GetClientRect(main.window, &client);
  const auto width = static_cast<UINT>(client.right - client.left);
  const auto height = static_cast<UINT>(client.bottom - client.top);
  if (static_cast<float>(width) != main.state.client_width || static_cast<float>(height) != main.state.client_height) {
    apply_client_size(main, width, height);
  }
  main.gfx->begin_frame(gfx::palette(main.state.dark).background);
  paint_view(*main.gfx, main.state, main.icons);
  if (main.gfx->end_frame()) {
    auto made = gfx::Gfx::create(main.window, main.state.dpi);
    main.set_gfx(made ? std::move(made).value() : nullptr);
  }
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
std::string copy_data_text(const COPYDATASTRUCT& data) {
  const std::size_t units = data.cbData / 2;
  std::u16string text(units, u'\0');
  if (units) std::memcpy(text.data(), data.lpData, units * 2);
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

void refresh_edit_style(MainWindow& main) {
  main.edit_style = make_edit_style(main.state.dark, main.state.dpi);
  main.platform.invalidate();
}

LRESULT handle(MainWindow& main, HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  AppState& state = main.state;
  switch (message) {
    case WM_SIZE:
      apply_client_size(main, LOWORD(lparam), HIWORD(lparam));
      state.platform.invalidate();
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
      end_edit(state, true);
      save_window_placement(window);
      DestroyWindow(window);
      return 0;
    case WM_SETTINGCHANGE: {
      const bool dark = system_dark_mode();
      if (dark != state.dark) {
        state.dark = dark;
        BOOL value = dark;
        DwmSetWindowAttribute(window, 20, &value, sizeof(value));
        refresh_edit_style(main);
      }
      return DefWindowProcW(window, message, wparam, lparam);
    }
    case WM_ACTIVATEAPP:
      if (wparam) check_targets(state);
      return DefWindowProcW(window, message, wparam, lparam);
    case WM_COPYDATA: {
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
      if (data && data->dwData == kHandOverMarker && data->lpData) import_files(state, {copy_data_text(*data)});
      return TRUE;
    }
    case WM_TIMER:
      if (wparam == static_cast<WPARAM>(TimerId::toast)) {
        KillTimer(window, wparam);
        toast_timer(state);
        return 0;
      }
      if (wparam == static_cast<WPARAM>(TimerId::jump_list)) {
        KillTimer(window, wparam);
        return 0;
      }
      return DefWindowProcW(window, message, wparam, lparam);
    case WM_CTLCOLOREDIT:
      SetTextColor(reinterpret_cast<HDC>(wparam), main.edit_style.text_color);
      SetBkColor(reinterpret_cast<HDC>(wparam), main.edit_style.back_color);
      return reinterpret_cast<LRESULT>(main.edit_style.brush.get());
    case WM_DPICHANGED: {
      state.dpi = LOWORD(wparam);
      if (main.gfx) main.gfx->set_scale(state.dpi);
      refresh_edit_style(main);
      const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
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
      if (auto outcome = open_result_slot().take()) {
        finish_open(state, *outcome);
      }
      return 0;
    case kMsgTargetsChecked:
      if (auto checked = target_check_slot().take()) apply_target_check(state, *checked);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_GETMINMAXINFO: {
      const float s = static_cast<float>(std::max<UINT>(GetDpiForWindow(window), 96)) / 96.0f;
      auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
      info->ptMinTrackSize.x = saturate(820.0f * s);
      info->ptMinTrackSize.y = saturate(480.0f * s);
      return 0;
    }
    case WM_DESTROY: {
      // After this every handler finds no state and does nothing.
      if (g_slot.borrowed) {
        g_slot.retired = std::move(g_slot.main);
      } else {
        g_slot.main.reset();
      }
      PostQuitMessage(0);
      return 0;
    }
    case WM_PAINT: {
      Borrow borrow;
      if (MainWindow* main = borrow.get()) paint(*main);
      ValidateRect(window, nullptr);
      return 0;
    }
    default:
      break;
  }
  const bool has_state = g_slot.main != nullptr;
  Borrow borrow;
  if (MainWindow* main = borrow.get()) return handle(*main, window, message, wparam, lparam);
  // Nested or stateless: these still belong to the default procedure.
  if (!has_state || message == WM_SETTINGCHANGE || message == WM_ACTIVATEAPP) {
    return DefWindowProcW(window, message, wparam, lparam);
  }
  return message == WM_COPYDATA ? TRUE : 0;
}

}  // namespace

void WinPlatform::write_setting_text(std::string_view name, std::string_view value) {
  app::write_setting_text(name, value);
}

void WinPlatform::invalidate() { InvalidateRect(window_, nullptr, FALSE); }

void WinPlatform::set_timer(TimerId id, unsigned milliseconds) {
  SetTimer(window_, static_cast<UINT_PTR>(id), milliseconds, nullptr);
}

double WinPlatform::monotonic_seconds() {
  LARGE_INTEGER counter, frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void WinPlatform::start_target_check(std::vector<std::string> targets) {
  start_target_check_worker(window_, std::move(targets));
}

base::Status WinPlatform::start_open_worker(std::string bundle_id, std::vector<bundle::Item> items) {
  return app::start_open_worker(window_, std::move(bundle_id), std::move(items));
}

// The native text fields and the file dialogs are not part of the window yet:
// the field cannot be created and every dialog answers as if cancelled.
bool WinPlatform::open_edit_field(const ActiveEdit&, std::string_view, std::string_view) { return false; }

std::string WinPlatform::close_edit_field() { return {}; }

void WinPlatform::clear_search_box() {}

std::vector<std::string> WinPlatform::open_files_dialog(std::string_view, const std::vector<FileFilter>&, StartFolder) {
  return {};
}

std::optional<std::string> WinPlatform::pick_folder_dialog(std::string_view) { return std::nullopt; }

std::optional<std::string> WinPlatform::save_file_dialog(std::string_view, const std::vector<FileFilter>&,
                                                         std::string_view, std::string_view) {
  return std::nullopt;
}

gfx::TextMeasure* WinPlatform::text_measure() { return measure_; }

void WinPlatform::capture_pointer() { SetCapture(window_); }

void WinPlatform::release_pointer() { ReleaseCapture(); }

void WinPlatform::track_pointer_leave() {
  TRACKMOUSEEVENT track{};
  track.cbSize = sizeof(track);
  track.dwFlags = TME_LEAVE;
  track.hwndTrack = window_;
  TrackMouseEvent(&track);
}

void WinPlatform::focus_window() { SetFocus(window_); }

// The search box and the popup menus are not part of the window yet.
void WinPlatform::focus_search_box() {}

void WinPlatform::show_bundle_menu(std::size_t, float, float) {}

void WinPlatform::show_item_menu(std::size_t, float, float) {}

void WinPlatform::show_settings_menu(float, float) {}

void WinPlatform::forget_icon(const std::string& item_key) {
  if (icons_) icons_->erase(item_key);
}

bool WinPlatform::target_exists(const std::string& target) { return base::path_exists(target); }

base::Status WinPlatform::start_item(const bundle::Item& item) { return start_item_with_shell(item); }

EditStyle make_edit_style(bool dark, UINT dpi) {
  auto font = [dpi](int size, int weight) {
    LOGFONTW lf{};
    lf.lfHeight = -static_cast<LONG>(std::lround(size * static_cast<double>(dpi) / 96.0));
    lf.lfWeight = weight;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    wcscpy_s(lf.lfFaceName, L"Segoe UI");
    return base::UniqueGdiObject(CreateFontIndirectW(&lf));
  };
  EditStyle style;
  style.back_color = dark ? RGB(31, 33, 37) : RGB(255, 255, 255);
  style.text_color = dark ? RGB(236, 237, 239) : RGB(22, 24, 29);
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

void MainWindow::set_gfx(std::unique_ptr<gfx::Gfx> made) {
  icons.clear();
  gfx = std::move(made);
  platform.set_text_measure(gfx.get());
}

void install_main_window(std::unique_ptr<MainWindow> main) {
  RECT client{};
  GetClientRect(main->window, &client);
  main->state.client_width = static_cast<float>(client.right - client.left);
  main->state.client_height = static_cast<float>(client.bottom - client.top);
  g_slot.main = std::move(main);
}

void with_main_window(const std::function<void(MainWindow&)>& work) {
  Borrow borrow;
  if (MainWindow* main = borrow.get()) work(*main);
}

}  // namespace app
