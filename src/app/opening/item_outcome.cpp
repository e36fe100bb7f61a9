#include "app/opening/item_outcome.h"

#include <array>
#include <utility>

#include "app/view/view_text.h"

namespace app {
namespace {

constexpr std::array<std::pair<ItemState, std::string_view>, 9> kStateNames{{
    {ItemState::not_reached, "not_reached"},
    {ItemState::opened, "opened"},
    {ItemState::brought_to_front, "brought_to_front"},
    {ItemState::skipped, "skipped"},
    {ItemState::not_found, "not_found"},
    {ItemState::failed, "failed"},
    {ItemState::declined, "declined"},
    {ItemState::timed_out, "timed_out"},
    {ItemState::stopped, "stopped"},
}};

}  // namespace

std::string_view item_state_name(ItemState state) {
  for (const auto& [s, name] : kStateNames) {
    if (s == state) return name;
  }
  return "not_reached";
}

std::optional<ItemState> item_state_from_name(std::string_view name) {
  for (const auto& [s, n] : kStateNames) {
    if (n == name) return s;
  }
  return std::nullopt;
}

bool went_well(ItemState state) {
  // "Skip if running" is what the user asked for; any other state is not.
  return state == ItemState::opened || state == ItemState::brought_to_front || state == ItemState::skipped;
}

std::string_view state_label(ItemState state) {
  switch (state) {
    case ItemState::not_found: return view_text::not_found();
    case ItemState::declined: return view_text::consent_declined();
    case ItemState::timed_out: return view_text::timed_out_waiting();
    default: return view_text::could_not_open();
  }
}

std::string_view outcome_reason(const ItemOutcome& outcome) {
  if (outcome.state == ItemState::failed && !outcome.reason.empty()) return outcome.reason;
  return state_label(outcome.state);
}

}  // namespace app
