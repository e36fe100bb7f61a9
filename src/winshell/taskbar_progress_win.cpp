#include "winshell/taskbar_progress_win.h"

#include "winshell/failure_win.h"

namespace winshell {

ITaskbarList3* TaskbarProgress::list() {
  // One try per window: a shell without a taskbar stays without one.
  if (!list_ && !tried_) {
    tried_ = true;
    Microsoft::WRL::ComPtr<ITaskbarList3> made;
    if (failed("CoCreateInstance(TaskbarList)",
               CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&made))) ||
        failed("ITaskbarList3::HrInit", made->HrInit())) {
      return nullptr;
    }
    list_ = std::move(made);
  }
  return list_.Get();
}

void TaskbarProgress::show(HWND window, std::uint64_t done, std::uint64_t total) {
  ITaskbarList3* taskbar = list();
  if (!taskbar) return;
  if (total == 0) {
    (void)failed("ITaskbarList3::SetProgressState", taskbar->SetProgressState(window, TBPF_INDETERMINATE));
    return;
  }
  // SetProgressValue sets the normal state with it.
  (void)failed("ITaskbarList3::SetProgressValue", taskbar->SetProgressValue(window, done < total ? done : total, total));
}

void TaskbarProgress::hide(HWND window) {
  if (ITaskbarList3* taskbar = list()) {
    (void)failed("ITaskbarList3::SetProgressState", taskbar->SetProgressState(window, TBPF_NOPROGRESS));
  }
}

}  // namespace winshell
