#include "app/window/state_slot_win.h"

#include "app/window/window_win.h"

namespace app {

StateSlot& state_slot() {
  thread_local StateSlot slot;
  return slot;
}

Borrow::Borrow() {
  StateSlot& slot = state_slot();
  main_ = slot.in_use ? nullptr : slot.main.get();
  if (!main_) return;
  slot.in_use = true;
  ++slot.holders;
}

Borrow::~Borrow() {
  if (!main_) return;
  StateSlot& slot = state_slot();
  slot.in_use = false;
  if (--slot.holders == 0) slot.retired.reset();
}

Lend::Lend() : lent_(state_slot().in_use), owner_(state_slot().main.get()) {
  if (lent_) state_slot().in_use = false;
}

Lend::~Lend() {
  if (lent_) state_slot().in_use = true;
}

bool Lend::state_alive() const { return owner_ && state_slot().main.get() == owner_; }

}  // namespace app
