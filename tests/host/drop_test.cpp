#include "app/input/drop.h"

#include "app/bundles/select.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "app/view/selection.h"
#include "bundle/export_file.h"
#include "temp_dir.h"
#include "view_fixture.h"

namespace {

using testing_support::file_item;

float middle_y(const gfx::RectF& r) { return r.y + r.h / 2; }

class DropTest : public testing_support::ViewFixture {
 protected:
  testing_support::TempDir temp;

  void SetUp() override {
    platform.measure = &measure;
    state.store_path = temp.file("bundles.json");
  }
  // The middle of the sidebar row showing the k-th visible bundle.
  float row_y(std::size_t k) { return middle_y(layout().rows.at(k).rect); }
  // Sidebar space below the last row.
  float below_rows() { return layout().rows.back().rect.bottom() + 20; }
  // The highlighted target: "none", "new" or the bundle's position.
  std::string stored() const {
    if (!state.drop_target) return "none";
    return state.drop_target->bundle ? std::to_string(*state.drop_target->bundle) : "new";
  }
  std::vector<std::string> targets(std::size_t b) const {
    std::vector<std::string> out;
    for (const auto& item : state.store.bundles.at(b).items) out.push_back(item.target);
    return out;
  }
};

TEST_F(DropTest, WithoutBundlesEveryPointMakesANewBundle) {
  EXPECT_TRUE(app::drag_over(state, 500, 300));
  EXPECT_EQ(stored(), "new");
  EXPECT_EQ(platform.invalidations, 1);
  EXPECT_TRUE(app::drag_over(state, 20, 200));  // same target: no repaint
  EXPECT_EQ(platform.invalidations, 1);

  app::drop(state, 20, 200, {{"C:\\a.txt"}, {}});
  ASSERT_EQ(state.store.bundles.size(), 1u);
  EXPECT_EQ(state.store.bundles[0].items, (std::vector<bundle::Item>{file_item("C:\\a.txt")}));
  EXPECT_EQ(stored(), "none");
  EXPECT_EQ(platform.brought_to_front, 1);
}

TEST_F(DropTest, HighlightFollowsTheRowsThenFallsBackOnTheSelection) {
  bundles(4);
  app::select_bundle(state, 1);
  const int before = platform.invalidations;
  EXPECT_TRUE(app::drag_over(state, 30, row_y(3)));
  EXPECT_EQ(stored(), "3");
  EXPECT_TRUE(app::drag_over(state, 40, row_y(3) + 5));
  EXPECT_EQ(platform.invalidations, before + 1);
  EXPECT_TRUE(app::drag_over(state, 30, below_rows()));
  EXPECT_EQ(stored(), "1");
  EXPECT_TRUE(app::drag_over(state, 600, 400));  // the content column: still the selection
  EXPECT_EQ(platform.invalidations, before + 2);

  app::drop(state, 30, below_rows(), {{"C:\\x.txt", "C:\\y.txt"}, {}});
  EXPECT_EQ(targets(1), (std::vector<std::string>{"C:\\x.txt", "C:\\y.txt"}));
  EXPECT_TRUE(state.store.bundles[3].items.empty());
  EXPECT_EQ(state.store.bundles.size(), 4u);
  EXPECT_EQ(stored(), "none");
  EXPECT_EQ(platform.brought_to_front, 1);
}

TEST_F(DropTest, NothingSelectedRefusesPointsOutsideTheRows) {
  bundles(3);
  const int before = platform.invalidations;
  EXPECT_FALSE(app::drag_over(state, 600, 300));
  EXPECT_EQ(stored(), "none");
  EXPECT_EQ(platform.invalidations, before);

  EXPECT_TRUE(app::drag_over(state, 30, row_y(2)));
  EXPECT_EQ(stored(), "2");
  EXPECT_FALSE(app::drag_over(state, 30, below_rows()));  // leaving the row takes the highlight away
  EXPECT_EQ(stored(), "none");
  EXPECT_EQ(platform.invalidations, before + 2);

  EXPECT_TRUE(app::drag_over(state, 30, row_y(0)));
  app::drag_leave(state);
  EXPECT_EQ(stored(), "none");
  app::drag_leave(state);
  EXPECT_EQ(platform.invalidations, before + 4);

  // A drop the cursor refused still lands: in a new bundle.
  app::drop(state, 600, 300, {{}, "https://example.com/"});
  ASSERT_EQ(state.store.bundles.size(), 4u);
  EXPECT_EQ(targets(3), (std::vector<std::string>{"https://example.com/"}));
}

TEST_F(DropTest, RowsOfASearchAreTheBundlesTheyShow) {
  bundles(4);
  state.store.bundles[1].name = "Alpha";
  state.store.bundles[3].name = "alphabet";
  state.search_text = "ALPHA";
  ASSERT_EQ(layout().rows.size(), 2u);
  EXPECT_TRUE(app::drag_over(state, 30, row_y(1)));
  EXPECT_EQ(stored(), "3");
  app::drop(state, 30, row_y(1), {{"C:\\z.txt"}, {}});
  EXPECT_EQ(targets(3), (std::vector<std::string>{"C:\\z.txt"}));
  EXPECT_TRUE(state.store.bundles[1].items.empty());
}

TEST_F(DropTest, BundleFilesAreImportedAndOtherPathsGoToTheRow) {
  bundles(2);
  const std::string file = temp.file("shared.tolvik");
  std::ofstream(file, std::ios::binary) << bundle::serialize_exported(
      bundle::Bundle{"x", "Shared", {file_item("C:\\s.txt")}});
  app::drop(state, 30, row_y(0), {{file, "C:\\mine.txt"}, {}});

  ASSERT_EQ(state.store.bundles.size(), 3u);
  EXPECT_EQ(state.store.bundles[2].name, "Shared");
  EXPECT_EQ(targets(2), (std::vector<std::string>{"C:\\s.txt"}));
  EXPECT_EQ(targets(0), (std::vector<std::string>{"C:\\mine.txt"}));
  EXPECT_EQ(platform.brought_to_front, 1);
}

}  // namespace
