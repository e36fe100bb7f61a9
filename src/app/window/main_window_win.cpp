// The main window's own resources: its native fields, its opening worker and
// its notification-area icon.

#include "app/edit/fields_win.h"
#include "app/state/messages_win.h"
#include "app/state/program_names_win.h"
#include "app/view/layout.h"
#include "app/window/window_win.h"
#include "lang/lang.h"

namespace app {

MainWindow::~MainWindow() {
  // Closing the window does not cut an opening short: what the user asked to
  // open still opens, and the process ends once it has. The icon goes at
  // once: nothing is left to show.
  notify_icon.remove();
  if (open_worker) WaitForSingleObject(open_worker.get(), INFINITE);
}

bool add_notify_icon(MainWindow& main) {
  // Shared: the system keeps the loaded icon, and it lives as long as the program.
  auto icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON,
                                            GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                            LR_SHARED));
  return main.notify_icon.add(main.window, kMsgNotifyIcon, icon, kWindowTitle);
}

void MainWindow::take_client_size() {
  RECT client{};
  GetClientRect(window, &client);
  state.client_width = static_cast<float>(client.right - client.left);
  state.client_height = static_cast<float>(client.bottom - client.top);
}

void MainWindow::layout_edits() {
  // A copy: placing a field may send messages that change the state.
  const ViewLayout layout = kept_layout(state, platform.text_measure());
  if (!search_box) {
    search_box = create_edit(window, kSearchBoxId, static_cast<HFONT>(edit_style.edit_font.get()),
                             lang::text("묶음 찾기 (Ctrl+F)", "Find a bundle (Ctrl+F)"));
  }
  if (search_box) {
    if (const auto rect = search_control_rect(layout)) {
      place_edit(search_box, *rect);
      ShowWindow(search_box, SW_SHOWNA);
    } else if (IsWindowVisible(search_box)) {
      if (GetFocus() == search_box) SetFocus(window);
      ShowWindow(search_box, SW_HIDE);
    }
  }
  if (inline_field && state.edit) {
    if (const auto rect = edit_control_rect(layout, state)) {
      place_edit(inline_field, *rect);
      clip_edit(inline_field, edit_field_clip(layout, state));
    }
  }
}

}  // namespace app
