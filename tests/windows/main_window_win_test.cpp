// The main window's rendering context after device loss and a refused resize:
// the next paint makes a new context and draws into the same window, read
// back from the screen where the swap chain presents. And the window
// procedure itself: what it keeps of a message that comes while the state is
// in use.

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "app/reach/hand_over.h"
#include "app/state/program_names_win.h"
#include "app/window/state_slot_win.h"
#include "app/window/window_win.h"
#include "support_win.h"

namespace {

constexpr int kWidth = 640, kHeight = 420;
constexpr COLORREF kLightBackground = RGB(0xF2, 0xF4, 0xF7), kDarkBackground = RGB(0x17, 0x18, 0x1B);
constexpr GUID kProbeDataKey = {0x5d3c7a1e, 0x6b0f, 0x4c2e, {0x9a, 0x41, 0x2f, 0x7d, 0x0c, 0x8b, 0x6e, 0x13}};

// Calls back when its last reference goes: hung on a swap chain as private
// data, it tells when the swap chain was destroyed.
class ReleaseProbe final : public IUnknown {
 public:
  explicit ReleaseProbe(std::function<void()> on_release) : on_release_(std::move(on_release)) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = iid == __uuidof(IUnknown) ? this : nullptr;
    return *out ? (AddRef(), S_OK) : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    if (--references_) return references_;
    on_release_();
    delete this;
    return 0;
  }

 private:
  ULONG references_ = 1;
  std::function<void()> on_release_;
};

// The colour on screen at a client point: what the swap chain presented.
// Waits up to a second for it to become `want`.
COLORREF on_screen(HWND window, int x, int y, COLORREF want) {
  POINT point{x, y};
  ClientToScreen(window, &point);
  COLORREF got = CLR_INVALID;
  for (int attempt = 0; attempt < 50 && got != want; ++attempt, Sleep(20)) {
    HDC screen = GetDC(nullptr);
    got = GetPixel(screen, point.x, point.y);
    ReleaseDC(nullptr, screen);
  }
  return got;
}

class MainWindowContext : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(window.handle());
    ShowWindow(window.handle(), SW_SHOWNOACTIVATE);
    main.state.dpi = 96;
  }
  testing_support::TestWindow window{kWidth, kHeight};
  app::MainWindow main{window.handle()};
};

TEST_F(MainWindowContext, LostDeviceIsReleasedThenReplacedAndTheSameWindowShowsTheFrame) {
  ASSERT_TRUE(main.paint());  // no context yet: the paint makes one
  EXPECT_EQ(on_screen(window.handle(), kWidth - 4, kHeight - 4, kLightBackground), kLightBackground);
  // Windows refuses a second flip-model swap chain for a window while the
  // first lives, Wine does not: the probe checks the order under Wine too.
  auto released = std::make_shared<int>(0);  // 1: before a new context came, 2: after
  auto* probe = new ReleaseProbe([released, owner = &main] { *released = owner->gfx ? 2 : 1; });
  ASSERT_HRESULT_SUCCEEDED(main.gfx->swap_chain()->SetPrivateDataInterface(kProbeDataKey, probe));
  probe->Release();

  // Direct3D 11 has no call that removes a device and Wine never loses one,
  // so the context is told to fail its presents as a removed device does.
  main.gfx->mark_device_removed();
  main.state.dark = true;
  EXPECT_TRUE(main.paint());  // the present reports the loss; a new context draws the frame again
  EXPECT_EQ(*released, 1);
  HWND target = nullptr;
  ASSERT_TRUE(main.gfx);
  EXPECT_HRESULT_SUCCEEDED(main.gfx->swap_chain()->GetHwnd(&target));
  EXPECT_EQ(target, window.handle());
  EXPECT_EQ(on_screen(window.handle(), kWidth - 4, kHeight - 4, kDarkBackground), kDarkBackground);
}

