#pragma once
// What the Windows tests share: a temporary folder that removes itself, a
// plain window, an offscreen Direct2D frame read back as pixels, and the
// debugger output the program writes.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "base/handle_win.h"
#include "base/utf.h"
#include "gfx/gfx_win.h"

namespace testing_support {

struct FindHandleTraits {
  using Type = HANDLE;
  static Type invalid() { return INVALID_HANDLE_VALUE; }
  static void close(Type h) { FindClose(h); }
};
using UniqueFindHandle = base::UniqueResource<FindHandleTraits>;

// A folder of its own under the user's temporary folder, removed with
// everything in it. Links and junctions inside are removed, never followed,
// so a test that links to a folder elsewhere cannot empty it.
class TempFolder {
 public:
  TempFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    path_ = std::wstring(temp) + L"tolvik-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(counter_++);
    CreateDirectoryW(path_.c_str(), nullptr);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder() { remove_tree(path_); }

  const std::wstring& wide() const { return path_; }
  std::wstring wide(const std::wstring& name) const { return path_ + L"\\" + name; }
  std::string path() const { return base::narrow(path_); }
  std::string path(const std::string& name) const { return path() + "\\" + name; }

 private:
  static void remove_tree(const std::wstring& folder) {
    WIN32_FIND_DATAW data{};
    const UniqueFindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (find) {
      do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring child = folder + L"\\" + name;
        const bool directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const bool link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        if (link) {
          // The link itself goes; what it points at stays.
          if (directory) {
            RemoveDirectoryW(child.c_str());
          } else {
            DeleteFileW(child.c_str());
          }
        } else if (directory) {
          remove_tree(child);
        } else {
          SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
          DeleteFileW(child.c_str());
        }
      } while (FindNextFileW(find.get(), &data));
    }
    RemoveDirectoryW(folder.c_str());
  }

  std::wstring path_;
  static inline int counter_ = 0;
};

