// The store at start and the rule that never writes over a store the program
// could not read; a failed save stays visible.

#include <filesystem>

#include "app/bundles/add_items.h"
#include "app/bundles/bundle_ops.h"
#include "app/bundles/remove_delete.h"
#include "app/bundles/undo.h"
#include "app/reach/startup.h"
#include "app/state/store_start.h"
#include "base/clock.h"
#include "store_fixture.h"

namespace {

using testing_support::file_item;
using testing_support::read_all;

struct StoreStart : testing_support::StoreFixture {
  std::string path() const { return (dir / "bundles.json").string(); }
  // Names the set-aside could take in the next seconds are taken by folders,
  // so that renaming the broken file aside fails.
  void block_set_aside() {
    const std::uint64_t now = base::unix_seconds();
    for (std::uint64_t s = now; s < now + 30; ++s) std::filesystem::create_directories(app::broken_store_path(path(), s) + "/x");
  }
  void unblock_set_aside() {
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
      if (entry.is_directory() && entry.path().filename().string().rfind("bundles.broken-", 0) == 0) {
        std::filesystem::remove_all(entry.path());
      }
    }
  }
};

TEST_F(StoreStart, RepairedIdsAreSavedOnceAndAGoodStoreIsNot) {
  write_file("bundles.json", R"({"version":1,"bundles":[{"id":"b1","name":"A","items":[]},{"id":"b1","name":"B","items":[]}]})");
  app::StartStore repaired = app::open_store_at_start(path());
  EXPECT_TRUE(repaired.save_now);
  EXPECT_NE(repaired.store.bundles[0].id, repaired.store.bundles[1].id);
  EXPECT_FALSE(repaired.hold);

  write_file("bundles.json", bundle::serialize_store(repaired.store));
  EXPECT_FALSE(app::open_store_at_start(path()).save_now);
}

TEST_F(StoreStart, AnUnreadableStoreThatCannotBeSetAsideIsNeverWrittenOver) {
  const std::string broken = "{\"version\":1,\"bundles\":[ this is not json";
  write_file("bundles.json", broken);
  block_set_aside();
  app::StartStore start = app::open_store_at_start(path());
  ASSERT_TRUE(start.hold);
  EXPECT_TRUE(start.store.bundles.empty());
  ASSERT_TRUE(start.notice);
  EXPECT_EQ(start.notice->rfind("Changes aren't being saved: ", 0), 0u) << *start.notice;

  state.store_path = path();
  state.store_hold = start.hold;
  state.store.bundles = {{"b9", "Work", {}}};
  app::add_items(state, 0, {file_item("C:\\a")});
  EXPECT_EQ(read_all(path()), broken);  // the user's file, untouched
  // Every toast says that nothing is saved, the operation's own included.
  ASSERT_TRUE(state.toast);
  EXPECT_EQ(state.toast->text, start.hold->text + " · Added 1 to “Work”");

  // Once the file can be set aside, saving goes on and the broken file is kept.
  unblock_set_aside();
  app::add_items(state, 0, {file_item("C:\\b")});
  EXPECT_FALSE(state.store_hold);
  expect_saved();
  EXPECT_EQ(state.toast->text, "Added 1 to “Work”");
  bool kept = false;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.is_regular_file() && entry.path().filename().string().rfind("bundles.broken-", 0) == 0) {
      kept = read_all(entry.path().string()) == broken;
    }
  }
  EXPECT_TRUE(kept);
}

TEST_F(StoreStart, AFailedSaveStaysInEveryToastUntilASaveSucceeds) {
  state.store.bundles = {{"b1", "Work", {}}};
  const std::string good_path = state.store_path;
  break_saving();
  app::add_items(state, 0, {file_item("C:\\a")});
  app::new_bundle(state);  // raises no toast of its own
  ASSERT_TRUE(state.toast);
  EXPECT_EQ(state.toast->text.rfind("Couldn't save: ", 0), 0u) << state.toast->text;
  state.selected_bundle = 0;
  app::remove_item(state, 0);
  EXPECT_EQ(state.toast->text.rfind("Couldn't save: ", 0), 0u) << state.toast->text;
  EXPECT_TRUE(state.toast->has_undo());

  state.store_path = good_path;
  app::undo(state);
  expect_saved();
  EXPECT_EQ(state.toast->text, "Undone");
}

TEST(Placement, MaximisedThenMinimisedComesBackMaximised) {
  app::StoredPlacement placement;
  placement.show_command = 2;  // minimised
  placement.flags = 2;         // restore to maximised
  EXPECT_EQ(app::show_command_after_restore(placement), 3);
  placement.flags = 0;
  EXPECT_EQ(app::show_command_after_restore(placement), 1);
  placement.show_command = 3;
  EXPECT_EQ(app::show_command_after_restore(placement), 3);
}

}  // namespace
