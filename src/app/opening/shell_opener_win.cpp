#include "app/opening/shell_opener_win.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <optional>

#include "app/opening/elevated_helper_win.h"
#include "base/file.h"
#include "base/handle_win.h"
#include "base/process_identity_win.h"
#include "base/running_programs_win.h"
#include "base/system_error.h"
#include "base/utf.h"
#include "base/win_path.h"
#include "winshell/explorer_windows_win.h"

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
  std::optional<base::ProcessIdentity> identity = base::process_identity(process);
  if (!identity) return std::nullopt;
  StartedProcess described;
  described.id = identity->id;
  described.created = identity->created;
  described.image = std::move(identity->image);
  return described;
}

}  // namespace

ShellStart start_with_shell(const bundle::Item& item) {
  const std::wstring file = base::widen(item.target);
  std::wstring parameters;
  std::wstring directory;
  static_assert(sizeof(SHELLEXECUTEINFOW) == 112, "the record the shell expects on x64");
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  // A web address has no process of its own to wait for or close: the
  // browser may already run. Asking for one anyway makes some shells (Wine's)
  // wait up to 30 s for the browser's launcher to take input.
  if (item.kind != bundle::Kind::url) info.fMask |= SEE_MASK_NOCLOSEPROCESS;
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
    return {{base::fail(base::system_error_text(static_cast<std::uint32_t>(HRESULT_FROM_WIN32(GetLastError())))),
             std::nullopt},
            {}};
  }
  base::UniqueHandle process(info.hProcess);
  std::optional<StartedProcess> described = process ? describe(process.get()) : std::nullopt;
  return {{{}, std::move(described)}, std::move(process)};
}

StartOutcome start_item_with_shell(const bundle::Item& item) { return start_with_shell(item).outcome; }

void open_with_default_verb(const std::string& path) {
  ShellExecuteW(nullptr, L"open", base::widen(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool ShellOpener::target_exists(const std::string& target) { return base::path_exists(target); }

StartOutcome ShellOpener::start(const bundle::Item& item) {
  ShellStart started = start_with_shell(item);
  if (started.process && started.outcome.process) {
    started_[started.outcome.process->id] = std::move(started.process);
  }
  return std::move(started.outcome);
}

OpenResult ShellOpener::start_elevated(const std::vector<bundle::Item>& items) {
  return start_with_elevated_helper(items, stop_);
}

bool ShellOpener::stop_requested() { return stop_ != nullptr && WaitForSingleObject(stop_, 0) == WAIT_OBJECT_0; }

bool ShellOpener::pause(double seconds) {
  if (stop_requested()) return false;
  LARGE_INTEGER due;
  due.QuadPart = -static_cast<LONGLONG>(seconds * 1e7);  // relative, in 100 ns units
  // A high-resolution timer where Windows has one (10 1803 on); else the
  // usual one, whose 15.6 ms steps are no worse than the gap needs.
  base::UniqueHandle timer(
      CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS));
  if (!timer) timer.reset(CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS));
  if (timer && SetWaitableTimer(timer.get(), &due, 0, nullptr, nullptr, FALSE)) {
    const HANDLE handles[] = {timer.get(), stop_};
    const DWORD count = stop_ ? 2 : 1;
    const DWORD woke = WaitForMultipleObjects(count, handles, FALSE, INFINITE);
    if (woke == WAIT_OBJECT_0) return true;
    if (woke == WAIT_OBJECT_0 + 1) return false;
  }
  // No timer: the stop event alone, with the time as its timeout.
  const DWORD ms = static_cast<DWORD>(std::min(seconds * 1000.0, 4.0e9));
  if (!stop_) {
    Sleep(ms);
    return true;
  }
  return WaitForSingleObject(stop_, ms) != WAIT_OBJECT_0;
}

namespace {

// A stored path in the form Windows resolves it to.
std::wstring normal_path(const std::string& path) { return base::normal_path(base::widen(path)); }

// The process's main window: its first visible, unowned top-level window in
// z-order, the one the user last had in front.
HWND main_window_of(DWORD id) {
  struct Search {
    DWORD id;
    HWND found = nullptr;
  } search{id};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto& search = *reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != search.id || !IsWindowVisible(window) || GetWindow(window, GW_OWNER) != nullptr) return TRUE;
        search.found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The opening runs on a worker of the program the user just clicked, so
// Windows still lets it hand the foreground on.
void bring_forward(HWND window) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  AllowSetForegroundWindow(owner);
  if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
  if (!SetForegroundWindow(window)) BringWindowToTop(window);
}

}  // namespace

bool same_path(const std::string& a, const std::string& b) {
  // The system resolves the forms only it knows (short names, relative
  // paths); the text rule then matches what is left.
  return base::win_path::same_path(base::narrow(normal_path(a)), base::narrow(normal_path(b)));
}

bool ShellOpener::already_running(const bundle::Item& item, bool bring_to_front) {
  if (item.kind == bundle::Kind::folder) {
    for (const winshell::ExplorerWindow& shown : winshell::explorer_windows()) {
      if (!same_path(shown.folder, item.target)) continue;
      if (bring_to_front && shown.window) bring_forward(shown.window);
      return true;
    }
    return false;
  }
  if (item.kind != bundle::Kind::app) return false;
  const std::vector<DWORD> running = base::processes_of(normal_path(item.target));
  if (running.empty()) return false;
  if (bring_to_front) {
    for (const DWORD id : running) {
      if (HWND window = main_window_of(id)) {
        bring_forward(window);
        break;
      }
    }
  }
  return true;
}

WaitResult ShellOpener::wait_for_window(const StartedProcess& started, double timeout_seconds) {
  const auto held = started_.find(started.id);
  // Without its handle the process cannot be told from one that took its id.
  if (held == started_.end()) return WaitResult::ready;
  const HANDLE process = held->second.get();
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeout_seconds * 1000.0);
  constexpr DWORD kStepMs = 100;
  // Input idle first: a program that has not yet read its first message
  // has no window worth waiting for. A console program never gets there.
  bool idle_known = false;
  while (!idle_known) {
    if (stop_requested()) return WaitResult::stopped;
    const DWORD idle = WaitForInputIdle(process, kStepMs);
    if (idle != WAIT_TIMEOUT) idle_known = true;
    if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0) return WaitResult::ended;
    if (!idle_known && GetTickCount64() >= deadline) return WaitResult::timed_out;
  }
  for (;;) {
    if (main_window_of(started.id) != nullptr) return WaitResult::ready;
    if (GetTickCount64() >= deadline) return WaitResult::timed_out;
    const HANDLE handles[] = {process, stop_};
    const DWORD woke = WaitForMultipleObjects(stop_ ? 2 : 1, handles, FALSE, kStepMs);
    if (woke == WAIT_OBJECT_0) return WaitResult::ended;
    if (woke == WAIT_OBJECT_0 + 1) return WaitResult::stopped;
  }
}

}  // namespace app