// A plain popup window of a given client size, destroyed with the object.
class TestWindow {
 public:
  TestWindow(int width, int height) {
    static const ATOM atom = [] {
      WNDCLASSEXW wc{};
      wc.cbSize = sizeof wc;
      wc.lpfnWndProc = DefWindowProcW;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = kClassName;
      return RegisterClassExW(&wc);
    }();
    (void)atom;
    RECT r{0, 0, width, height};
    AdjustWindowRectEx(&r, WS_POPUP, FALSE, 0);
    window_ = CreateWindowExW(0, kClassName, L"test window", WS_POPUP, 0, 0, r.right - r.left, r.bottom - r.top,
                              nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  ~TestWindow() {
    if (window_) DestroyWindow(window_);
  }

  HWND handle() const { return window_; }

 private:
  static constexpr const wchar_t* kClassName = L"tolvik.TestWindow";
  HWND window_ = nullptr;
};

// What the process writes to the debugger output (OutputDebugStringW, the
// program's failure traces) while this lives, from any thread. The call
// raises an exception for a debugger to read the text from; this reads it
// the same way and lets the call go on.
class DebugOutput {
 public:
  DebugOutput() : handler_(AddVectoredExceptionHandler(1, on_exception)) { current() = this; }
  DebugOutput(const DebugOutput&) = delete;
  DebugOutput& operator=(const DebugOutput&) = delete;
  ~DebugOutput() {
    RemoveVectoredExceptionHandler(handler_);
    current() = nullptr;
  }

  std::string text() const {
    std::lock_guard lock(mutex_);
    return text_;
  }

 private:
  static constexpr DWORD kPrint = 0x40010006;      // DBG_PRINTEXCEPTION_C: length, char text
  static constexpr DWORD kPrintWide = 0x4001000A;  // DBG_PRINTEXCEPTION_WIDE_C: length, wchar_t text
  static DebugOutput*& current() {
    static DebugOutput* output = nullptr;
    return output;
  }
  static LONG CALLBACK on_exception(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD& record = *info->ExceptionRecord;
    DebugOutput* output = current();
    if (!output || record.NumberParameters < 2) return EXCEPTION_CONTINUE_SEARCH;
    const auto length = static_cast<std::size_t>(record.ExceptionInformation[0]);
    std::string line;
    if (record.ExceptionCode == kPrint) {
      line.assign(reinterpret_cast<const char*>(record.ExceptionInformation[1]), length ? length - 1 : 0);
    } else if (record.ExceptionCode == kPrintWide) {
      line = base::narrow(
          std::wstring_view(reinterpret_cast<const wchar_t*>(record.ExceptionInformation[1]), length ? length - 1 : 0));
    } else {
      return EXCEPTION_CONTINUE_SEARCH;
    }
    std::lock_guard lock(output->mutex_);
    output->text_ += line;
    return EXCEPTION_CONTINUE_SEARCH;
  }

  PVOID handler_;
  mutable std::mutex mutex_;
  std::string text_;
};

// Pixels of an offscreen frame, read back through a CPU-readable bitmap.
struct Pixels {
  UINT width = 0, height = 0;
  std::vector<std::uint32_t> data;  // 0xAARRGGBB (premultiplied)

  std::uint32_t at(UINT x, UINT y) const { return data[static_cast<std::size_t>(y) * width + x]; }
  int b(UINT x, UINT y) const { return at(x, y) & 0xFF; }
  int g(UINT x, UINT y) const { return (at(x, y) >> 8) & 0xFF; }
  int r(UINT x, UINT y) const { return (at(x, y) >> 16) & 0xFF; }
  int a(UINT x, UINT y) const { return (at(x, y) >> 24) & 0xFF; }
};

inline gfx::ComPtr<ID2D1Bitmap1> make_target(gfx::Gfx& gfx, UINT width, UINT height) {
  D2D1_BITMAP_PROPERTIES1 props{};
  props.pixelFormat = {DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED};
  props.dpiX = props.dpiY = 96;
  props.bitmapOptions = D2D1_BITMAP_OPTIONS_TARGET;
  gfx::ComPtr<ID2D1Bitmap1> bitmap;
  EXPECT_HRESULT_SUCCEEDED(gfx.device_context()->CreateBitmap({width, height}, nullptr, 0, &props, &bitmap));
  return bitmap;
}

// False (with the reason) when this Direct2D cannot map bitmaps for reading.
inline bool read_back(gfx::Gfx& gfx, ID2D1Bitmap* source, Pixels& out, std::string& why) {
  const D2D1_SIZE_U size = source->GetPixelSize();
  D2D1_BITMAP_PROPERTIES1 props{};
  props.pixelFormat = {DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED};
  props.dpiX = props.dpiY = 96;
  props.bitmapOptions = D2D1_BITMAP_OPTIONS_CPU_READ | D2D1_BITMAP_OPTIONS_CANNOT_DRAW;
  gfx::ComPtr<ID2D1Bitmap1> readable;
  HRESULT hr = gfx.device_context()->CreateBitmap(size, nullptr, 0, &props, &readable);
  if (FAILED(hr)) {
    why = "cannot create a CPU-readable bitmap: " + std::to_string(hr);
    return false;
  }
  hr = readable->CopyFromBitmap(nullptr, source, nullptr);
  if (FAILED(hr)) {
    why = "CopyFromBitmap failed: " + std::to_string(hr);
    return false;
  }
  D2D1_MAPPED_RECT mapped{};
  hr = readable->Map(D2D1_MAP_OPTIONS_READ, &mapped);
  if (FAILED(hr)) {
    why = "ID2D1Bitmap1::Map failed: " + std::to_string(hr);
    return false;
  }
  out.width = size.width;
  out.height = size.height;
  out.data.resize(static_cast<std::size_t>(size.width) * size.height);
  for (UINT y = 0; y < size.height; ++y) {
    std::memcpy(&out.data[static_cast<std::size_t>(y) * size.width],
                mapped.bits + static_cast<std::size_t>(y) * mapped.pitch, size.width * 4);
  }
  readable->Unmap();
  return true;
}

// Draws one offscreen frame of `width` × `height` on `clear` (black unless
// given) with `draw`, and reads it back.
template <class Draw>
bool render(gfx::Gfx& gfx, UINT width, UINT height, Draw draw, Pixels& out, std::string& why,
            gfx::Color clear = {0, 0, 0, 1}) {
  gfx::ComPtr<ID2D1Bitmap1> target = make_target(gfx, width, height);
  if (!target) {
    why = "no offscreen target";
    return false;
  }
  if (FAILED(gfx.begin_frame(clear, target.Get()))) {
    why = "begin_frame failed";
    return false;
  }
  draw();
  EXPECT_FALSE(gfx.end_frame());
  return read_back(gfx, target.Get(), out, why);
}

}  // namespace testing_support

// Renders into `pixels`, or skips the test where this Direct2D cannot read a frame back.
#define RENDER_OR_SKIP(gfx, w, h, draw, pixels)                                         \
  do {                                                                                  \
    std::string why_;                                                                   \
    if (!testing_support::render(gfx, w, h, draw, pixels, why_)) GTEST_SKIP() << why_;  \
  } while (0)
