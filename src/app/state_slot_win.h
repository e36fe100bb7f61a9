#pragma once
// Where the main window's state lives on the UI thread, and the rule for
// using it: a handler borrows it for one message, gives it back (lends it)
// while a modal loop runs, and a message that arrives while it is in use is
// kept for later instead of being lost.

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace app {

struct MainWindow;

// Work that arrived while the state was in use, done once it is free.
struct DeferredWork {
  struct Posted {
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
  };
  std::vector<Posted> reposts;          // value-only messages, posted again
  std::vector<std::string> hand_overs;  // bundle files handed over by a second start
  bool repaint = false;
  bool theme_check = false;

  bool empty() const { return reposts.empty() && hand_overs.empty() && !repaint && !theme_check; }
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
