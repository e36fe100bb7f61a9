#pragma once
// A progress bar on the window's taskbar button (ITaskbarList3), the way
// Windows shows its own downloads.

#include <windows.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <cstdint>

namespace winshell {

class TaskbarProgress {
 public:
  // `done` of `total` (total 0: going on, end unknown). The taskbar's object
  // is made on first use; without one (no shell) nothing shows.
  void show(HWND window, std::uint64_t done, std::uint64_t total);
  void hide(HWND window);

 private:
  ITaskbarList3* list();

  Microsoft::WRL::ComPtr<ITaskbarList3> list_;
  bool tried_ = false;
};

}  // namespace winshell
