#pragma once
// A bundle's hotkey and its stored text, "Ctrl+Alt+1": the modifiers from
// Ctrl, Alt and Shift in that order, then the key's name. Keys are Windows'
// virtual-key codes, so the text means the same key on every machine.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace bundle {

struct Hotkey {
  bool ctrl = false;
  bool alt = false;
  bool shift = false;
  std::uint8_t key = 0;  // a virtual-key code with a name below

  bool operator==(const Hotkey&) const = default;
};

// The key's name ("A", "7", "F5", "PageUp", "Num 3", ";"), empty for a key
// that has none here and so cannot be a hotkey.
std::string_view hotkey_key_name(std::uint8_t key);

// A hotkey needs Ctrl or Alt: Shift alone with a letter would take typing
// away from every other program.
bool is_usable_hotkey(const Hotkey& hotkey);

std::string hotkey_text(const Hotkey& hotkey);
// The stored text, modifiers in any order and any ASCII case; nothing for
// text that is not a usable hotkey.
std::optional<Hotkey> parse_hotkey(std::string_view text);

}  // namespace bundle
