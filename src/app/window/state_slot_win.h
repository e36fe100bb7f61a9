#pragma once
// Where the main window's state lives on the UI thread, and the rule for
// using it: a handler borrows it for one message, gives it back (lends it)
// while a modal loop runs, and a message that arrives while it is in use is
// kept for later instead of being lost.
// Defined in state_slot_win.cpp.

#include <windows.h>

#include <deque>
#include <memory>
#include <vector>

#include "app/reach/hand_over.h"
#include "detect/detect.h"

namespace app {

struct MainWindow;

// What was dropped at a client point, copied out of the drag's data.
struct Dropped {
  float x = 0;
  float y = 0;
  detect::DropPayload payload;
};

// A message as the window procedure received it. What its pointer carried is
// copied out once, when it arrives: the pointer is good only while the
// message is handled, and a message kept while the state is in use is
// replayed later.
struct WindowMessage {
  HWND window = nullptr;
  UINT id = 0;
  WPARAM wparam = 0;
  LPARAM lparam = 0;
  HandOver hand_over;  // WM_COPYDATA: what a second start handed over
  RECT suggested{};    // WM_DPICHANGED: the window rectangle Windows suggests for the new DPI
};

// Work that arrived while the state was in use, done once it is free.
struct DeferredWork {
  std::vector<WindowMessage> reposts;  // value-only messages, posted again
  // Messages whose own row handles them once the state is free, oldest first.
  std::vector<WindowMessage> replays;
  bool repaint = false;

  bool empty() const { return reposts.empty() && replays.empty() && !repaint; }
};

struct StateSlot {
  std::unique_ptr<MainWindow> main;
  // A window destroyed while a handler still holds its state is freed when
  // the last such handler returns.
  std::unique_ptr<MainWindow> retired;
  bool in_use = false;  // a handler is working with the state right now
  bool destroyed = false;  // the window is gone; nothing is kept for later
  int holders = 0;      // handlers on the stack holding it (in use or lent out)
  DeferredWork deferred;
  // Drops taken by the drop target, each waiting for its kMsgDropped.
  std::deque<Dropped> dropped;
};

// The UI thread's slot.
StateSlot& state_slot();

// Exclusive use of the state for one handler; get() is null when there is no
// state or another handler is using it.
class Borrow {
 public:
  Borrow();
  Borrow(const Borrow&) = delete;
  Borrow& operator=(const Borrow&) = delete;
  ~Borrow();
  MainWindow* get() const { return main_; }

 private:
  MainWindow* main_;
};

// Gives the state back for the length of a modal loop (menu, dialog, message
// box) so that the messages it dispatches are handled, then takes it again.
class Lend {
 public:
  Lend();
  Lend(const Lend&) = delete;
  Lend& operator=(const Lend&) = delete;
  ~Lend();
  // False when the window was destroyed while the loop ran.
  bool state_alive() const;

 private:
  bool lent_;
  MainWindow* owner_;
};

}  // namespace app
