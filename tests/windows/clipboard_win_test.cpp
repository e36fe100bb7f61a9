#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "winshell/clipboard_win.h"

namespace {

using Clock = std::chrono::steady_clock;

// Another program's hold on the clipboard: a thread of its own opens it with
// a window, puts `text` on it and keeps it open for `hold`.
class ClipboardHolder {
 public:
  ClipboardHolder(std::wstring text, std::chrono::milliseconds hold)
      : opened_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), thread_([this, text = std::move(text), hold] {
          HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
          if (window && OpenClipboard(window)) {
            held_ = true;
            EmptyClipboard();
            const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
            if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
              std::memcpy(GlobalLock(block), text.c_str(), bytes);
              GlobalUnlock(block);
              if (!SetClipboardData(CF_UNICODETEXT, block)) GlobalFree(block);
            }
            SetEvent(opened_);
            std::this_thread::sleep_for(hold);
            CloseClipboard();
          } else {
            SetEvent(opened_);
          }
          if (window) DestroyWindow(window);
        }) {
    WaitForSingleObject(opened_, 5000);
  }
  ~ClipboardHolder() {
    thread_.join();
    CloseHandle(opened_);
  }
  bool held() const { return held_; }

 private:
  HANDLE opened_;
  bool held_ = false;
  std::thread thread_;
};

TEST(Clipboard, APasteWaitsForABriefHoldToEnd) {
  ClipboardHolder holder(L"C:\\Reports\\r&d.xlsx", std::chrono::milliseconds(40));
  ASSERT_TRUE(holder.held()) << "the clipboard could not be opened for the test";
  ASSERT_FALSE(OpenClipboard(nullptr)) << "the clipboard should be held by the other thread now";
  const detect::DropPayload payload = winshell::read_clipboard(nullptr);
  EXPECT_TRUE(payload.paths.empty());
  EXPECT_EQ(payload.text, "C:\\Reports\\r&d.xlsx");
}

TEST(Clipboard, AHoldThatLastsGivesUpAfterAboutATenthOfASecond) {
  ClipboardHolder holder(L"https://example.com/", std::chrono::milliseconds(600));
  ASSERT_TRUE(holder.held()) << "the clipboard could not be opened for the test";
  const Clock::time_point start = Clock::now();
  const detect::DropPayload payload = winshell::read_clipboard(nullptr);
  const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
  EXPECT_TRUE(payload.paths.empty());
  EXPECT_TRUE(payload.text.empty());
  // It waited, but gave up long before the holder let go.
  EXPECT_GE(waited.count(), 80);
  EXPECT_LT(waited.count(), 400);
}

}  // namespace
