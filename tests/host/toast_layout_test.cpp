#include "app/view/toast_layout.h"

#include <gtest/gtest.h>

#include <string>

#include "app/view/view_text.h"
#include "view_fixture.h"

namespace {

using testing_support::expect_rect;
using testing_support::FakeMeasure;
using testing_support::ViewFixture;

using ToastLayout = ViewFixture;

TEST_F(ToastLayout, NoneWithoutAToastOrWithoutMeasure) {
  EXPECT_FALSE(app::toast_layout(state, &measure));
  state.toast = app::Toast{"Saved", 0, app::ToastAction::undo};
  EXPECT_FALSE(app::toast_layout(state, nullptr));
  EXPECT_TRUE(app::toast_layout(state, &measure));
}

TEST_F(ToastLayout, PlainToastIsCentredAtTheBottom) {
  state.toast = app::Toast{"Saved", 0, app::ToastAction::none};  // 40 pixels of text
  const auto t = app::toast_layout(state, &measure);
  ASSERT_TRUE(t);
  expect_rect(t->bar, 462, 700 - 66, 36 + 40, 40);
  expect_rect(t->text, 480, 634, 76 - 32, 40);
  EXPECT_TRUE(t->text_centred);
  EXPECT_FALSE(t->action);
}

TEST_F(ToastLayout, HalfPixelsRoundAwayFromZero) {
  window(1001, 700, 96);
  state.toast = app::Toast{"Saved", 0, app::ToastAction::none};
  EXPECT_FLOAT_EQ(app::toast_layout(state, &measure)->bar.x, 463);  // (1001 − 76) / 2 = 462.5
}

TEST_F(ToastLayout, UndoButtonAtTheRightEnd) {
  state.toast = app::Toast{"Removed “x”", 0, app::ToastAction::undo};  // 11 characters: 88 pixels
  const float undo = FakeMeasure::width(app::view_text::undo()) + 28;
  const float w = 36 + 88 + undo;
  const float x = std::round((1000 - w) / 2);
  const auto t = app::toast_layout(state, &measure);
  ASSERT_TRUE(t && t->action);
  expect_rect(t->bar, x, 634, w, 40);
  expect_rect(*t->action, x + w - undo - 6, 639, undo, 30);
  // The text starts 18 in and ends 22 before the button, left-aligned.
  expect_rect(t->text, x + 18, 634, t->action->x - x - 22, 40);
  EXPECT_FALSE(t->text_centred);
}

TEST_F(ToastLayout, UndoScalesWithDpi) {
  window(1500, 1050, 144);
  state.toast = app::Toast{"Removed “x”", 0, app::ToastAction::undo};
  const float undo = FakeMeasure::width(app::view_text::undo()) + 42;
  const float w = 54 + 88 + undo;
  const auto t = app::toast_layout(state, &measure);
  ASSERT_TRUE(t && t->action);
  expect_rect(t->bar, std::round((1500 - w) / 2), 1050 - 99, w, 60);
  expect_rect(*t->action, t->bar.x + w - undo - 9, 1050 - 99 + 7.5f, undo, 45);
}

TEST_F(ToastLayout, LongTextNeverMakesTheBarWiderThanTheWindowLess32s) {
  for (std::uint32_t dpi : {96u, 144u}) {
    const float s = dpi / 96.0f;
    window(500 * s, 600, dpi);
    for (bool undo : {false, true}) {
      state.toast = app::Toast{std::string(200, 'x'), 0, undo ? app::ToastAction::undo : app::ToastAction::none};
      const auto t = app::toast_layout(state, &measure);
      ASSERT_TRUE(t);
      SCOPED_TRACE(testing::Message() << dpi << " DPI, undo " << undo);
      EXPECT_FLOAT_EQ(t->bar.w, 500 * s - 32 * s);
      EXPECT_FLOAT_EQ(t->bar.x, 16 * s);  // the bar starts 16s from the left edge
      EXPECT_LE(t->text.right(), t->action ? t->action->x : t->bar.right());
      if (t->action) {
        EXPECT_FLOAT_EQ(t->action->right(), t->bar.right() - 6 * s);
      }
    }
  }
}

TEST_F(ToastLayout, MinimisedWindowGivesAnEmptyBar) {
  window(0, 0, 96);
  state.toast = app::Toast{"Saved", 0, app::ToastAction::undo};
  const auto t = app::toast_layout(state, &measure);
  ASSERT_TRUE(t);
  EXPECT_GE(t->bar.w, 0);
  EXPECT_GE(t->text.w, 0);
}

}  // namespace
