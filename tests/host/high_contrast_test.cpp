#include <gtest/gtest.h>

#include "app/view/colours.h"
#include "fake_platform.h"
#include "gfx/palette.h"

namespace {

using testing_support::FakePlatform;

bool same(gfx::Color a, gfx::Color b) { return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a; }

// Eight different colours, so that every role shows which one it took.
gfx::SystemColours scheme() {
  return {.window = gfx::rgb(0x000000),
          .window_text = gfx::rgb(0xFFFF00),
          .highlight = gfx::rgb(0x00FFFF),
          .highlight_text = gfx::rgb(0x101010),
          .button_face = gfx::rgb(0x202020),
          .button_text = gfx::rgb(0xF0F0F0),
          .gray_text = gfx::rgb(0x00FF00),
          .hot_light = gfx::rgb(0xFF00FF)};
}

// --- the palette made of the system's colours ---

TEST(HighContrastPalette, EveryRoleIsASystemColourInTheSystemsPairs) {
  const gfx::SystemColours c = scheme();
  const gfx::Palette p = gfx::high_contrast_palette(c);
  EXPECT_TRUE(p.high_contrast);
  // Surfaces are the window, drawn on by window text and gray text.
  EXPECT_TRUE(same(p.background, c.window));
  EXPECT_TRUE(same(p.surface, c.window));
  EXPECT_TRUE(same(p.surface_alt, c.window));
  EXPECT_TRUE(same(p.text, c.window_text));
  EXPECT_TRUE(same(p.text_muted, c.gray_text));
  // Subtle borders become window-text lines.
  EXPECT_TRUE(same(p.border, c.window_text));
  // The Open button: highlight text on highlight.
  EXPECT_TRUE(same(p.accent, c.highlight));
  EXPECT_TRUE(same(p.accent_text, c.highlight_text));
  EXPECT_TRUE(same(p.hot, c.hot_light));
}

TEST(HighContrastPalette, TheMissingPillIsToldByItsTextAndOutlineNotByColour) {
  const gfx::SystemColours c = scheme();
  const gfx::Palette p = gfx::high_contrast_palette(c);
  EXPECT_TRUE(same(p.missing, c.window_text));
  EXPECT_TRUE(same(p.missing_fill, c.window));
  EXPECT_TRUE(same(p.missing_outline, c.window_text));
  EXPECT_GT(p.missing_outline.a, 0.0f);
  // The themed palettes tell it by red instead, without an outline.
  EXPECT_EQ(gfx::kLightPalette.missing_outline.a, 0.0f);
  EXPECT_TRUE(same(gfx::kLightPalette.missing, gfx::kMissingRed));
  EXPECT_FALSE(gfx::kDarkPalette.high_contrast);
}

// --- which palette the view draws with ---

TEST(ViewPalette, ThePlatformsAnswerDecidesBetweenHighContrastAndTheTheme) {
  FakePlatform platform;
  app::AppState state{platform};
  state.dark = true;
  EXPECT_FALSE(app::follow_high_contrast(state));  // off, and it was off
  EXPECT_TRUE(same(app::view_palette(state).background, gfx::kDarkPalette.background));

  platform.high_contrast = scheme();
  const int before = platform.invalidations;
  EXPECT_TRUE(app::follow_high_contrast(state));
  EXPECT_GT(platform.invalidations, before);
  const gfx::Palette on = app::view_palette(state);
  EXPECT_TRUE(on.high_contrast);
  EXPECT_TRUE(same(on.background, scheme().window));
  EXPECT_TRUE(same(on.text, scheme().window_text));

  // The same colours again change nothing; a new scheme is followed.
  EXPECT_FALSE(app::follow_high_contrast(state));
  platform.high_contrast->window = gfx::rgb(0xFFFFFF);
  EXPECT_TRUE(app::follow_high_contrast(state));
  EXPECT_TRUE(same(app::view_palette(state).background, gfx::rgb(0xFFFFFF)));

  // Turned off: back to the theme the system asks for.
  platform.high_contrast.reset();
  state.dark = false;
  EXPECT_TRUE(app::follow_high_contrast(state));
  EXPECT_FALSE(app::view_palette(state).high_contrast);
  EXPECT_TRUE(same(app::view_palette(state).background, gfx::kLightPalette.background));
}

}  // namespace