TEST_F(MainWindowContext, RefusedResizeDropsTheContextAndTheNextPaintReplacesIt) {
  ASSERT_TRUE(main.paint());
  // DXGI refuses to resize the buffers while one of them is referenced.
  gfx::ComPtr<IDXGISurface> held;
  ASSERT_HRESULT_SUCCEEDED(
      main.gfx->swap_chain()->GetBuffer(0, __uuidof(IDXGISurface), reinterpret_cast<void**>(held.GetAddressOf())));
  SetWindowPos(window.handle(), nullptr, 0, 0, 500, 360, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  main.apply_client_size(500, 360);  // as on WM_SIZE
  EXPECT_FALSE(main.gfx);
  held.Reset();

  main.state.dark = true;
  ASSERT_TRUE(main.paint());
  DXGI_SWAP_CHAIN_DESC1 desc{};
  ASSERT_HRESULT_SUCCEEDED(main.gfx->swap_chain()->GetDesc1(&desc));
  EXPECT_EQ(desc.Width, 500u);
  EXPECT_EQ(desc.Height, 360u);
  EXPECT_EQ(on_screen(window.handle(), 496, 356, kDarkBackground), kDarkBackground);
}

// The real window class and procedure, with a state installed as at start.
class MainWindowProcedure : public testing::Test {
 protected:
  void SetUp() override {
    app::register_main_window_class(GetModuleHandleW(nullptr));  // false when an earlier test registered it
    window = CreateWindowExW(0, app::kWindowClass, L"procedure test", WS_OVERLAPPEDWINDOW, 40, 40, 900, 600,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(window);
    auto main = std::make_unique<app::MainWindow>(window);
    main->state.dpi = 96;
    app::install_main_window(std::move(main));
  }
  void TearDown() override {
    if (window) DestroyWindow(window);
    // WM_DESTROY ends the message loop of the program; here it ends nothing.
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }
  static app::MainWindow& main() { return *app::state_slot().main; }

  HWND window = nullptr;
};

TEST_F(MainWindowProcedure, ADpiChangeWhileTheStateIsInUseIsAppliedOnceItIsFree) {
  RECT suggested{60, 40, 60 + 1100, 40 + 700};  // within the test display
  {
    app::Borrow handler;  // as a handler does while Windows calls back into the procedure
    ASSERT_TRUE(handler.get());
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(handler.get()->state.dpi, 96u);
  }
  app::with_main_window([](app::MainWindow&) {});  // what the end of any message does
  EXPECT_EQ(main().state.dpi, 144u);
  RECT placed{};
  GetWindowRect(window, &placed);
  EXPECT_EQ(placed.left, suggested.left);
  EXPECT_EQ(placed.top, suggested.top);
  EXPECT_EQ(placed.right - placed.left, suggested.right - suggested.left);
  EXPECT_EQ(placed.bottom - placed.top, suggested.bottom - suggested.top);
}

TEST_F(MainWindowProcedure, TheEndOfASessionIsAnsweredWhileTheStateIsInUse) {
  {
    app::Borrow handler;
    ASSERT_TRUE(handler.get());
    EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, 0), TRUE);
    SendMessageW(window, WM_ENDSESSION, TRUE, 0);
    SendMessageW(window, WM_ENDSESSION, TRUE, 0);  // the last of them is enough
    ASSERT_EQ(app::state_slot().deferred.replays.size(), 1u);
    EXPECT_EQ(app::state_slot().deferred.replays[0].id, static_cast<UINT>(WM_ENDSESSION));
  }
  app::with_main_window([](app::MainWindow&) {});
  EXPECT_TRUE(app::state_slot().deferred.empty());
}

TEST_F(MainWindowProcedure, AHandOverWhileTheStateIsInUseIsAnsweredAtOnceAndImportedWhenItIsFree) {
  std::wstring path = L"C:\\Nowhere\\handed-over.tolvik";
  COPYDATASTRUCT data{app::kHandOverMarker, static_cast<DWORD>(path.size() * sizeof(wchar_t)), path.data()};
  {
    app::Borrow handler;
    ASSERT_TRUE(handler.get());
    EXPECT_EQ(SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)), TRUE);
    EXPECT_FALSE(handler.get()->state.toast);
  }
  // The sender's data is its own again once it has the answer: the path was copied when it came.
  path.assign(path.size(), L'x');
  app::with_main_window([](app::MainWindow&) {});
  ASSERT_TRUE(main().state.toast);
  EXPECT_NE(main().state.toast->text.find("handed-over.tolvik"), std::string::npos) << main().state.toast->text;
  EXPECT_TRUE(app::state_slot().deferred.empty());
}

}  // namespace
