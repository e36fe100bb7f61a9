#pragma once
// What a second start hands to the running tolvik (WM_COPYDATA, sent by
// hand_over_win): its dwData says what it is, its data the bundle file's path
// as UTF-16 when it carries one.
// Defined in hand_over.cpp, hand_over_win.cpp.

#include <cstdint>
#include <string>
#include <string_view>

namespace app {

// A bundle file to import.
inline constexpr std::uint64_t kHandOverMarker = 0x7A;
// No file: the window is to be shown, restored and in front (a start while
// tolvik runs in the notification area).
inline constexpr std::uint64_t kShowMarker = 0x7D;
// No file: tolvik is to end as closing its window does with the setting off
// ("tolvik.exe --quit", used by the installer and the uninstaller).
inline constexpr std::uint64_t kQuitMarker = 0x7E;

struct HandOver {
  enum class Kind { nothing, import_file, show, quit } kind = Kind::nothing;
  std::string path;  // the bundle file when import_file
  bool operator==(const HandOver&) const = default;
};

// Reads a hand-over: `text` is its data as received (NULs at the end
// allowed). A bundle file's path must be there, non-empty and without a NUL
// inside it; anything else, and an unknown marker, is nothing.
HandOver read_hand_over(std::uint64_t marker, std::u16string_view text);

}  // namespace app
