#include "app/window_win.h"

#include <dwmapi.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <utility>

#include "app/act/import.h"
#include "app/act/open.h"
#include "app/act/shell_opener_win.h"
#include "app/keyboard.h"
#include "app/messages_win.h"
#include "app/selection.h"
#include "app/settings_win.h"
#include "app/targets.h"
#include "app/workers_win.h"
#include "base/file.h"
#include "base/utf.h"

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

COLORREF rgb_of(std::uint32_t hex) { return RGB((hex >> 16) & 0xFF, (hex >> 8) & 0xFF, hex & 0xFF); }

// The palette's window clear colour: #F2F4F7 light, #17181B dark.
COLORREF background_color(bool dark) { return rgb_of(dark ? 0x17181B : 0xF2F4F7); }

void paint(HWND window, const MainWindow* main) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  if (dc) {
    base::UniqueGdiObject brush(CreateSolidBrush(background_color(main && main->state.dark)));
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(brush.get()));
  }
  EndPaint(window, &ps);
}

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
      state.platform.invalidate();
      return 0;
    case WM_CLOSE:
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
      refresh_edit_style(main);
      const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_KEYDOWN:
      handle_key(state, key_of(wparam), GetKeyState(VK_CONTROL) < 0);
      return 0;
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
      paint(window, borrow.get());
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

void install_main_window(std::unique_ptr<MainWindow> main) { g_slot.main = std::move(main); }

void with_main_window(const std::function<void(MainWindow&)>& work) {
  Borrow borrow;
  if (MainWindow* main = borrow.get()) work(*main);
}

}  // namespace app
