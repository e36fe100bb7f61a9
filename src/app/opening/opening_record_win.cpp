#include "app/opening/opening_record_win.h"

#include <windows.h>
#include <exdisp.h>
#include <shlobj.h>
#include <wrl/client.h>

#include "app/opening/shell_opener_win.h"
#include "base/clock.h"
#include "base/file.h"
#include "base/handle_win.h"
#include "base/process_identity_win.h"
#include "base/utf.h"
#include "winshell/explorer_windows_win.h"
#include "winshell/failure_win.h"

namespace app {
namespace {

// The window, a window-less --open and a --close may all reach the file at
// once; each reads, changes and writes it whole under this mutex.
constexpr wchar_t kRecordsMutex[] = L"Local\\tolvik-opened-records";
constexpr DWORD kRecordsWaitMs = 5000;

// The process behind an id now, as the shell opener described the one it started.
class SystemCloser final : public Closer {
 public:
  std::optional<LiveProcess> running(std::uint32_t id) override {
    const base::UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    if (!process) return std::nullopt;
    DWORD code = 0;
    // A process that ended may live on as an object while someone holds it.
    if (!GetExitCodeProcess(process.get(), &code) || code != STILL_ACTIVE) return std::nullopt;
    std::optional<base::ProcessIdentity> identity = base::process_identity(process.get());
    // Without its program file it cannot be told from another that took the id.
    if (!identity || identity->image.empty()) return std::nullopt;
    return LiveProcess{identity->created, std::move(identity->image)};
  }

  // Posted, not sent: an app that asks about unsaved work must not hold up
  // the caller, which may be the window.
  std::size_t close_windows(std::uint32_t id) override {
    struct Search {
      DWORD id;
      std::vector<HWND> found;
    } search{id, {}};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
          auto& s = *reinterpret_cast<Search*>(param);
          DWORD owner_process = 0;
          GetWindowThreadProcessId(window, &owner_process);
          // Owned windows (dialogs, tool windows) close with their owner.
          if (owner_process == s.id && IsWindowVisible(window) && !GetWindow(window, GW_OWNER)) {
            s.found.push_back(window);
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    std::size_t asked = 0;
    for (HWND window : search.found) {
      if (PostMessageW(window, WM_CLOSE, 0, 0)) ++asked;
    }
    return asked;
  }

  std::optional<std::size_t> close_folder_windows(const std::string& path) override {
    if (!shell_windows_ &&
        winshell::failed("CoCreateInstance(ShellWindows)",
                         CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&shell_windows_)))) {
      return std::nullopt;
    }
    return winshell::close_explorer_windows(*shell_windows_.Get(), path, same_path);
  }

 private:
  Microsoft::WRL::ComPtr<IShellWindows> shell_windows_;
};

}  // namespace

void record_opening(const std::string& bundle_id, const std::vector<bundle::Item>& items, const OpenResult& result,
                    const std::vector<std::size_t>& positions) {
  const base::HeldMutex held(kRecordsMutex, kRecordsWaitMs);
  if (!held.held()) return;
  (void)save_opening(opening_records_path(), bundle_id, items, result, base::unix_seconds(), positions);
}

CloseReport close_last_opening(const std::string& bundle_id) {
  const base::HeldMutex held(kRecordsMutex, kRecordsWaitMs);
  SystemCloser closer;
  return close_recorded(opening_records_path(), bundle_id, closer, base::unix_seconds());
}

}  // namespace app
