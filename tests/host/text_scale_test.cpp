// Windows' text size: the stored percentage read with its limits, and the
// smallest window laid out at 100, 150 and 225 % with every row's text still
// fitting its box in every language.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "app/reach/startup.h"
#include "app/state/app_state.h"
#include "app/view/layout.h"
#include "app/view/text_scale.h"
#include "app/view/view_text.h"
#include "fake_platform.h"
#include "gfx/text_measure.h"
#include "gfx/text_style.h"
#include "lang/lang.h"

namespace {

using gfx::RectF;
using gfx::TextFormat;
using testing_support::FakePlatform;

TEST(TextScaleFactor, OnlyThePercentagesSettingsOffersCount) {
  EXPECT_EQ(app::text_scale_factor(std::nullopt), 1.0f);
  EXPECT_EQ(app::text_scale_factor(100), 1.0f);
  EXPECT_EQ(app::text_scale_factor(150), 1.5f);
  EXPECT_EQ(app::text_scale_factor(225), 2.25f);
  // Outside Settings' range: as if it were never set.
  EXPECT_EQ(app::text_scale_factor(0), 1.0f);
  EXPECT_EQ(app::text_scale_factor(99), 1.0f);
  EXPECT_EQ(app::text_scale_factor(226), 1.0f);
  EXPECT_EQ(app::text_scale_factor(0xFFFFFFFFu), 1.0f);
}

TEST(FollowTextScale, TakesAChangeOnceAndRedraws) {
  FakePlatform platform;
  app::AppState state{platform};
  EXPECT_FALSE(app::follow_text_scale(state));  // nothing stored: 100 %
  EXPECT_EQ(platform.invalidations, 0);

  platform.text_scale_percent = 175;
  EXPECT_TRUE(app::follow_text_scale(state));
  EXPECT_EQ(state.text_scale, 1.75f);
  EXPECT_EQ(platform.invalidations, 1);
  EXPECT_FALSE(app::follow_text_scale(state));

  // A value Settings cannot write goes back to the system's own size.
  platform.text_scale_percent = 400;
  EXPECT_TRUE(app::follow_text_scale(state));
  EXPECT_EQ(state.text_scale, 1.0f);
}

TEST(MinimumWindowSize, GrowsWithTheTextSizeAndTheDpi) {
  const app::WindowSize plain = app::minimum_window_size(96, 1.0f);
  const app::WindowSize larger = app::minimum_window_size(96, 1.5f);
  const app::WindowSize largest = app::minimum_window_size(96, 2.25f);
  EXPECT_GT(larger.width, plain.width);
  EXPECT_GT(larger.height, plain.height);
  EXPECT_GT(largest.width, larger.width);
  EXPECT_GT(largest.height, larger.height);
  const app::WindowSize doubled = app::minimum_window_size(192, 1.5f);
  EXPECT_NEAR(doubled.width, 2 * larger.width, 1);
  EXPECT_NEAR(doubled.height, 2 * larger.height, 1);
  // A DPI below the base one is sized as the base one.
  EXPECT_EQ(app::minimum_window_size(72, 1.5f), larger);
}

// Widths as Segoe UI sets the view's labels in language `code`, at the type
// size a format has at the layout's text scale: about 0.55 em a letter, a
// full em for the wide letters of Chinese and Japanese.
class TypeMeasure final : public gfx::TextMeasure {
 public:
  TypeMeasure(std::string_view code, float text_scale) : text_scale_(text_scale) {
    const std::pair<std::string_view, std::string_view> pairs[] = {
        {"파일 추가…", "Add files…"}, {"폴더 추가…", "Add folder…"}, {"앱 추가…", "Add app…"},
        {"주소 추가…", "Add web address…"}, {"열기", "Open"}, {"찾을 수 없음", "Not found"},
        {"새 묶음", "New bundle"}, {"되돌리기", "Undo"},
    };
    for (const auto& [korean, english] : pairs) {
      shown_[std::string(lang::text(korean, english))] = std::string(lang::text_in(code, korean, english));
    }
  }

