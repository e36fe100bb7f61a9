#include "app/act/shell_opener_win.h"

#include <windows.h>
#include <shellapi.h>

#include "base/file.h"
#include "base/handle_win.h"
#include "base/system_error.h"
#include "base/utf.h"
#include "base/win_path.h"

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace app {

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
  return base::fail(base::system_error_text(static_cast<std::uint32_t>(HRESULT_FROM_WIN32(GetLastError()))));
}

void open_with_default_verb(const std::string& path) {
  ShellExecuteW(nullptr, L"open", base::widen(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool ShellOpener::target_exists(const std::string& target) { return base::path_exists(target); }

StartOutcome ShellOpener::start(const bundle::Item& item) { return {start_item_with_shell(item), std::nullopt}; }

OpenResult ShellOpener::start_elevated(const std::vector<bundle::Item>& items) {
  OpenResult result;
  for (const bundle::Item& item : items) {
    base::Status started = start_item_with_shell(item);
    result.items.push_back(started ? ItemOutcome{ItemState::opened, {}} : ItemOutcome{ItemState::failed, started.error().text});
  }
  return result;
}

bool ShellOpener::pause(double seconds) {
  base::UniqueHandle timer(
      CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS));
  LARGE_INTEGER due;
  due.QuadPart = -static_cast<LONGLONG>(seconds * 1e7);  // relative, in 100 ns units
  if (timer && SetWaitableTimer(timer.get(), &due, 0, nullptr, nullptr, FALSE) &&
      WaitForSingleObject(timer.get(), INFINITE) == WAIT_OBJECT_0) {
    return true;
  }
  Sleep(static_cast<DWORD>(seconds * 1000));
  return true;
}

}  // namespace app
