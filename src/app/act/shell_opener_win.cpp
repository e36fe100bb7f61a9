#include "app/act/shell_opener_win.h"

#include <windows.h>
#include <shellapi.h>

#include "base/file.h"
#include "base/handle_win.h"
#include "base/utf.h"
#include "base/win_path.h"

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace app {
namespace {

std::string system_message(HRESULT hr) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = length ? std::wstring(buffer, length) : std::wstring();
  LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
  if (text.empty()) {
    wchar_t code[32];
    swprintf(code, 32, L"0x%08lX", static_cast<unsigned long>(hr));
    text = code;
  }
  return base::narrow(text);
}

}  // namespace

base::Status start_item_with_shell(const bundle::Item& item) {
  const std::wstring file = base::widen(item.target);
  std::wstring parameters;
  std::wstring directory;
  static_assert(sizeof(SHELLEXECUTEINFOW) == 112, "the record the shell expects on x64");
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  info.lpFile = file.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (item.kind == bundle::Kind::app) {
    if (!item.args.empty()) {
      parameters = base::widen(item.args);
      info.lpParameters = parameters.c_str();
    }
    // The folder that holds the app: "C:\\app.exe" starts in "C:\\".
    directory = base::widen(base::win_path::parent(item.target));
    if (!directory.empty()) info.lpDirectory = directory.c_str();
  }
  if (ShellExecuteExW(&info)) return {};
  return base::fail(system_message(HRESULT_FROM_WIN32(GetLastError())));
}

void open_with_default_verb(const std::string& path) {
  ShellExecuteW(nullptr, L"open", base::widen(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool ShellOpener::target_exists(const std::string& target) { return base::path_exists(target); }

base::Status ShellOpener::start(const bundle::Item& item) { return start_item_with_shell(item); }

void ShellOpener::wait_between_starts() {
  base::UniqueHandle timer(
      CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS));
  LARGE_INTEGER due;
  due.QuadPart = -1500000;  // 150 ms, relative, in 100 ns units
  if (timer && SetWaitableTimer(timer.get(), &due, 0, nullptr, nullptr, FALSE) &&
      WaitForSingleObject(timer.get(), INFINITE) == WAIT_OBJECT_0) {
    return;
  }
  Sleep(150);
}

}  // namespace app