  static float size(TextFormat format) {
    switch (format) {
      case TextFormat::caption: return gfx::kCaptionTextSize;
      case TextFormat::title: return gfx::kTitleTextSize;
      case TextFormat::symbols: return gfx::kSymbolTextSize;
      default: return gfx::kBodyTextSize;
    }
  }
  // Segoe UI's line: its ascent and descent together are 1.33 em.
  float line_height(TextFormat format) const { return 1.33f * size(format) * text_scale_; }

  float line_width(std::string_view text, TextFormat format) override {
    const auto found = shown_.find(std::string(text));
    const std::string_view shown = found == shown_.end() ? text : std::string_view(found->second);
    float ems = 0;
    std::size_t i = 0;
    while (i < shown.size()) {
      const auto lead = static_cast<unsigned char>(shown[i]);
      const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
      ems += length >= 3 && lead >= 0xE3 ? 1.0f : 0.55f;
      i += length;
    }
    return ems * size(format) * text_scale_;
  }
  float wrapped_height(std::string_view text, float max_width) override {
    return line_height(TextFormat::body) *
           std::max(1.0f, std::ceil(line_width(text, TextFormat::body) / std::max(max_width, 1.0f)));
  }

 private:
  float text_scale_;
  std::map<std::string, std::string> shown_;
};

bool inside(RectF inner, RectF outer) {
  constexpr float kPixel = 0.5f;  // rounding to whole pixels
  return inner.x >= outer.x - kPixel && inner.y >= outer.y - kPixel && inner.right() <= outer.right() + kPixel &&
         inner.bottom() <= outer.bottom() + kPixel;
}
bool overlap(RectF a, RectF b) {
  return a.x < b.right() && b.x < a.right() && a.y < b.bottom() && b.y < a.bottom();
}

class SmallestWindowText : public ::testing::TestWithParam<std::uint32_t> {
 protected:
  FakePlatform platform;
  app::AppState state{platform};

  // The client area of the smallest window: the window less a frame of at
  // most 16 by 40 DIPs (the borders and the title bar).
  void smallest_window(std::uint32_t dpi, float factor) {
    const app::WindowSize least = app::minimum_window_size(dpi, factor);
    const float s = static_cast<float>(dpi) / 96.0f;
    state.dpi = dpi;
    state.text_scale = factor;
    state.client_width = static_cast<float>(least.width) - 16 * s;
    state.client_height = static_cast<float>(least.height) - 40 * s;
  }

