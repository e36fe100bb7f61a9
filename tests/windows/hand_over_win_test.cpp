#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "app/reach/hand_over_win.h"
#include "app/state/program_names_win.h"
#include "app/window/state_slot_win.h"
#include "app/window/window_win.h"

namespace {

using namespace std::chrono_literals;

// Handles the messages sent to this thread's windows until `done` or five seconds.
template <class Done>
void pump_until(Done done) {
  const ULONGLONG deadline = GetTickCount64() + 5000;
  while (!done() && GetTickCount64() < deadline) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
}

// The real window class and procedure, with a state installed as at start.
class HandOver : public testing::Test {
 protected:
  void SetUp() override {
    app::register_main_window_class(GetModuleHandleW(nullptr));
    window = CreateWindowExW(0, app::kWindowClass, L"hand-over test", WS_OVERLAPPEDWINDOW, 40, 40, 900, 600, nullptr,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(window);
    auto main = std::make_unique<app::MainWindow>(window);
    main->state.dpi = 96;
    app::install_main_window(std::move(main));
  }
  void TearDown() override {
    if (window) DestroyWindow(window);
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }
  static app::AppState& state() { return app::state_slot().main->state; }

  HWND window = nullptr;
};

TEST_F(HandOver, TheSecondStartIsAnsweredBeforeTheImportHasItsFile) {
  // The handed-over "file" is a pipe this test fills only once the second
  // start has its answer: the import reads it after the answer, never before.
  const std::wstring pipe_name = L"\\\\.\\pipe\\tolvik-hand-over-" + std::to_wstring(GetCurrentProcessId());
  HANDLE pipe = CreateNamedPipeW(pipe_name.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0,
                                 nullptr);
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
  std::atomic<int> answered{-1};
  std::atomic<bool> finished{false};
  std::thread second_start([&] {
    answered = app::send_bundle_file(window, pipe_name, 2000) ? 1 : 0;
    // The import opens the pipe and waits on it until the file comes.
    ConnectNamedPipe(pipe, nullptr);
    const std::string file = "{}";
    DWORD written = 0;
    WriteFile(pipe, file.data(), static_cast<DWORD>(file.size()), &written, nullptr);
    FlushFileBuffers(pipe);
    CloseHandle(pipe);
    finished = true;
  });
  pump_until([&] { return finished.load() && state().toast.has_value(); });
  second_start.join();
  EXPECT_EQ(answered.load(), 1) << "the second start waited for the import and gave up";
  // The import did run on what came through the pipe, after the answer.
  ASSERT_TRUE(state().toast);
  EXPECT_NE(state().toast->text.find("tolvik-hand-over-"), std::string::npos) << state().toast->text;
}

TEST_F(HandOver, AWindowThatNeverTakesTheMessageDoesNotGetItLater) {
  // The window's thread is busy past the wait: Windows withdraws the message.
  std::atomic<int> answered{-1};
  std::thread second_start([&] { answered = app::send_bundle_file(window, L"C:\\Users\\me\\later.tolvik", 100); });
  std::this_thread::sleep_for(400ms);  // this thread handles no messages meanwhile
  second_start.join();
  EXPECT_EQ(answered.load(), 0);
  const ULONGLONG until = GetTickCount64() + 300;
  pump_until([&] { return GetTickCount64() >= until; });
  EXPECT_FALSE(state().toast) << state().toast->text;
}

TEST_F(HandOver, AWindowThatIsGoneNeverGetsIt) {
  HWND gone = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_TRUE(gone);
  DestroyWindow(gone);
  EXPECT_FALSE(app::send_bundle_file(gone, L"C:\\Users\\me\\gone.tolvik", 1000));
}

}  // namespace
