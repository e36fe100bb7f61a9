#pragma once
// The colour palettes of the window: light, dark, and one made of the
// system's colours while a high-contrast theme is on.

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

// Colours used outside the palette.
constexpr Color kMissingRed = rgb(0xDC2626);
constexpr Color kToastBar{0.0667f, 0.0706f, 0.0784f, 0.94f};
constexpr Color kUndoGreen{0.5255f, 0.9373f, 0.6745f, 1.0f};
constexpr Color kWhite{1, 1, 1, 1};

struct Palette {
  Color background;   // window clear colour, sidebar
  Color surface;      // content pane, cards, buttons
  Color surface_alt;  // item rows, fields
  Color text;         // primary text and icons
  Color text_muted;   // secondary text, hints, inactive icons
  Color border;       // outlines and dividers
  Color accent;       // selection, primary button, focus
  // Text on the accent (the Open and create buttons' labels).
  Color accent_text = kWhite;
  // Links and the hovered control's outline.
  Color hot = accent;
  // The "Not found" pill and failure lines: its text, its fill, its outline
  // (none in the themed palettes, where the red tells it).
  Color missing = kMissingRed;
  Color missing_fill = kMissingRed.with_alpha(0.12f);
  Color missing_outline{0, 0, 0, 0};
  // The system's colours are used as they are: no tints, no translucency
  // that would make a pair the system did not choose.
  bool high_contrast = false;
};

constexpr Palette kLightPalette{rgb(0xF2F4F7), rgb(0xFFFFFF), rgb(0xFFFFFF), rgb(0x16181D),
                                rgb(0x6B7280), rgb(0xE3E6EA), rgb(0x16A34A)};
constexpr Palette kDarkPalette{rgb(0x17181B), rgb(0x222327), rgb(0x1F2125), rgb(0xECEDEF),
                               rgb(0x9CA0A8), rgb(0x33353B), rgb(0x22C55E)};

constexpr const Palette& palette(bool dark) { return dark ? kDarkPalette : kLightPalette; }

// The system colours a high-contrast theme chooses (GetSysColor).
struct SystemColours {
  Color window;          // COLOR_WINDOW
  Color window_text;     // COLOR_WINDOWTEXT
  Color highlight;       // COLOR_HIGHLIGHT
  Color highlight_text;  // COLOR_HIGHLIGHTTEXT
  Color button_face;     // COLOR_BTNFACE
  Color button_text;     // COLOR_BTNTEXT
  Color gray_text;       // COLOR_GRAYTEXT
  Color hot_light;       // COLOR_HOTLIGHT
};

// Every role from one system colour, drawn only in the pairs the theme made:
// text on window, highlight text on highlight. Subtle borders become window
// text lines so that every control stays visible, and the missing pill is
// told by its text and outline, never by colour alone.
constexpr Palette high_contrast_palette(const SystemColours& c) {
  Palette p{c.window, c.window, c.window, c.window_text, c.gray_text, c.window_text, c.highlight};
  p.accent_text = c.highlight_text;
  p.hot = c.hot_light;
  p.missing = c.window_text;
  p.missing_fill = c.window;
  p.missing_outline = c.window_text;
  p.high_contrast = true;
  return p;
}

// The palette the view draws with: the system's while high contrast is on.
constexpr Palette view_palette(bool dark, const SystemColours* high_contrast) {
  return high_contrast ? high_contrast_palette(*high_contrast) : palette(dark);
}

}  // namespace gfx
