#include "app/reach/startup_win.h"

#include <windows.h>

#include <string>
#include <vector>

#include "app/opening/opening_record_win.h"
#include "app/reach/hand_over.h"
#include "app/reach/hand_over_win.h"
#include "app/reach/sign_in_win.h"
#include "app/reach/startup.h"
#include "app/reach/windowless_opening_win.h"
#include "app/state/messages_win.h"
#include "app/state/program_names_win.h"
#include "app/state/settings_win.h"
#include "base/cmdline_win.h"
#include "base/handle_win.h"
#include "base/utf.h"
#include "base/worker_win.h"
#include "bundle/store_file.h"
#include "lang/lang.h"
#include "winshell/jump_list_win.h"

namespace app {
namespace {

constexpr UINT kMessageBoxStyle = MB_ICONWARNING | MB_SETFOREGROUND;

// No is the default button: Enter alone must not start what someone else chose.
bool ask_yes_no(const std::string& text) {
  return MessageBoxW(nullptr, base::widen(text).c_str(), kWindowTitle,
                     kMessageBoxStyle | MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

// How long a second start waits for the first one's window to appear, and for
// it to take a bundle file.
constexpr DWORD kWindowWaitMs = 10000;
constexpr UINT kHandOverTimeoutMs = 20000;

// The path as the other instance must read it: full, since its working folder
// is another.
std::wstring full_path(const std::string& path) {
  const std::wstring wide = base::widen(path);
  const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return wide;
  std::wstring full(needed, L'\0');
  const DWORD written = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
  if (written == 0 || written >= needed) return wide;
  full.resize(written);
  return full;
}

// Sends the first bundle file to the running instance and brings its window
// forward. False when no running window was found.
bool hand_over(HWND running, const std::vector<std::string>& bundle_files) {
  if (!bundle_files.empty()) {
    const std::wstring path = full_path(bundle_files.front());
    if (!send_bundle_file(running, path, kHandOverTimeoutMs)) {
      show_windowless_message(
          lang::fill(lang::text("tolvik 이 응답하지 않아 ‘{0}’ 파일을 가져오지 못했습니다. 잠시 후 다시 해 보세요.",
                                "tolvik didn't answer, so “{0}” wasn't imported. Try again in a moment."),
                     {base::narrow(path)}));
    }
  }
  // The window may be hidden with only its icon left: it shows itself, and
  // may come to the front as this start, which the user just made, allows.
  DWORD process = 0;
  if (GetWindowThreadProcessId(running, &process)) AllowSetForegroundWindow(process);
  send_marker(running, kShowMarker, kHandOverTimeoutMs);
  SetForegroundWindow(running);
  return true;
}

// How long "--quit" waits for the running tolvik to end: an opening it
// started finishes first.
constexpr DWORD kQuitWaitMs = 10000;

}  // namespace

int run_unregister() {
  delete_settings();
  delete_run_value();
  base::ComScope com(COINIT_APARTMENTTHREADED);
  winshell::delete_jump_list();
  return 0;
}

int run_windowless_open(const std::string& id) {
  WindowlessOpening kit;
  const LoadedBundles& loaded = kit.bundles();
  if (auto message = windowless_open(loaded.bundles, id, kit.opener(), ask_yes_no, loaded.path, kit.record())) {
    show_windowless_message(*message);
  }
  return 0;
}

// Always here, whether a window runs or not: closing needs only the record.
int run_windowless_close(const std::string& id) {
  WindowlessOpening kit;
  if (auto message = windowless_close(kit.bundles().bundles, id, close_last_opening)) {
    show_windowless_message(*message);
  }
  return 0;
}

// "--quit": the running tolvik, hidden or not, ends as closing its window
// does with the setting off. Ends with 0 whether one ran or not.
int run_quit() {
  // FindWindowW also finds a hidden window.
  HWND running = FindWindowW(kWindowClass, nullptr);
  if (!running) return 0;
  DWORD id = 0;
  GetWindowThreadProcessId(running, &id);
  base::UniqueHandle process(id ? OpenProcess(SYNCHRONIZE, FALSE, id) : nullptr);
  if (send_marker(running, kQuitMarker, kHandOverTimeoutMs) && process) {
    WaitForSingleObject(process.get(), kQuitWaitMs);
  }
  return 0;
}

// Another start holds the mutex: waits for its window (it may still be
// loading) and hands over to it. False when this start should run the window
// itself: the other one ended (the mutex is now ours) or never showed one.
bool hand_over_to_first_start(HANDLE mutex, const std::vector<std::string>& bundle_files) {
  const ULONGLONG deadline = GetTickCount64() + kWindowWaitMs;
  for (;;) {
    if (HWND running = FindWindowW(kWindowClass, nullptr)) return hand_over(running, bundle_files);
    const DWORD waited = WaitForSingleObject(mutex, 50);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) return false;
    if (GetTickCount64() >= deadline) return false;
  }
}

void quiet_critical_errors() { SetErrorMode(GetErrorMode() | SEM_FAILCRITICALERRORS); }

}  // namespace app
