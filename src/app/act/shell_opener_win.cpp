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

namespace {

int show_command(bundle::WindowState window) {
  switch (window) {
    case bundle::WindowState::minimized: return SW_SHOWMINNOACTIVE;
    case bundle::WindowState::maximized: return SW_SHOWMAXIMIZED;
    case bundle::WindowState::normal: break;
  }
  return SW_SHOWNORMAL;
}

// What identifies the process later: its id, creation time and program file.
std::optional<StartedProcess> describe(HANDLE process) {
  StartedProcess described;
  described.id = GetProcessId(process);
  FILETIME created, exited, kernel, user;
  if (described.id == 0 || !GetProcessTimes(process, &created, &exited, &kernel, &user)) return std::nullopt;
  described.created = (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
  std::wstring image(1024, L'\0');
  DWORD size = static_cast<DWORD>(image.size());
  if (QueryFullProcessImageNameW(process, 0, image.data(), &size)) {
    image.resize(size);
    described.image = base::narrow(image);
  }
  return described;
}

}  // namespace

StartOutcome start_item_with_shell(const bundle::Item& item) {
  const std::wstring file = base::widen(item.target);
  std::wstring parameters;
  std::wstring directory;
  static_assert(sizeof(SHELLEXECUTEINFOW) == 112, "the record the shell expects on x64");
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOCLOSEPROCESS;
  info.lpFile = file.c_str();
  info.nShow = show_command(item.options.window);
  if (item.kind == bundle::Kind::app) {
    if (!item.args.empty()) {
      parameters = base::widen(item.args);
      info.lpParameters = parameters.c_str();
    }
  }
  // A packaged app starts where its package says; the shell takes no folder for it.
  if (item.kind == bundle::Kind::app && !bundle::is_packaged_app(item.target)) {
    // The chosen folder, else the folder that holds the app: "C:\\app.exe" starts in "C:\\".
    directory = base::widen(item.options.dir.empty() ? base::win_path::parent(item.target) : item.options.dir);
    if (!directory.empty()) info.lpDirectory = directory.c_str();
  }
  if (!ShellExecuteExW(&info)) {
    return {base::fail(base::system_error_text(static_cast<std::uint32_t>(HRESULT_FROM_WIN32(GetLastError())))),
            std::nullopt};
  }
  base::UniqueHandle process(info.hProcess);
  return {{}, process ? describe(process.get()) : std::nullopt};
}

void open_with_default_verb(const std::string& path) {
  ShellExecuteW(nullptr, L"open", base::widen(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool ShellOpener::target_exists(const std::string& target) { return base::path_exists(target); }

StartOutcome ShellOpener::start(const bundle::Item& item) { return start_item_with_shell(item); }

OpenResult ShellOpener::start_elevated(const std::vector<bundle::Item>& items) {
  OpenResult result;
  for (const bundle::Item& item : items) {
    StartOutcome started = start_item_with_shell(item);
    result.items.push_back(started.status ? ItemOutcome{ItemState::opened, {}}
                                          : ItemOutcome{ItemState::failed, started.status.error().text});
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