  void fill_store() {
    state.store.bundles.clear();
    for (int i = 0; i < 8; ++i) {
      bundle::Bundle b{"b" + std::to_string(i), "Monatsabschluss der Buchhaltung " + std::to_string(i), {}};
      for (int k = 0; k < 6; ++k) {
        b.items.push_back(bundle::Item{bundle::Kind::file, "C:\\Berichte\\Vierteljahresbericht " + std::to_string(k) +
                                                               ".xlsx", {}, {}});
      }
      state.store.bundles.push_back(std::move(b));
    }
    state.selected_bundle = 0;
  }
};

TEST_P(SmallestWindowText, EveryRowHoldsItsTextAtTheSmallestWindow) {
  fill_store();
  const float factor = static_cast<float>(GetParam()) / 100.0f;
  for (const lang::Language& language : lang::languages()) {
    const std::string_view code = language.code;
    for (std::uint32_t dpi : {96u, 144u}) {
      smallest_window(dpi, factor);
      TypeMeasure measure(code, state.dpi / 96.0f * factor);
      state.toast = app::Toast{"Vierteljahresbericht entfernt", 0, app::ToastAction::undo};
      state.search_open = true;
      const app::ViewLayout v = app::layout_view(state, &measure);
      SCOPED_TRACE(testing::Message() << code << " at " << GetParam() << " %, " << dpi << " DPI");
      const RectF view{0, 0, v.width, v.height};
      const auto line = [&](TextFormat format) { return measure.line_height(format); };

      // The top strip holds the product name in the title's type.
      EXPECT_GE(v.top, line(TextFormat::title));

      // The sidebar: its button, the search box and the field in it, the rows.
      EXPECT_GE(v.new_bundle.h, line(TextFormat::body_bold));
      EXPECT_GE(v.new_bundle.y, v.top);
      ASSERT_TRUE(v.search_box);
      EXPECT_GE(v.search_box->y, v.new_bundle.bottom());
      const std::optional<RectF> search_field = app::search_control_rect(v);
      ASSERT_TRUE(search_field);
      EXPECT_TRUE(inside(*search_field, *v.search_box));
      EXPECT_GE(search_field->h, line(TextFormat::body));
      EXPECT_GE(v.list_top, v.search_box->bottom());
      ASSERT_GE(v.rows.size(), 2u);
      EXPECT_LE(v.rows[1].rect.bottom(), v.height);  // two whole rows at least
      for (const app::SidebarRow& row : v.rows) {
        EXPECT_GE(row.name.h, line(TextFormat::body_bold));
        EXPECT_GE(row.count.h, line(TextFormat::caption));
        EXPECT_LE(row.name.bottom(), row.count.y);
        EXPECT_TRUE(inside(row.name, row.rect));
        EXPECT_TRUE(inside(row.count, row.rect));
        EXPECT_TRUE(inside(row.open, row.rect));
        EXPECT_GE(row.open.h, line(TextFormat::body_bold));
        EXPECT_LE(row.name.right(), row.open.x);
        EXPECT_LE(row.rect.right(), v.sidebar_width);
        // The count beside the Open button is never cut.
        EXPECT_GE(row.count.w, measure.line_width(lang::count_text_in(code, 6, "항목 {0}개", "{0} item", "{0} items"),
                                                  TextFormat::caption));
      }

      // The header of the content column.
      ASSERT_TRUE(v.content);
      const app::ContentLayout& c = *v.content;
      EXPECT_GE(c.title_text.h, line(TextFormat::title));
      EXPECT_GE(c.open.h, line(TextFormat::body_bold));
      EXPECT_GE(c.open.x, v.content_left);
      EXPECT_LE(c.open.right(), c.more.x);
      EXPECT_LE(c.more.right(), v.width);
      EXPECT_GE(c.subtitle.y, c.title_text.bottom());
      EXPECT_GE(c.subtitle.h, line(TextFormat::caption));
      ASSERT_EQ(c.add_buttons.size(), 4u);
      for (std::size_t i = 0; i < c.add_buttons.size(); ++i) {
        const RectF b = c.add_buttons[i].rect;
        EXPECT_GE(b.y, c.subtitle.bottom());
        EXPECT_GE(b.h, line(TextFormat::body));
        EXPECT_GE(b.x, v.content_left);
        EXPECT_LE(b.right(), v.content_left + v.content_width + 0.5f);
        for (std::size_t k = 0; k < i; ++k) EXPECT_FALSE(overlap(b, c.add_buttons[k].rect));
      }
      EXPECT_GE(c.list_top, c.add_bar_bottom);

      // The rename field fits the title line.
      state.edit = app::ActiveEdit{app::EditMode::bundle_name, state.store.bundles[0].id, 0};
      const std::optional<RectF> rename = app::edit_control_rect(v, state);
      state.edit.reset();
      ASSERT_TRUE(rename);
      EXPECT_TRUE(inside(*rename, c.title));
      EXPECT_GE(rename->h, line(TextFormat::title));

      // The item rows, the "Not found" pill among them.
      ASSERT_TRUE(v.toast);
      const app::ToastLayout& toast = *v.toast;
      ASSERT_FALSE(c.rows.empty());
      EXPECT_LE(c.rows[0].rect.bottom(), v.height);  // a whole row below the header, however many rows the add bar takes
      for (const app::ItemRow& row : c.rows) {
        const app::ItemRowParts parts = app::item_row_parts(v, row.rect, true);
        EXPECT_GE(parts.first_line.h, line(TextFormat::body_bold));
        EXPECT_GE(parts.second_line.h, line(TextFormat::caption));
        EXPECT_LE(parts.first_line.bottom(), parts.second_line.y);
        EXPECT_TRUE(inside(parts.first_line, row.rect));
        EXPECT_TRUE(inside(parts.second_line, row.rect));
        ASSERT_TRUE(parts.pill);
        EXPECT_GE(parts.pill->text.h, line(TextFormat::caption));
        EXPECT_TRUE(inside(parts.pill->box, row.rect));
        EXPECT_GE(parts.pill->text.w, measure.line_width(app::view_text::not_found(), TextFormat::caption));
        EXPECT_LE(parts.first_line.right(), parts.pill->box.x);
        EXPECT_FALSE(overlap(parts.pill->box, parts.remove));
      }

      // The toast: inside the window, below the add bar, its text and button whole.
      EXPECT_TRUE(inside(toast.bar, view));
      EXPECT_GE(toast.bar.y, c.add_bar_bottom);
      EXPECT_GE(toast.text.h, line(TextFormat::body));
      ASSERT_TRUE(toast.action);
      EXPECT_TRUE(inside(*toast.action, toast.bar));
      EXPECT_GE(toast.action->h, line(TextFormat::body_bold));
      EXPECT_GE(toast.action->w, measure.line_width(toast.action_label, TextFormat::body_bold));
      EXPECT_LE(toast.text.right(), toast.action->x);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(TextSizes, SmallestWindowText, ::testing::Values(100u, 150u, 225u));

TEST(TextScaleLayout, RowsGrowWithTheTextButTheirGapsAndIconsDoNot) {
  FakePlatform platform;
  app::AppState state{platform};
  bundle::Bundle b{"b0", "Reports", {}};
  b.items.push_back(bundle::Item{bundle::Kind::file, "C:\\r.txt", {}, {}});
  state.store.bundles.push_back(b);
  state.selected_bundle = 0;
  state.client_width = 1600;
  state.client_height = 1000;
  TypeMeasure plain_measure("en", 1.0f);
  const app::ViewLayout plain = app::layout_view(state, &plain_measure);
  state.text_scale = 2.0f;
  TypeMeasure large_measure("en", 2.0f);
  const app::ViewLayout large = app::layout_view(state, &large_measure);

  EXPECT_EQ(large.scale, plain.scale);
  EXPECT_EQ(large.text_scale, 2 * plain.text_scale);
  EXPECT_NEAR(app::bundle_row_height(large), 2 * app::bundle_row_height(plain), 1);
  const float plain_item = app::item_row_rect(plain, 0)->h;
  const float large_item = app::item_row_rect(large, 0)->h;
  EXPECT_NEAR(large_item, 2 * plain_item, 1);
  // The gap between two rows is the pitch less the row.
  EXPECT_EQ(large.item_pitch - large_item, plain.item_pitch - plain_item);
  EXPECT_EQ(large.row_pitch - app::bundle_row_height(large), plain.row_pitch - app::bundle_row_height(plain));
  const app::ItemRowParts plain_parts = app::item_row_parts(plain, *app::item_row_rect(plain, 0), false);
  const app::ItemRowParts large_parts = app::item_row_parts(large, *app::item_row_rect(large, 0), false);
  EXPECT_EQ(large_parts.tile.w, plain_parts.tile.w);
  EXPECT_EQ(large_parts.remove.w, plain_parts.remove.w);
  // Labels measured in the larger type make wider buttons.
  EXPECT_GT(large.content->open.w, plain.content->open.w);
}

}  // namespace
