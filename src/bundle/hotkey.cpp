#include "bundle/hotkey.h"

#include <array>

#include "base/unicode.h"

namespace bundle {
namespace {

struct NamedKey {
  std::uint8_t key;
  std::string_view name;
};

// Keys whose name is not their own character. The punctuation keys are named
// by what they carry on a US keyboard, as Windows' own key names do.
constexpr std::array<NamedKey, 37> kNamedKeys = {{
    {0x08, "Backspace"}, {0x09, "Tab"},      {0x0D, "Enter"},    {0x13, "Pause"},    {0x20, "Space"},
    {0x21, "PageUp"},    {0x22, "PageDown"}, {0x23, "End"},      {0x24, "Home"},     {0x25, "Left"},
    {0x26, "Up"},        {0x27, "Right"},    {0x28, "Down"},     {0x2D, "Insert"},   {0x2E, "Delete"},
    {0x6A, "Num *"},     {0x6B, "Num +"},    {0x6D, "Num -"},    {0x6E, "Num ."},    {0x6F, "Num /"},
    {0xBA, ";"},         {0xBB, "="},        {0xBC, ","},        {0xBD, "-"},        {0xBE, "."},
    {0xBF, "/"},         {0xC0, "`"},        {0xDB, "["},        {0xDC, "\\"},       {0xDD, "]"},
    {0xDE, "'"},         {0x2C, "PrintScreen"}, {0x91, "ScrollLock"}, {0x90, "NumLock"}, {0x14, "CapsLock"},
    {0x1B, "Esc"},       {0x03, "Break"},
}};

constexpr std::string_view kDigits = "0123456789";
constexpr std::string_view kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr std::array<std::string_view, 24> kFunctionKeys = {
    "F1",  "F2",  "F3",  "F4",  "F5",  "F6",  "F7",  "F8",  "F9",  "F10", "F11", "F12",
    "F13", "F14", "F15", "F16", "F17", "F18", "F19", "F20", "F21", "F22", "F23", "F24"};
constexpr std::array<std::string_view, 10> kNumpadDigits = {"Num 0", "Num 1", "Num 2", "Num 3", "Num 4",
                                                            "Num 5", "Num 6", "Num 7", "Num 8", "Num 9"};

std::optional<std::uint8_t> key_from_name(std::string_view name) {
  for (unsigned key = 1; key < 256; ++key) {
    const std::string_view known = hotkey_key_name(static_cast<std::uint8_t>(key));
    if (!known.empty() && base::ascii_iequals(known, name)) return static_cast<std::uint8_t>(key);
  }
  return std::nullopt;
}

}  // namespace

std::string_view hotkey_key_name(std::uint8_t key) {
  if (key >= '0' && key <= '9') return kDigits.substr(key - '0', 1);
  if (key >= 'A' && key <= 'Z') return kLetters.substr(key - 'A', 1);
  if (key >= 0x70 && key <= 0x87) return kFunctionKeys[key - 0x70];  // VK_F1 ... VK_F24
  if (key >= 0x60 && key <= 0x69) return kNumpadDigits[key - 0x60];  // VK_NUMPAD0 ...
  for (const NamedKey& named : kNamedKeys) {
    if (named.key == key) return named.name;
  }
  return {};
}

bool is_usable_hotkey(const Hotkey& hotkey) {
  return (hotkey.ctrl || hotkey.alt) && !hotkey_key_name(hotkey.key).empty();
}

std::string hotkey_text(const Hotkey& hotkey) {
  std::string text;
  if (hotkey.ctrl) text += "Ctrl+";
  if (hotkey.alt) text += "Alt+";
  if (hotkey.shift) text += "Shift+";
  text += hotkey_key_name(hotkey.key);
  return text;
}

std::optional<Hotkey> parse_hotkey(std::string_view text) {
  Hotkey hotkey;
  // The key comes last and may itself be "+" ("Num +") or end in one.
  while (true) {
    const std::size_t plus = text.find('+');
    if (plus == std::string_view::npos || plus + 1 == text.size() || plus == 0) break;
    const std::string_view part = text.substr(0, plus);
    bool* flag = nullptr;
    if (base::ascii_iequals(part, "ctrl")) flag = &hotkey.ctrl;
    if (base::ascii_iequals(part, "alt")) flag = &hotkey.alt;
    if (base::ascii_iequals(part, "shift")) flag = &hotkey.shift;
    if (flag == nullptr) break;
    if (*flag) return std::nullopt;  // "Ctrl+Ctrl+1"
    *flag = true;
    text.remove_prefix(plus + 1);
  }
  const auto key = key_from_name(text);
  if (!key) return std::nullopt;
  hotkey.key = *key;
  if (!is_usable_hotkey(hotkey)) return std::nullopt;
  return hotkey;
}

}  // namespace bundle
