#pragma once
// The two colour palettes of the window.

namespace gfx {

struct Color {
  float r = 0, g = 0, b = 0, a = 1;
  constexpr Color with_alpha(float alpha) const { return {r, g, b, alpha}; }
};

// #RRGGBB as floats (byte / 255).
constexpr Color rgb(unsigned hex) {
  return {static_cast<float>((hex >> 16) & 0xFF) / 255.0f, static_cast<float>((hex >> 8) & 0xFF) / 255.0f,
          static_cast<float>(hex & 0xFF) / 255.0f, 1.0f};
}

struct Palette {
  Color background;   // window clear colour, sidebar
  Color surface;      // content pane, cards, buttons
  Color surface_alt;  // item rows, fields
  Color text;         // primary text and icons
  Color text_muted;   // secondary text, hints, inactive icons
  Color border;       // outlines and dividers
  Color accent;       // selection, primary button, focus
};

constexpr Palette kLightPalette{rgb(0xF2F4F7), rgb(0xFFFFFF), rgb(0xFFFFFF), rgb(0x16181D),
                                rgb(0x6B7280), rgb(0xE3E6EA), rgb(0x16A34A)};
constexpr Palette kDarkPalette{rgb(0x17181B), rgb(0x222327), rgb(0x1F2125), rgb(0xECEDEF),
                               rgb(0x9CA0A8), rgb(0x33353B), rgb(0x22C55E)};

constexpr const Palette& palette(bool dark) { return dark ? kDarkPalette : kLightPalette; }

// Colours used outside the palette.
constexpr Color kMissingRed = rgb(0xDC2626);
constexpr Color kToastBar{0.0667f, 0.0706f, 0.0784f, 0.94f};
constexpr Color kUndoGreen{0.5255f, 0.9373f, 0.6745f, 1.0f};
constexpr Color kWhite{1, 1, 1, 1};

}  // namespace gfx
