// The main window's procedure: one table with a row per message the window
// acts on. Everything without a row goes straight to DefWindowProcW.
//
// Windows calls this procedure again from inside a handler (DefWindowProcW,
// SetWindowPos, a popup menu or dialog) while that handler still uses the
// application state. A row therefore says three things:
//  - what the message does with the state, when the state is free;
//  - what is kept when the state is in use, so that nothing it carries is
//    lost (a repaint flag, a repost, the message itself for the row to
//    replay once the state is free, or nothing because the message comes
//    again by itself);
//  - what runs after the handler, once the state is free again (DestroyWindow,
//    SetWindowPos, DefWindowProcW), since that may send messages back here.
// A message that must be answered before the procedure returns whatever the
// state is doing has an answer that needs no state.
//
// To act on a new message, add a row to message_table() below.

#include "app/window/window_win.h"

#include <shellapi.h>
#include <windowsx.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "app/bundles/add_input.h"
#include "app/bundles/edit_commit.h"
#include "app/bundles/import.h"
#include "app/edit/fields_win.h"
#include "app/input/access_request.h"
#include "app/input/drop.h"
#include "app/input/keyboard.h"
#include "app/input/mouse.h"
#include "app/input/search.h"
#include "app/opening/open.h"
#include "app/opening/workers_win.h"
#include "app/reach/hand_over.h"
#include "app/reach/hotkeys.h"
#include "app/reach/notification_area.h"
#include "app/reach/offered_bundles.h"
#include "app/reach/startup.h"
#include "app/state/messages_win.h"
#include "app/state/program_names_win.h"
#include "app/state/settings_win.h"
#include "app/updater/update_check.h"
#include "app/view/access_tree.h"
#include "app/view/layout.h"
#include "app/view/selection.h"
#include "app/view/targets.h"
#include "app/window/state_slot_win.h"
#include "base/clock.h"
#include "base/failure_trace.h"
#include "base/utf.h"
#include "bundle/store_file.h"
#include "gfx/view_scale.h"
#include "winshell/clipboard_win.h"
#include "winshell/drop_target_win.h"
#include "winshell/jump_list_win.h"

