#include "app/state/toast.h"

#include "app/bundles/select.h"

#include <gtest/gtest.h>

#include "app/state/app_state.h"
#include "app/view/selection.h"
#include "fake_platform.h"
#include "view_fixture.h"

namespace {

using testing_support::FakePlatform;

struct ToastTimer : ::testing::Test {
  FakePlatform platform;
  app::AppState state{platform};
  // The timer fires at 4 s (7 s with Undo); expiry needs 3.9 s (6.9 s).
  void fire_after(double seconds, double shown_at = 100.0) {
    platform.now = shown_at + seconds;
    app::toast_timer(state);
  }
};

TEST_F(ToastTimer, APlainToastLastsFourSeconds) {
  app::show_toast(state, "Bundle duplicated");
  EXPECT_TRUE(platform.timer_set(app::TimerId::toast, 4000));
  fire_after(3.89);
  EXPECT_TRUE(state.toast);
  fire_after(3.9);
  EXPECT_FALSE(state.toast);
}

TEST_F(ToastTimer, AnUndoToastLastsSevenSecondsAndLeavesTheRecord) {
  app::show_undo_toast(state, app::RemovedItem{"b1", {}, 0}, "Removed “x”");
  EXPECT_TRUE(platform.timer_set(app::TimerId::toast, 7000));
  fire_after(6.89);
  EXPECT_TRUE(state.toast);
  fire_after(6.9);
  EXPECT_FALSE(state.toast);
  EXPECT_TRUE(state.undo);
}

TEST_F(ToastTimer, ASecondToastReplacesTheFirstAndCountsFromItsOwnStart) {
  app::show_toast(state, "first");
  platform.now = 100.6;
  app::show_toast(state, "second");
  fire_after(3.95);  // the first toast's timer, 4 s after it
  ASSERT_TRUE(state.toast);
  EXPECT_EQ(state.toast->text, "second");
  fire_after(3.9, 100.6);
  EXPECT_FALSE(state.toast);
}

TEST_F(ToastTimer, WithoutAToastTheTimerDoesNothing) {
  fire_after(10);
  EXPECT_EQ(platform.invalidations, 0);
}

class SidebarScroll : public testing_support::ViewFixture {};

TEST_F(SidebarScroll, SelectingARowOutOfViewScrollsToIt) {
  platform.measure = &measure;
  bundles(30);
  const app::ViewLayout before = layout();
  app::select_bundle(state, 20);
  const float row_height = std::round(62 * before.scale);
  // Row 20's bottom is now the window's bottom.
  EXPECT_FLOAT_EQ(before.list_top + 20 * before.row_pitch + row_height - state.sidebar_scroll, before.height);
  app::select_bundle(state, 3);
  // A row above the list top scrolls up to it.
  EXPECT_FLOAT_EQ(state.sidebar_scroll, 3 * before.row_pitch);
  const float kept = state.sidebar_scroll;
  app::select_bundle(state, 5);  // already in view: no scroll
  EXPECT_FLOAT_EQ(state.sidebar_scroll, kept);
}

}  // namespace
