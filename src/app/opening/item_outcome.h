#pragma once
// What became of one item of an opening: its state, the name that state is
// written under in the files openings keep and hand over, whether it went as
// the user asked, and what people read about one that did not.
// Defined in item_outcome.cpp.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace app {

enum class ItemState : std::uint8_t {
  not_reached,       // the opening never came to it
  opened,
  brought_to_front,  // already running: shown instead of started
  skipped,           // already running: left alone
  not_found,         // its target does not exist
  failed,            // starting it failed; the reason is the system's text
  declined,          // the administrator consent was declined
  timed_out,         // started, but its window did not come in time
  stopped,           // Stop was pressed before it started
};

struct ItemOutcome {
  ItemState state = ItemState::not_reached;
  std::string reason;  // the system's text when failed

  bool operator==(const ItemOutcome&) const = default;
};

// "not_reached", "opened", "brought_to_front", ...: the enumerator's own name.
std::string_view item_state_name(ItemState state);
std::optional<ItemState> item_state_from_name(std::string_view name);

// Opened, brought to the front, or skipped because it ran: what the user
// asked for. Every other state is something to tell.
bool went_well(ItemState state);

// The mark of an item that did not open ("Not found", "Consent declined",
// "Timed out waiting", else "Couldn't open"), in the current language.
std::string_view state_label(ItemState state);
// The reason to print for one: the system's text when starting it failed and
// the system gave one, else its mark.
std::string_view outcome_reason(const ItemOutcome& outcome);

}  // namespace app
