// bare_window.exe: the least a window of this program can do before its first
// frame shows: create the window and the same rendering context, and on each
// paint clear it to the window background and present. The time from process
// start to its first frame is the floor for tolvik.exe's own first frame.
//
// Class "tolvik.Bare", title "tolvikbare"; it ends when it is closed.

#include <windows.h>

#include <memory>

#include "gfx/gfx_win.h"
#include "gfx/palette.h"

namespace {

constexpr wchar_t kClass[] = L"tolvik.Bare";
constexpr wchar_t kTitle[] = L"tolvikbare";
constexpr gfx::Color kBackground = gfx::rgb(0xF2F4F7);

std::unique_ptr<gfx::Gfx> g_gfx;

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SIZE:
      if (g_gfx && wparam != SIZE_MINIMIZED) g_gfx->resize(LOWORD(lparam), HIWORD(lparam));
      return 0;
    case WM_PAINT:
      if (g_gfx && SUCCEEDED(g_gfx->begin_frame(kBackground)) && g_gfx->end_frame()) {
        g_gfx.reset();  // device lost: nothing more is drawn
      }
      ValidateRect(window, nullptr);
      return 0;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      g_gfx.reset();
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show_command) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = window_procedure;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kClass;
  if (!RegisterClassExW(&wc)) return 1;
  HWND window = CreateWindowExW(0, kClass, kTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                                CW_USEDEFAULT, 1040, 720, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  const UINT dpi = GetDpiForWindow(window) > 96 ? GetDpiForWindow(window) : 96;
  if (auto made = gfx::Gfx::create(window, dpi)) g_gfx = std::move(made).value();
  ShowWindow(window, show_command);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
