#pragma once
// A window state with bundles to lay out, and a text measure with fixed
// character widths that counts how often it was asked.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

#include "app/reach/after_save.h"
#include "app/state/app_state.h"
#include "app/view/layout.h"
#include "fake_platform.h"
#include "gfx/text_measure.h"

namespace testing_support {

// Every character (code point) is 8 pixels wide; wrapped text is 18 pixels a line.
class FakeMeasure final : public gfx::TextMeasure {
 public:
  int calls = 0;

  static float chars(std::string_view text) {
    float n = 0;
    for (unsigned char c : text) {
      if ((c & 0xC0) != 0x80) ++n;
    }
    return n;
  }
  static float width(std::string_view text) { return 8 * chars(text); }
  float line_width(std::string_view text, gfx::TextFormat) override {
    ++calls;
    return width(text);
  }
  float wrapped_height(std::string_view text, float max_width) override {
    ++calls;
    return 18 * std::ceil(width(text) / std::max(max_width, 1.0f));
  }
};

class ViewFixture : public ::testing::Test {
 protected:
  FakePlatform platform;
  app::AppState state{platform};
  FakeMeasure measure;

  ViewFixture() {
    app::follow_saves(state);
    window(1000, 700, 96);
  }

  void window(float width, float height, std::uint32_t dpi) {
    state.client_width = width;
    state.client_height = height;
    state.dpi = dpi;
  }
  // `count` bundles named "bundle N", each with `items` file items.
  void bundles(std::size_t count, std::size_t items = 0) {
    state.store.bundles.clear();
    for (std::size_t i = 0; i < count; ++i) {
      bundle::Bundle b{"b" + std::to_string(i), "bundle " + std::to_string(i), {}};
      for (std::size_t k = 0; k < items; ++k) {
        b.items.push_back(bundle::Item{bundle::Kind::file, "C:\\f\\" + std::to_string(k) + ".txt", {}, {}});
      }
      state.store.bundles.push_back(std::move(b));
    }
  }
  app::ViewLayout layout() { return app::layout_view(state, &measure); }
  app::ViewLayout fallback_layout() { return app::layout_view(state, nullptr); }
};

inline void expect_rect(const gfx::RectF& r, float x, float y, float w, float h) {
  EXPECT_FLOAT_EQ(r.x, x);
  EXPECT_FLOAT_EQ(r.y, y);
  EXPECT_FLOAT_EQ(r.w, w);
  EXPECT_FLOAT_EQ(r.h, h);
}

}  // namespace testing_support