namespace app {
namespace {

// How long a drop waits for the drag source's last calls before its work starts.
constexpr UINT kDropPauseMs = 200;

// Kept work may keep more (an import inside an import's modal loop); a few
// rounds settle it, and what is left waits for the next message.
constexpr int kDeferredRounds = 4;

void run_deferred(HWND window);

using Message = WindowMessage;

// ---------------------------------------------------------------------------
// Reading a message's parameters

float lparam_x(LPARAM lparam) { return static_cast<float>(static_cast<std::int16_t>(LOWORD(lparam))); }
float lparam_y(LPARAM lparam) { return static_cast<float>(static_cast<std::int16_t>(HIWORD(lparam))); }

// A hand-over as sent: its text is UTF-16 over an even byte count.
HandOver hand_over_of(LPARAM lparam) {
  const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
  if (!data) return {};
  const std::size_t units = data->lpData ? data->cbData / 2 : 0;
  std::u16string text(units, u'\0');
  if (units) std::memcpy(text.data(), data->lpData, units * 2);
  return read_hand_over(data->dwData, text);
}

// The message with what its pointer carries copied out, once. A second
// start's hand-over is answered here, at once: the start waits for its data
// to reach this window, never for what is done with it (an import may take
// long, and goes on here in any case), and one replayed later must not
// answer whatever message is being handled then.
Message read_message(HWND window, UINT id, WPARAM wparam, LPARAM lparam) {
  Message m{window, id, wparam, lparam};
  if (id == WM_COPYDATA) {
    m.hand_over = hand_over_of(lparam);
    if (m.hand_over.kind != HandOver::Kind::nothing) ReplyMessage(TRUE);
  } else if (id == WM_DPICHANGED && lparam) {
    m.suggested = *reinterpret_cast<const RECT*>(lparam);
  }
  return m;
}

Key key_of(WPARAM virtual_key) {
  switch (virtual_key) {
    case VK_RETURN: return Key::enter;
    case VK_SPACE: return Key::space;
    case VK_ESCAPE: return Key::escape;
    case VK_TAB: return Key::tab;
    case VK_UP: return Key::up;
    case VK_DOWN: return Key::down;
    case VK_LEFT: return Key::left;
    case VK_RIGHT: return Key::right;
    case VK_HOME: return Key::home;
    case VK_END: return Key::end;
    case VK_DELETE: return Key::del;
    case VK_F2: return Key::f2;
    case VK_F6: return Key::f6;
    case VK_F10: return Key::f10;
    case 'F': return Key::f;
    case 'N': return Key::n;
    case 'O': return Key::o;
    case 'Z': return Key::z;
    default: return Key::other;
  }
}

bool is_timer(const Message& m, TimerId id) { return m.wparam == static_cast<WPARAM>(id); }

// ---------------------------------------------------------------------------
// What the messages do with the state

void refresh_jump_list(const AppState& state) {
  // A program started on another store leaves the taskbar's jump list to the
  // program of the user's own store.
  if (bundle::store_path_override()) return;
  std::vector<winshell::JumpTask> tasks;
  for (const OfferedBundle& offered : offered_bundles(state.store)) tasks.push_back({offered.id, offered.name});
  winshell::refresh_jump_list(tasks);
}

// What closing the window and ending the session both keep: the running
// edit and where the window is.
void keep_what_the_user_left(MainWindow& main) {
  end_edit(main.state, true);
  save_window_placement(main.window);
}

LRESULT on_size(MainWindow& main, const Message& m) {
  // The fields are placed by the paint that follows.
  main.apply_client_size(LOWORD(m.lparam), HIWORD(m.lparam));
  main.state.redraw();
  return 0;
}

LRESULT on_paint(MainWindow& main, const Message& m) {
  // Validated even when nothing could be drawn: the next invalidation tries
  // again, so a missing context never makes a loop of paints.
  main.paint();
  ValidateRect(m.window, nullptr);
  // Every change the view shows asks for a frame, so the readers' snapshot
  // is made again here, from the layout just drawn; what changed is told
  // after the handler, with the state free.
  main.access.refresh(build_access_tree(kept_layout(main.state, main.platform.text_measure()), main.state));
  return 0;
}

LRESULT on_access_request(MainWindow& main, const Message&) {
  // Taken first: a request that comes while these are done waits for its own message.
  for (const AccessRequest& request : main.access.take_requests()) perform_access_request(main.state, request);
  return 0;
}

LRESULT on_mouse_move(MainWindow& main, const Message& m) {
  on_mouse_move(main.state, lparam_x(m.lparam), lparam_y(m.lparam), (m.wparam & MK_LBUTTON) != 0);
  return 0;
}

// A press or release at the pointer's client point.
template <void (*Action)(AppState&, float, float)>
LRESULT at_pointer(MainWindow& main, const Message& m) {
  Action(main.state, lparam_x(m.lparam), lparam_y(m.lparam));
  return 0;
}

LRESULT on_wheel(MainWindow& main, const Message& m) {
  // The wheel's point is on the screen, the view's in the client area.
  POINT point{static_cast<std::int16_t>(LOWORD(m.lparam)), static_cast<std::int16_t>(HIWORD(m.lparam))};
  ScreenToClient(m.window, &point);
  on_wheel(main.state, static_cast<float>(point.x), static_cast<float>(point.y),
           static_cast<std::int16_t>(HIWORD(m.wparam)));
  return 0;
}

LRESULT on_capture_changed(MainWindow& main, const Message& m) {
  if (reinterpret_cast<HWND>(m.lparam) != m.window) on_capture_lost(main.state);
  return 0;
}

LRESULT on_mouse_leave(MainWindow& main, const Message&) {
  on_mouse_leave(main.state);
  return 0;
}

LRESULT on_key_down(MainWindow& main, const Message& m) {
  const bool ctrl = GetKeyState(VK_CONTROL) < 0;
  if (ctrl && m.wparam == 'V') {
    paste(main.state, winshell::read_clipboard(m.window));
  } else {
    handle_key(main.state, key_of(m.wparam), KeyModifiers{.ctrl = ctrl, .shift = GetKeyState(VK_SHIFT) < 0});
  }
  return 0;
}

LRESULT on_system_key_down(MainWindow& main, const Message& m) {
  handle_key(main.state, key_of(m.wparam), KeyModifiers{.alt = (HIWORD(m.lparam) & KF_ALTDOWN) != 0});
  return 0;
}

LRESULT on_context_menu_key(MainWindow& main, const Message&) {
  open_focus_menu(main.state);
  return 0;
}

// What closing the window came to, for the step after it.
constexpr LRESULT kCloseEnds = 0;
constexpr LRESULT kCloseHides = 1;

LRESULT on_close(MainWindow& main, const Message&) {
  // The window itself is hidden or destroyed once the state is free again.
  keep_what_the_user_left(main);
  // Hidden only with the icon there to bring it back.
  return main.state.keep_in_notification_area && main.notify_icon.shown() ? kCloseHides : kCloseEnds;
}

LRESULT on_quit(MainWindow& main, const Message&) {
  keep_what_the_user_left(main);
  return 0;
}

LRESULT on_notification_menu(MainWindow& main, const Message& m) {
  show_notification_menu(main.state, GET_X_LPARAM(m.wparam), GET_Y_LPARAM(m.wparam));
  return 0;
}

LRESULT on_taskbar_created(MainWindow& main, const Message&) {
  // Explorer started again and knows no icon of before.
  main.notify_icon.restore();
  return 0;
}

LRESULT on_end_session(MainWindow& main, const Message& m) {
  // Windows may end the process as soon as this returns.
  if (m.wparam) keep_what_the_user_left(main);
  return 0;
}

LRESULT on_setting_change(MainWindow& main, const Message&) {
  follow_system_theme(main);
  // Settings announces a new text size with this message too.
  follow_text_size(main);
  return 0;
}

LRESULT on_activate_app(MainWindow& main, const Message& m) {
  if (!m.wparam) return 0;
  check_targets(main.state);
  // A text size changed while another program was in front, whose
  // announcement did not reach this window, is taken when it comes back.
  follow_text_size(main);
  return 0;
}

LRESULT on_copy_data(MainWindow& main, const Message& m) {
  import_files(main.state, {m.hand_over.path});
  return TRUE;
}

LRESULT on_dropped(MainWindow& main, const Message&) {
  // Taken first: a drop that comes while these are done waits for its own message.
  const std::deque<Dropped> dropped = std::exchange(state_slot().dropped, {});
  for (const Dropped& one : dropped) drop(main.state, one.x, one.y, one.payload);
  return 0;
}

LRESULT on_search_box_focused(MainWindow& main, const Message&) {
  search_box_focused(main.state);
  return 0;
}

LRESULT on_search_changed(MainWindow& main, const Message& m) {
  on_search_text_changed(main.state, read_text(reinterpret_cast<HWND>(m.lparam)));
  return 0;
}

LRESULT on_toast_timer(MainWindow& main, const Message& m) {
  KillTimer(m.window, m.wparam);
  toast_timer(main.state);
  return 0;
}

LRESULT on_jump_list_timer(MainWindow& main, const Message& m) {
  KillTimer(m.window, m.wparam);
  refresh_jump_list(main.state);
  return 0;
}

LRESULT on_dpi_changed(MainWindow& main, const Message& m) {
  apply_dpi(main, LOWORD(m.wparam));
  return 0;
}

LRESULT on_open_finished(MainWindow& main, const Message&) {
  if (auto outcome = open_results().take()) finish_open(main.state, *outcome);
  return 0;
}

LRESULT on_open_progress(MainWindow& main, const Message& m) {
  open_progress(main.state, static_cast<std::size_t>(m.wparam), static_cast<std::size_t>(m.lparam));
  return 0;
}

LRESULT on_targets_checked(MainWindow& main, const Message&) {
  if (auto checked = target_checks().take()) apply_target_check(main.state, *checked);
  return 0;
}

LRESULT on_icons_fetched(MainWindow& main, const Message&) {
  main.take_fetched_icons();
  return 0;
}

// Whether the keyboard focus is outside this window (in another program, or
// nowhere while another program is in front).
bool focus_outside(HWND window) {
  HWND focus = GetFocus();
  return !focus || (focus != window && !IsChild(window, focus));
}

LRESULT on_editor_finished(MainWindow& main, const Message& m) {
  if (!main.state.edit || reinterpret_cast<HWND>(m.lparam) != main.inline_field) return 0;
  if (m.wparam == kEditFocusLeft) {
    // Asked once the focus has settled: while the field loses it, where it
    // goes is not yet known.
    on_edit_field_left(main.state, focus_outside(m.window));
  } else {
    end_edit(main.state, m.wparam == kEditCommitted);
  }
  return 0;
}

LRESULT on_search_key(MainWindow& main, const Message& m) {
  if (auto key = search_key_of(m.wparam)) on_search_key(main.state, *key);
  return 0;
}

LRESULT on_update_checked(MainWindow& main, const Message&) {
  if (auto checked = update_checks().take()) on_update_checked(main.state, std::move(*checked));
  return 0;
}

LRESULT on_hotkey(MainWindow& main, const Message& m) {
  if (const std::optional<std::string> bundle_id = main.platform.hotkey_bundle(static_cast<int>(m.wparam))) {
    on_hotkey_pressed(main.state, *bundle_id);
  }
  return 0;
}

LRESULT on_download_progress(MainWindow& main, const Message& m) {
  on_download_progress(main.state, static_cast<std::uint64_t>(m.wparam));
  return 0;
}

LRESULT on_daily_update_timer(MainWindow& main, const Message&) {
  check_for_updates_daily(main.state, base::unix_seconds());
  return 0;
}

LRESULT on_download_finished(MainWindow& main, const Message&) {
  if (auto fetched = install_results().take()) on_installer_ready(main.state, std::move(*fetched));
  return 0;
}

// ---------------------------------------------------------------------------
// Answers that need no state

LRESULT no_background_erase(const Message&) { return 1; }

LRESULT minimum_size(const Message& m) {
  // Windows' text size makes it larger: every row of text must still fit.
  const WindowSize least = least_window_size(m.window);
  auto* info = reinterpret_cast<MINMAXINFO*>(m.lparam);
  info->ptMinTrackSize.x = least.width;
  info->ptMinTrackSize.y = least.height;
  return 0;
}

LRESULT on_destroy(const Message& m) {
  // After this every handler finds no state and does nothing.
  RevokeDragDrop(m.window);
  StateSlot& slot = state_slot();
  if (slot.holders > 0) {
    slot.retired = std::move(slot.main);
  } else {
    slot.main.reset();
  }
  slot.deferred = {};
  slot.dropped.clear();
  slot.destroyed = true;
  PostQuitMessage(0);
  return 0;
}

LRESULT field_colours(const Message& m) {
  // Only reads the fields' style, so it is answered even while the state is in use.
  if (const MainWindow* main = state_slot().main.get()) {
    SetTextColor(reinterpret_cast<HDC>(m.wparam), main->edit_style.text_color);
    SetBkColor(reinterpret_cast<HDC>(m.wparam), main->edit_style.back_color);
    return reinterpret_cast<LRESULT>(main->edit_style.brush.get());
  }
  return 0;
}

LRESULT accessible_object(const Message& m) {
  // Answered from the provider's snapshot, which needs no state: readers ask
  // from inside other handlers too.
  if (MainWindow* main = state_slot().main.get()) {
    if (const LRESULT answer = main->access.answer_get_object(m.wparam, m.lparam)) return answer;
  }
  return DefWindowProcW(m.window, m.id, m.wparam, m.lparam);
}

LRESULT inline_field_left(const Message& m) {
  // Leaving the inline field keeps its text; what it does to the edit is
  // decided from the queue.
  PostMessageW(m.window, kMsgEditorFinished, kEditFocusLeft, m.lparam);
  return 0;
}

LRESULT post_drops(const Message& m) {
  KillTimer(m.window, m.wparam);
  PostMessageW(m.window, kMsgDropped, 0, 0);
  return 0;
}

LRESULT focus_field_on_activate(const Message& m) {
  // Windows gives an activated window the focus itself; an entry left open
  // while the user was in another program gets it back instead. Only the
  // field's handle is read.
  const LRESULT result = DefWindowProcW(m.window, m.id, m.wparam, m.lparam);
  const MainWindow* main = state_slot().main.get();
  if (LOWORD(m.wparam) != WA_INACTIVE && !HIWORD(m.wparam) && main && main->inline_field) {
    SetFocus(main->inline_field);
  }
  return result;
}

LRESULT show_in_front(const Message& m) {
  // Shown first, as it was when hidden; then out of the taskbar if it was minimised.
  ShowWindow(m.window, SW_SHOW);
  if (IsIconic(m.window)) ShowWindow(m.window, SW_RESTORE);
  SetForegroundWindow(m.window);
  return 0;
}

LRESULT quit_for_hand_over(const Message& m) {
  PostMessageW(m.window, kMsgQuit, 0, 0);
  return TRUE;
}

// Data of another kind, or none: taken and left alone.
LRESULT ignore_hand_over(const Message&) { return TRUE; }

LRESULT session_may_end(const Message&) {
  // Nothing here is worth keeping a sign-out for: the edit and the placement
  // are kept when the session does end.
  return TRUE;
}

// ---------------------------------------------------------------------------
// What is kept while another handler uses the state

LRESULT comes_again(DeferredWork&, const Message&) { return 0; }

LRESULT repost(DeferredWork& work, const Message& m) {
  work.reposts.push_back(m);
  return 0;
}

// Kept whole, for the row to handle once the state is free.
LRESULT replay_each(DeferredWork& work, const Message& m) {
  work.replays.push_back(m);
  return 0;
}

// The same, replacing one kept before: the last says how things are now
// (the DPI the window is at, the theme, the session's end).
LRESULT replay_latest(DeferredWork& work, const Message& m) {
  std::erase_if(work.replays, [&](const Message& kept) { return kept.id == m.id; });
  return replay_each(work, m);
}

LRESULT repaint_later(DeferredWork& work, const Message& m) {
  if (m.id == WM_PAINT) ValidateRect(m.window, nullptr);
  work.repaint = true;
  return 0;
}

LRESULT keep_hand_over(DeferredWork& work, const Message& m) {
  replay_each(work, m);
  return TRUE;
}

LRESULT keep_session_end(DeferredWork& work, const Message& m) {
  if (!m.wparam) return 0;
  // The placement needs only the window, so it is saved before this returns;
  // the edit needs the state and is committed as soon as it is free.
  save_window_placement(m.window);
  return replay_latest(work, m);
}

// ---------------------------------------------------------------------------
// What runs after the handler, once the state is free

LRESULT nothing_after(const Message&, LRESULT result, bool) { return result; }

LRESULT hide_or_destroy_after_close(const Message& m, LRESULT result, bool handled) {
  if (!handled) return 0;
  if (result == kCloseHides) {
    ShowWindow(m.window, SW_HIDE);
  } else {
    DestroyWindow(m.window);
  }
  return 0;
}

LRESULT destroy_after_quit(const Message& m, LRESULT, bool handled) {
  // A quit that came before the state was in place has nothing to keep.
  if (handled || (!state_slot().main && !state_slot().destroyed)) DestroyWindow(m.window);
  return 0;
}

void move_to(HWND window, const RECT& rect) {
  SetWindowPos(window, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT move_to_suggested_rect(const Message& m, LRESULT, bool handled) {
  if (handled) move_to(m.window, m.suggested);
  return 0;
}

LRESULT tell_readers_after(const Message&, LRESULT result, bool) {
  // Only the provider is used, never the state: a reader's client may call
  // back into the window while it is told.
  if (MainWindow* main = state_slot().main.get()) main->access.raise_events();
  return result;
}

// After a message that may bring a larger text size: the window grows to
// its new minimum size if it is smaller.
LRESULT grow_after(const Message& m, LRESULT result, bool handled) {
  if (handled) grow_to_minimum_size(m.window);
  return result;
}

// ---------------------------------------------------------------------------
// The table

struct MessageRow {
  UINT id;
  // Which messages of this id the row takes; null: all of them.
  bool (*takes)(const Message&);
  // Answered at once without the state; the row's other columns are unused.
  LRESULT (*answer)(const Message&);
  // The handler, with the state borrowed for it.
  LRESULT (*handle)(MainWindow&, const Message&);
  // While the state is in use: what is kept; returns the message's result.
  LRESULT (*keep)(DeferredWork&, const Message&);
  // Once the state is free: gets the result and whether `handle` ran.
  LRESULT (*after)(const Message&, LRESULT result, bool handled);
  unsigned flags = 0;
};

// Kept also before the state is in place (while the window is being made):
// a paint must be validated, and a hand-over or a drop must not be lost.
constexpr unsigned kKeptBeforeStart = 1;
// DefWindowProcW answers the message too, after the row's after-step; a
// replayed message was answered when it came.
constexpr unsigned kThenDefault = 2;

bool from_search_box(const Message& m) { return LOWORD(m.wparam) == kSearchBoxId && HIWORD(m.wparam) == EN_CHANGE; }
bool search_box_took_focus(const Message& m) {
  return LOWORD(m.wparam) == kSearchBoxId && HIWORD(m.wparam) == EN_SETFOCUS;
}
bool inline_field_lost_focus(const Message& m) {
  return LOWORD(m.wparam) == kInlineFieldId && HIWORD(m.wparam) == EN_KILLFOCUS;
}
bool toast_timer_fired(const Message& m) { return is_timer(m, TimerId::toast); }
bool jump_list_timer_fired(const Message& m) { return is_timer(m, TimerId::jump_list); }
bool daily_update_timer_fired(const Message& m) { return is_timer(m, TimerId::daily_update); }
bool drop_timer_fired(const Message& m) { return m.wparam == kDropTimerId; }
bool asks_to_show(const Message& m) { return m.hand_over.kind == HandOver::Kind::show; }
bool asks_to_quit(const Message& m) { return m.hand_over.kind == HandOver::Kind::quit; }
bool hands_over_a_file(const Message& m) { return m.hand_over.kind == HandOver::Kind::import_file; }
bool hands_over_nothing(const Message& m) { return m.hand_over.kind == HandOver::Kind::nothing; }
// The icon's click by mouse or keyboard (version 4 sends the release and NIN_SELECT both).
bool icon_selected(const Message& m) {
  const UINT event = LOWORD(m.lparam);
  return event == NIN_SELECT || event == NIN_KEYSELECT || event == WM_LBUTTONUP;
}
// Its menu: a right-click, Shift+F10 or the menu key on the icon.
bool icon_menu_asked(const Message& m) { return LOWORD(m.lparam) == WM_CONTEXTMENU; }
// Every key but the menu key, which DefWindowProcW turns into WM_CONTEXTMENU.
bool view_key(const Message& m) { return m.wparam != VK_APPS; }
// Of the system keys only F10 (without Shift, which asks for the context
// menu) and Alt+Up/Down; Alt+F4, Alt+Space and the rest stay the system's.
bool view_system_key(const Message& m) {
  const bool alt = (HIWORD(m.lparam) & KF_ALTDOWN) != 0;
  if (m.wparam == VK_F10) return !alt && GetKeyState(VK_SHIFT) >= 0;
  return alt && (m.wparam == VK_UP || m.wparam == VK_DOWN);
}
// Shift+F10 or the menu key: the point is (-1, -1). A right-click opens its
// menu on the button's release and never comes here, so no menu opens twice.
bool context_menu_from_keyboard(const Message& m) { return GET_X_LPARAM(m.lparam) == -1 && GET_Y_LPARAM(m.lparam) == -1; }
// A message that could not be registered has the id 0, which WM_NULL has too.
bool registered(const Message& m) { return m.id != WM_NULL; }

// Registered messages (RegisterWindowMessageW) get their ids when the table is
// first made, on the UI thread.
std::span<const MessageRow> message_table() {
  static const MessageRow rows[] = {
      // Answered whatever the state is doing.
      {WM_ERASEBKGND, nullptr, no_background_erase},
      {WM_GETMINMAXINFO, nullptr, minimum_size},
      {WM_DESTROY, nullptr, on_destroy},
      {WM_CTLCOLOREDIT, nullptr, field_colours},
      {WM_COMMAND, inline_field_lost_focus, inline_field_left},
      {WM_QUERYENDSESSION, nullptr, session_may_end},
      {WM_TIMER, drop_timer_fired, post_drops},
      {WM_ACTIVATE, nullptr, focus_field_on_activate},
      {kMsgShowWindow, nullptr, show_in_front},
      {kMsgNotifyIcon, icon_selected, show_in_front},
      // A second start's "show yourself" and "--quit": taken at once, without data.
      {WM_COPYDATA, asks_to_show, show_in_front},
      {WM_COPYDATA, asks_to_quit, quit_for_hand_over},
      {WM_COPYDATA, hands_over_nothing, ignore_hand_over},
      // Screen readers and other UI Automation clients.
      {WM_GETOBJECT, nullptr, accessible_object},

      // The frame and the window.
      {WM_PAINT, nullptr, nullptr, on_paint, repaint_later, tell_readers_after, kKeptBeforeStart},
      {WM_SIZE, nullptr, nullptr, on_size, repaint_later, nothing_after},
      {WM_DPICHANGED, nullptr, nullptr, on_dpi_changed, replay_latest, move_to_suggested_rect},
      {WM_SETTINGCHANGE, nullptr, nullptr, on_setting_change, replay_latest, grow_after, kThenDefault},
      {WM_SYSCOLORCHANGE, nullptr, nullptr, on_setting_change, replay_latest, nothing_after, kThenDefault},
      {WM_ACTIVATEAPP, nullptr, nullptr, on_activate_app, repost, grow_after, kThenDefault},
      {WM_CLOSE, nullptr, nullptr, on_close, repost, hide_or_destroy_after_close},
      {kMsgQuit, nullptr, nullptr, on_quit, repost, destroy_after_quit},
      {WM_ENDSESSION, nullptr, nullptr, on_end_session, keep_session_end, nothing_after},

      // Pointer and keys come again by themselves.
      {WM_MOUSEMOVE, nullptr, nullptr, on_mouse_move, comes_again, nothing_after},
      {WM_LBUTTONDOWN, nullptr, nullptr, at_pointer<on_left_button_down>, comes_again, nothing_after},
      {WM_LBUTTONUP, nullptr, nullptr, at_pointer<on_left_button_up>, comes_again, nothing_after},
      {WM_LBUTTONDBLCLK, nullptr, nullptr, at_pointer<on_double_click>, comes_again, nothing_after},
      {WM_RBUTTONUP, nullptr, nullptr, at_pointer<on_right_button_up>, comes_again, nothing_after},
      {WM_MOUSEWHEEL, nullptr, nullptr, on_wheel, comes_again, nothing_after},
      {WM_CAPTURECHANGED, nullptr, nullptr, on_capture_changed, repost, nothing_after},
      {WM_MOUSELEAVE, nullptr, nullptr, on_mouse_leave, repost, nothing_after},
      {WM_KEYDOWN, view_key, nullptr, on_key_down, comes_again, nothing_after},
      {WM_SYSKEYDOWN, view_system_key, nullptr, on_system_key_down, comes_again, nothing_after},
      {WM_CONTEXTMENU, context_menu_from_keyboard, nullptr, on_context_menu_key, comes_again, nothing_after},
      // A bundle's hotkey, pressed in any program: posted once per press.
      {WM_HOTKEY, nullptr, nullptr, on_hotkey, repost, nothing_after},

      // Timers fire again while they are set.
      {WM_TIMER, toast_timer_fired, nullptr, on_toast_timer, comes_again, nothing_after},
      {WM_TIMER, jump_list_timer_fired, nullptr, on_jump_list_timer, comes_again, nothing_after},
      {WM_TIMER, daily_update_timer_fired, nullptr, on_daily_update_timer, comes_again, nothing_after},

      // A second start's bundle file; the sender waits for the answer.
      {WM_COPYDATA, hands_over_a_file, nullptr, on_copy_data, keep_hand_over, nothing_after, kKeptBeforeStart},
      // The notification area: the icon's menu, and Explorer's restart that forgot the icon.
      {kMsgNotifyIcon, icon_menu_asked, nullptr, on_notification_menu, repost, nothing_after},
      {RegisterWindowMessageW(L"TaskbarCreated"), registered, nullptr, on_taskbar_created, repost, nothing_after},
      // Drops, taken by the drop target without work so that the drag source is not held up.
      // They wait in the state slot; one replay takes them all.
      {kMsgDropped, nullptr, nullptr, on_dropped, replay_latest, nothing_after, kKeptBeforeStart},

      // The fields and the workers: each comes once.
      {WM_COMMAND, from_search_box, nullptr, on_search_changed, repost, nothing_after},
      // A click in the search box (or Ctrl+F, or Tab) puts the view's focus there.
      {WM_COMMAND, search_box_took_focus, nullptr, on_search_box_focused, repost, nothing_after},
      {kMsgEditorFinished, nullptr, nullptr, on_editor_finished, repost, nothing_after},
      {kMsgSearchKey, nullptr, nullptr, on_search_key, repost, nothing_after},
      {kMsgOpenFinished, nullptr, nullptr, on_open_finished, repost, nothing_after},
      {kMsgOpenProgress, nullptr, nullptr, on_open_progress, repost, nothing_after},
      {kMsgTargetsChecked, nullptr, nullptr, on_targets_checked, repost, nothing_after},
      {kMsgIconsFetched, nullptr, nullptr, on_icons_fetched, repost, nothing_after},
      {kMsgUpdateChecked, nullptr, nullptr, on_update_checked, repost, nothing_after},
      {kMsgDownloadFinished, nullptr, nullptr, on_download_finished, repost, nothing_after},
      // What a screen reader asked an element of the view to do; the requests wait in the provider.
      {kMsgAccessRequest, nullptr, nullptr, on_access_request, repost, nothing_after},
      // The next progress report follows within a second.
      {kMsgDownloadProgress, nullptr, nullptr, on_download_progress, comes_again, nothing_after},
  };
  return rows;
}

const MessageRow* row_for(const Message& m) {
  for (const MessageRow& row : message_table()) {
    if (row.id == m.id && (!row.takes || row.takes(m))) return &row;
  }
  return nullptr;
}

// The row's handler with the state borrowed, or what the row keeps while
// the state is in use; `handled` says whether the handler ran.
LRESULT handle_or_keep(const MessageRow& row, const Message& m, bool& handled) {
  Borrow borrow;
  StateSlot& slot = state_slot();
  if (MainWindow* main = borrow.get()) {
    handled = true;
    return row.handle(*main, m);
  }
  handled = false;
  if (slot.main || ((row.flags & kKeptBeforeStart) && !slot.destroyed)) return row.keep(slot.deferred, m);
  return 0;
}

// A message as it comes: handled or kept, then the kept work and the row's
// after-step with the state free.
LRESULT dispatch(const MessageRow& row, const Message& m) {
  bool handled = false;
  LRESULT result = handle_or_keep(row, m, handled);
  run_deferred(m.window);
  result = row.after(m, result, handled);
  if (row.flags & kThenDefault) return DefWindowProcW(m.window, m.id, m.wparam, m.lparam);
  return result;
}

// Answers every message; no exception leaves it. One that a handler threw
// is traced and the message answered with 0, as not done: unwinding through
// Windows' own frames would end the program, or worse, leave it half-done.
LRESULT CALLBACK window_procedure(HWND window, UINT id, WPARAM wparam, LPARAM lparam) {
  try {
    const Message m = read_message(window, id, wparam, lparam);
    const MessageRow* row = row_for(m);
    if (!row) return DefWindowProcW(window, id, wparam, lparam);
    if (row->answer) return row->answer(m);
    return dispatch(*row, m);
  } catch (...) {
    char step[48];
    std::snprintf(step, sizeof step, "the window's message 0x%04X", id);
    base::trace_thrown(step);
    return 0;
  }
}

// Does the kept work once no handler is using the state: each kept message
// goes to its own row again, handler and after-step.
void run_deferred(HWND window) {
  StateSlot& slot = state_slot();
  for (int round = 0; round < kDeferredRounds && !slot.in_use && slot.main && !slot.deferred.empty(); ++round) {
    DeferredWork work = std::exchange(slot.deferred, {});
    for (const Message& posted : work.reposts) PostMessageW(window, posted.id, posted.wparam, posted.lparam);
    if (work.repaint) InvalidateRect(window, nullptr, FALSE);
    for (const Message& kept : work.replays) {
      const MessageRow* row = row_for(kept);
      if (!row) continue;
      bool handled = false;
      const LRESULT result = handle_or_keep(*row, kept, handled);
      row->after(kept, result, handled);
    }
  }
}

// The highlight follows the drag at once; a drop is queued and done from the
// window's messages, like a hand-over.
class WindowDropHandler final : public winshell::DropHandler {
 public:
  bool drag_over(float x, float y) override {
    Borrow borrow;
    return borrow.get() && app::drag_over(borrow.get()->state, x, y);
  }
  void drag_leave() override {
    Borrow borrow;
    if (borrow.get()) app::drag_leave(borrow.get()->state);
  }
  bool drop(HWND window, float x, float y, detect::DropPayload payload) override {
    StateSlot& slot = state_slot();
    if (slot.destroyed) return false;
    slot.dropped.push_back({x, y, std::move(payload)});
    // The source is not done when Drop returns: OLE still releases the
    // target through a call into this thread, and the source waits for it.
    // The work starts from a timer, which comes only when no posted message
    // (such as that call) waits, and not before the source has had time to
    // make it.
    if (SetTimer(window, kDropTimerId, kDropPauseMs, nullptr)) return true;
    slot.dropped.pop_back();
    return false;
  }
};

WindowDropHandler g_drop_handler;  // holds nothing: its calls borrow the state or queue in the state slot

}  // namespace

bool register_main_window_class(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = window_procedure;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kWindowClass;
  return RegisterClassExW(&wc) != 0;
}

bool register_drop_target(HWND window) { return winshell::register_drop_target(window, g_drop_handler); }

Microsoft::WRL::ComPtr<IDropTarget> make_drop_target(HWND window) {
  return winshell::make_drop_target(window, g_drop_handler);
}

void install_main_window(std::unique_ptr<MainWindow> main) {
  HWND window = main->window;
  state_slot().main = std::move(main);
  state_slot().destroyed = false;
  run_deferred(window);
}

void with_main_window(const std::function<void(MainWindow&)>& work) {
  {
    Borrow borrow;
    if (MainWindow* main = borrow.get()) work(*main);
  }
  if (MainWindow* main = state_slot().main.get()) run_deferred(main->window);
}

}  // namespace app
