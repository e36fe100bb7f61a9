
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "app/bundles/add_items.h"
#include "app/bundles/bundle_ops.h"
#include "app/bundles/edit_commit.h"
#include "app/bundles/move_item.h"
#include "app/bundles/remove_delete.h"
#include "app/bundles/undo.h"
#include "store_fixture.h"

namespace {

using testing_support::app_item;
using testing_support::file_item;
using testing_support::url_item;
using Strings = std::vector<std::string>;

bundle::Item folder_item(std::string target) { return bundle::Item{bundle::Kind::folder, std::move(target), {}, {}}; }
bundle::Item named(bundle::Item item, std::string name) {
  item.name = std::move(name);
  return item;
}

// ---------------------------------------------------------------- add_items

struct AddItems : testing_support::StoreFixture {};

TEST_F(AddItems, EqualLinesInOnePasteAreAddedOnce) {
  state.store.bundles = {{"b1", "Work", {}}};
  app::add_items(state, 0, {file_item("C:\\a.txt"), file_item("C:\\a.txt")});
  EXPECT_EQ(targets(0), Strings{"C:\\a.txt"});
  ASSERT_TRUE(state.toast);
  EXPECT_EQ(state.toast->text, "Added 1 to “Work” (skipped ones already there)");
  EXPECT_FALSE(state.toast->has_undo());
  EXPECT_TRUE(platform.timer_set(app::TimerId::toast, 4000));
  expect_saved();
}

TEST_F(AddItems, DuplicateRules) {
  struct Case {
    const char* what;
    bundle::Item held;
    bundle::Item added;
    bool duplicate;
  };
  const Case cases[] = {
      {"program, other letter case, no args", app_item("c:\\tools\\app.exe"), app_item("C:\\Tools\\App.exe"), true},
      {"program, args differ", app_item("c:\\tools\\app.exe"), app_item("C:\\Tools\\App.exe", "-x"), false},
      {"program, equal args", app_item("c:\\tools\\app.exe", "-x"), app_item("C:\\Tools\\App.exe", "-x"), true},
      {"program, args differ in case", app_item("C:\\t.exe", "-x"), app_item("C:\\t.exe", "-X"), false},
      {"file and folder with a trailing backslash", file_item("C:\\Data"), folder_item("C:\\Data\\"), true},
      {"several trailing backslashes", folder_item("C:\\Data\\\\\\"), file_item("c:\\data"), true},
      {"a trailing slash is not removed", file_item("C:\\Data"), folder_item("C:\\Data/"), false},
      {"only ASCII letters fold", file_item("C:\\\u00C4rger"), file_item("C:\\\u00E4rger"), false},
      {"web addresses differing in case", url_item("https://a.bc/X"), url_item("https://a.bc/x"), false},
      {"equal web addresses", url_item("https://a.bc/X"), url_item("https://a.bc/X"), true},
      {"web address beside the same text as a path", url_item("C:\\Data"), file_item("C:\\Data"), false},
      {"path beside the same text as a web address", file_item("https://a.bc"), url_item("https://a.bc"), false},
      {"web addresses compare their text only", url_item("https://a.bc"), bundle::Item{bundle::Kind::url, "https://a.bc", "p", {}}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    state.store.bundles = {{"b1", "Work", {c.held}}};
    app::add_items(state, 0, {c.added});
    EXPECT_EQ(state.store.bundles[0].items.size(), c.duplicate ? 1u : 2u);
    ASSERT_TRUE(state.toast);
    EXPECT_EQ(state.toast->text, c.duplicate ? "Already in this bundle" : "Added 1 to “Work”");
  }
}

TEST_F(AddItems, AnItemAddedEarlierInTheSameCallCounts) {
  state.store.bundles = {{"b1", "Work", {url_item("https://x.example")}}};
  app::add_items(state, 0, {folder_item("D:\\Proj\\"), file_item("d:\\proj"), url_item("https://x.example"),
                            url_item("https://y.example"), url_item("https://y.example")});
  EXPECT_EQ(targets(0), (Strings{"https://x.example", "D:\\Proj\\", "https://y.example"}));
  EXPECT_EQ(state.toast->text, "Added 2 to “Work” (skipped ones already there)");
}

TEST_F(AddItems, AllNewItemsAreAppendedInOrder) {
  state.store.bundles = {{"b1", "Work", {file_item("C:\\a")}}};
  app::add_items(state, 0, {file_item("C:\\b"), url_item("https://c.example")});
  EXPECT_EQ(targets(0), (Strings{"C:\\a", "C:\\b", "https://c.example"}));
  EXPECT_EQ(state.toast->text, "Added 2 to “Work”");
  expect_saved();
}

TEST_F(AddItems, NothingNewStillSavesAndSelects) {
  state.store.bundles = {{"b1", "Work", {file_item("C:\\a")}}, {"b2", "Other", {}}};
  state.selected_bundle = 1;
  app::add_items(state, 0, {file_item("c:\\A\\")});
  EXPECT_EQ(targets(0), Strings{"C:\\a"});
  EXPECT_EQ(state.toast->text, "Already in this bundle");
  EXPECT_EQ(state.selected_bundle, 0u);
  expect_saved();
}

TEST_F(AddItems, AnEmptyListDoesNothing) {
  state.store.bundles = {{"b1", "Work", {}}};
  app::add_items(state, std::nullopt, {});
  app::add_items(state, 0, {});
  EXPECT_EQ(state.store.bundles.size(), 1u);
  EXPECT_FALSE(state.toast);
  EXPECT_FALSE(store_file_exists());
  EXPECT_FALSE(state.selected_bundle);
  EXPECT_TRUE(platform.target_checks.empty());
}

TEST_F(AddItems, NoTargetMakesANewBundleWithTheNextFreeNumber) {
  state.store.bundles = {{"b1", "New bundle", {}}, {"b2", "new bundle 2", {}}, {"b3", "Other", {}}};
  app::add_items(state, std::nullopt, {file_item("C:\\a")});
  EXPECT_EQ(names(), (Strings{"New bundle", "new bundle 2", "Other", "New bundle 3"}));
  const bundle::Bundle& made = state.store.bundles.back();
  EXPECT_EQ(made.id.front(), 'b');
  for (std::size_t i = 0; i + 1 < state.store.bundles.size(); ++i) EXPECT_NE(state.store.bundles[i].id, made.id);
  EXPECT_EQ(targets(3), Strings{"C:\\a"});
  EXPECT_EQ(state.selected_bundle, 3u);
  EXPECT_EQ(state.toast->text, "Added 1 to “New bundle 3”");
  expect_saved();

  // A position past the end (a stale drop target) also makes a new bundle.
  app::add_items(state, 9, {file_item("C:\\b")});
  EXPECT_EQ(names().back(), "New bundle 4");
  EXPECT_EQ(state.selected_bundle, 4u);
}

TEST_F(AddItems, SelectsTheBundleAndChecksItsTargetsOnce) {
  state.store.bundles = {{"b1", "Work", {file_item("C:\\a")}}, {"b2", "Other", {}}};
  state.selected_bundle = 1;
  app::add_items(state, 0, {file_item("C:\\b"), url_item("https://c.example")});
  EXPECT_EQ(state.selected_bundle, 0u);
  EXPECT_EQ(platform.settings["Selected"], "b1");
  ASSERT_EQ(platform.target_checks.size(), 1u);
  EXPECT_EQ(platform.target_checks[0], (Strings{"C:\\a", "C:\\b"}));
  EXPECT_EQ(state.content_scroll, std::numeric_limits<float>::max());
}

TEST_F(AddItems, ChecksTargetsAlsoWhenTheBundleWasAlreadySelected) {
  state.store.bundles = {{"b1", "Work", {file_item("C:\\a")}}};
  state.selected_bundle = 0;
  app::add_items(state, 0, {file_item("C:\\b")});
  ASSERT_EQ(platform.target_checks.size(), 1u);
  EXPECT_EQ(platform.target_checks[0], (Strings{"C:\\a", "C:\\b"}));
  EXPECT_EQ(state.content_scroll, std::numeric_limits<float>::max());
}

TEST_F(AddItems, AFailedSaveKeepsTheItemsAndStaysInTheAddToast) {
  state.store.bundles = {{"b1", "Work", {}}};
  break_saving();
  app::add_items(state, 0, {file_item("C:\\a")});
  EXPECT_EQ(targets(0), Strings{"C:\\a"});
  ASSERT_EQ(toasts.size(), 2u);
  EXPECT_EQ(toasts[0].rfind("Couldn't save: ", 0), 0u) << toasts[0];
  EXPECT_GT(toasts[0].size(), std::string("Couldn't save: ").size());
  // The failure stays visible: the operation's toast says it first.
  EXPECT_EQ(toasts[1], toasts[0] + " · Added 1 to “Work”");
  EXPECT_EQ(state.toast->text, toasts[1]);
}

// ---------------------------------------------------------------- remove_item

struct RemoveItem : testing_support::StoreFixture {
  void SetUp() override {
    state.store.bundles = {
        {"b1", "Work", {file_item("C:\\a"), named(file_item("C:\\b"), "Notes"), app_item("C:\\x\\tool.exe")}},
        {"b2", "Other", {file_item("C:\\z")}}};
    state.selected_bundle = 0;
  }
};

TEST_F(RemoveItem, TheNextItemMovesUpAndIsSelected) {
  app::remove_item(state, 1);
  EXPECT_EQ(targets(0), (Strings{"C:\\a", "C:\\x\\tool.exe"}));
  EXPECT_EQ(state.selected_item, 1u);
  ASSERT_TRUE(state.toast);
  EXPECT_EQ(state.toast->text, "Removed “Notes”");
  EXPECT_TRUE(state.toast->has_undo());
  EXPECT_TRUE(platform.timer_set(app::TimerId::toast, 7000));
  ASSERT_TRUE(state.undo);
  const auto* record = std::get_if<app::RemovedItem>(&*state.undo);
  ASSERT_TRUE(record);
  EXPECT_EQ(record->bundle_id, "b1");
  EXPECT_EQ(record->item, named(file_item("C:\\b"), "Notes"));
  EXPECT_EQ(record->index, 1u);
  expect_saved();
}

TEST_F(RemoveItem, RemovingTheLastItemSelectsTheNewLast) {
  app::remove_item(state, 2);
  EXPECT_EQ(state.selected_item, 1u);
  EXPECT_EQ(state.toast->text, "Removed “tool”");
}

TEST_F(RemoveItem, RemovingTheOnlyItemLeavesNoneSelected) {
  state.selected_bundle = 1;
  state.selected_item = 0;
  app::remove_item(state, 0);
  EXPECT_TRUE(state.store.bundles[1].items.empty());
  EXPECT_FALSE(state.selected_item);
  expect_saved();
}

TEST_F(RemoveItem, ARunningRenameOfTheBundleIsCommitted) {
  app::begin_rename_bundle(state);
  ASSERT_TRUE(state.edit);
  platform.edit_field_text = "Typed";
  app::remove_item(state, 0);
  EXPECT_FALSE(state.edit);
  EXPECT_FALSE(platform.edit_field);
  EXPECT_EQ(state.store.bundles[0].name, "Typed");
}

TEST_F(RemoveItem, OutOfRangeOrNoSelectionDoesNothing) {
  app::remove_item(state, 3);
  state.selected_bundle.reset();
  app::remove_item(state, 0);
  EXPECT_EQ(state.store.bundles[0].items.size(), 3u);
  EXPECT_FALSE(state.toast);
  EXPECT_FALSE(state.undo);
  EXPECT_FALSE(store_file_exists());
}

TEST_F(RemoveItem, AFailedSaveKeepsTheRemovalAndStaysInTheUndoToast) {
  break_saving();
  app::remove_item(state, 0);
  EXPECT_EQ(state.store.bundles[0].items.size(), 2u);
  ASSERT_EQ(toasts.size(), 2u);
  EXPECT_EQ(toasts[0].rfind("Couldn't save: ", 0), 0u);
  EXPECT_EQ(toasts[1], toasts[0] + " · Removed “a”");
  EXPECT_TRUE(state.toast->has_undo());
  EXPECT_TRUE(state.undo);
}

// ---------------------------------------------------------------- delete_bundle

struct DeleteBundle : testing_support::StoreFixture {
  void SetUp() override {
    state.store.bundles = {{"b1", "A", {}}, {"b2", "B", {file_item("C:\\b")}}, {"b3", "C", {}}};
  }
};

TEST_F(DeleteBundle, DeletingTheLastSelectsTheNewLast) {
  state.selected_bundle = 2;
  app::delete_bundle(state, 2);
  EXPECT_EQ(names(), (Strings{"A", "B"}));
  EXPECT_EQ(state.selected_bundle, 1u);
  EXPECT_EQ(platform.settings["Selected"], "b2");
  ASSERT_TRUE(state.toast);
  EXPECT_EQ(state.toast->text, "Deleted “C”");
  EXPECT_TRUE(state.toast->has_undo());
  const auto* record = std::get_if<app::DeletedBundle>(&*state.undo);
  ASSERT_TRUE(record);
  EXPECT_EQ(record->bundle, (bundle::Bundle{"b3", "C", {}}));
  EXPECT_EQ(record->index, 2u);
  expect_saved();
}

TEST_F(DeleteBundle, TheBundleThatMovesUpIsSelectedAfresh) {
  state.selected_bundle = 1;
  state.selected_item = 0;
  app::delete_bundle(state, 1);
  EXPECT_EQ(state.selected_bundle, 1u);
  EXPECT_EQ(state.store.bundles[1].id, "b3");
  EXPECT_FALSE(state.selected_item);
}

TEST_F(DeleteBundle, DeletingTheOnlyBundleLeavesNothingSelected) {
  state.store.bundles.resize(1);
  state.selected_bundle = 0;
  platform.settings["Selected"] = "b1";
  app::delete_bundle(state, 0);
  EXPECT_TRUE(state.store.bundles.empty());
  EXPECT_FALSE(state.selected_bundle);
  EXPECT_EQ(platform.settings["Selected"], "");
  expect_saved();
}

TEST_F(DeleteBundle, ARunningRenameIsDroppedOnlyWithItsBundle) {
  state.selected_bundle = 0;
  app::begin_rename_bundle(state);
  platform.edit_field_text = "Typed";
  app::delete_bundle(state, 2);
  EXPECT_FALSE(state.edit);
  EXPECT_EQ(state.store.bundles[0].name, "Typed");
  app::begin_rename_bundle(state);
  platform.edit_field_text = "Gone";
  app::delete_bundle(state, 0);
  EXPECT_FALSE(state.edit);
  app::undo(state);
  EXPECT_EQ(state.store.bundles[0].name, "Typed");
}

TEST_F(DeleteBundle, OutOfRangeDoesNothing) {
  app::delete_bundle(state, 3);
  EXPECT_EQ(state.store.bundles.size(), 3u);
  EXPECT_FALSE(state.toast);
  EXPECT_FALSE(state.undo);
  EXPECT_FALSE(store_file_exists());
}

TEST_F(DeleteBundle, AFailedSaveKeepsTheDeletionAndStaysInTheUndoToast) {
  break_saving();
  app::delete_bundle(state, 0);
  EXPECT_EQ(names(), (Strings{"B", "C"}));
  ASSERT_EQ(toasts.size(), 2u);
  EXPECT_EQ(toasts[0].rfind("Couldn't save: ", 0), 0u);
  EXPECT_EQ(toasts[1], toasts[0] + " · Deleted “A”");
}

// ---------------------------------------------------------------- duplicate_bundle

struct DuplicateBundle : testing_support::StoreFixture {
  void SetUp() override {
    state.store.bundles = {{"b1", "Report", {file_item("C:\\r.docx"), named(url_item("https://r.example"), "Site")}},
                           {"b2", "Other", {file_item("C:\\o")}}};
  }
};

TEST_F(DuplicateBundle, CopiesAreNumberedAndPlacedRightAfterTheOriginal) {
  app::duplicate_bundle(state, 0);
  EXPECT_EQ(names(), (Strings{"Report", "Report copy", "Other"}));
  EXPECT_EQ(state.selected_bundle, 1u);
  EXPECT_EQ(state.toast->text, "Bundle duplicated");
  EXPECT_FALSE(state.toast->has_undo());
  expect_saved();

  app::duplicate_bundle(state, 0);
  EXPECT_EQ(names(), (Strings{"Report", "Report copy 2", "Report copy", "Other"}));
  EXPECT_EQ(state.selected_bundle, 1u);

  for (std::size_t i = 1; i <= 2; ++i) {
    EXPECT_EQ(state.store.bundles[i].items, state.store.bundles[0].items);
    EXPECT_NE(state.store.bundles[i].id, "b1");
  }
  EXPECT_NE(state.store.bundles[1].id, state.store.bundles[2].id);
  expect_saved();
}

TEST_F(DuplicateBundle, TheCopyIsANewSelectionEvenAtTheSelectedPosition) {
  state.selected_bundle = 1;
  state.selected_item = 0;
  app::duplicate_bundle(state, 0);
  EXPECT_EQ(state.selected_bundle, 1u);
  EXPECT_FALSE(state.selected_item);
  ASSERT_FALSE(platform.target_checks.empty());
  EXPECT_EQ(platform.target_checks.back(), Strings{"C:\\r.docx"});
}

TEST_F(DuplicateBundle, TheCopyTakesNeitherTheKeyNorTheSignIn) {
  state.store.bundles[0].hotkey = bundle::Hotkey{true, true, false, 'R'};
  state.store.bundles[0].at_sign_in = true;
  app::duplicate_bundle(state, 0);
  EXPECT_FALSE(state.store.bundles[1].hotkey);
  EXPECT_FALSE(state.store.bundles[1].at_sign_in);
  EXPECT_TRUE(state.store.bundles[0].hotkey);
}

TEST_F(DuplicateBundle, OutOfRangeDoesNothing) {
  app::duplicate_bundle(state, 2);
  EXPECT_EQ(state.store.bundles.size(), 2u);
  EXPECT_FALSE(state.toast);
  EXPECT_FALSE(store_file_exists());
}

TEST_F(DuplicateBundle, AFailedSaveKeepsTheCopyAndStaysInItsToast) {
  break_saving();
  app::duplicate_bundle(state, 1);
  EXPECT_EQ(names(), (Strings{"Report", "Other", "Other copy"}));
  ASSERT_EQ(toasts.size(), 2u);
  EXPECT_EQ(toasts[0].rfind("Couldn't save: ", 0), 0u);
  EXPECT_EQ(toasts[1], toasts[0] + " · Bundle duplicated");
}

// ---------------------------------------------------------------- new_bundle and renaming

struct NewBundle : testing_support::StoreFixture {};

TEST_F(NewBundle, AppendsClearsTheSearchAndStartsRenaming) {
  state.store.bundles = {{"b1", " new bundle ", {}}};
  state.search_text = "zz";
  app::new_bundle(state);
  EXPECT_EQ(names(), (Strings{" new bundle ", "New bundle 2"}));
  EXPECT_TRUE(state.search_text.empty());
  EXPECT_EQ(platform.search_box_cleared, 1);
  EXPECT_EQ(state.selected_bundle, 1u);
  const std::string id = state.store.bundles[1].id;
  EXPECT_NE(id, "b1");
  ASSERT_TRUE(state.edit);
  EXPECT_EQ(*state.edit, (app::ActiveEdit{app::EditMode::bundle_name, id, 0}));
  ASSERT_TRUE(platform.edit_field);
  EXPECT_EQ(platform.edit_field_initial, "New bundle 2");
  EXPECT_EQ(platform.edit_field_cue, "Bundle name");
  EXPECT_FALSE(state.toast);
  expect_saved();

  // Confirming the field renames the new bundle.
  platform.edit_field_text = "  Trip ";
  app::end_edit(state, true);
  EXPECT_EQ(state.store.bundles[1].name, "Trip");
  expect_saved();
}

TEST_F(NewBundle, TheFirstBundleIsNamedNewBundle) {
  app::new_bundle(state);
  EXPECT_EQ(names(), Strings{"New bundle"});
  EXPECT_EQ(state.selected_bundle, 0u);
}

TEST_F(NewBundle, RenamingNeedsASelectedBundle) {
  state.store.bundles = {{"b1", "Work", {}}};
  app::begin_rename_bundle(state);
  EXPECT_FALSE(state.edit);
  EXPECT_FALSE(platform.edit_field);

  state.selected_bundle = 0;
  app::begin_rename_bundle(state);
  ASSERT_TRUE(state.edit);
  EXPECT_EQ(state.edit->bundle_id, "b1");
  EXPECT_EQ(platform.edit_field_initial, "Work");
}

// ---------------------------------------------------------------- commits

struct Commits : testing_support::StoreFixture {
  void SetUp() override {
    state.store.bundles = {{"b1", "Work", {named(file_item("C:\\docs\\a.txt"), "Notes"), app_item("C:\\t.exe", "-v")}}};
  }
};

TEST_F(Commits, BundleNameIsTrimmedAndSaved) {
  app::commit_bundle_name(state, "b1", " \u3000Trip\t");
  EXPECT_EQ(state.store.bundles[0].name, "Trip");
  expect_saved();
  EXPECT_FALSE(state.toast);
}

TEST_F(Commits, ABlankOrUnchangedBundleNameChangesAndSavesNothing) {
  app::commit_bundle_name(state, "b1", "   ");
  app::commit_bundle_name(state, "b1", "");
  app::commit_bundle_name(state, "b1", " Work ");
  EXPECT_EQ(state.store.bundles[0].name, "Work");
  EXPECT_FALSE(store_file_exists());
}

TEST_F(Commits, RenamingNeedsNoUniqueName) {
  state.store.bundles.push_back({"b2", "Other", {}});
  app::commit_bundle_name(state, "b2", "Work");
  EXPECT_EQ(names(), (Strings{"Work", "Work"}));
}

TEST_F(Commits, ABundleThatIsGoneIsLeftAlone) {
  app::commit_bundle_name(state, "B1", "Trip");
  app::commit_item_name(state, "b9", 0, "x");
  app::commit_args(state, "", 1, "x");
  EXPECT_EQ(state.store.bundles[0], (bundle::Bundle{"b1", "Work", {named(file_item("C:\\docs\\a.txt"), "Notes"),
                                                                   app_item("C:\\t.exe", "-v")}}));
  EXPECT_FALSE(store_file_exists());
}

TEST_F(Commits, ABlankItemNameBringsBackTheAutomaticLabel) {
  app::commit_item_name(state, "b1", 0, "  ");
  EXPECT_EQ(state.store.bundles[0].items[0].name, "");
  EXPECT_EQ(bundle::item_label(state.store.bundles[0].items[0]), "a.txt");
  expect_saved();

  app::commit_item_name(state, "b1", 1, " Tool ");
  EXPECT_EQ(state.store.bundles[0].items[1].name, "Tool");
  expect_saved();
  EXPECT_FALSE(state.toast);
}

TEST_F(Commits, ArgumentsAreReplacedAndMayBeEmpty) {
  app::commit_args(state, "b1", 1, " /n \"D:\\x y.txt\" ");
  EXPECT_EQ(state.store.bundles[0].items[1].args, "/n \"D:\\x y.txt\"");
  expect_saved();
  app::commit_args(state, "b1", 1, "");
  EXPECT_EQ(state.store.bundles[0].items[1].args, "");
  expect_saved();
}

TEST_F(Commits, AnItemPositionPastTheEndChangesNothing) {
  app::commit_item_name(state, "b1", 2, "x");
  app::commit_args(state, "b1", 2, "x");
  EXPECT_EQ(state.store.bundles[0].items.size(), 2u);
  EXPECT_FALSE(store_file_exists());
}

// ---------------------------------------------------------------- move_item

struct MoveItem : testing_support::StoreFixture {
  void SetUp() override {
    state.store.bundles = {{"b1", "Work", {file_item("A"), file_item("B"), file_item("C"), file_item("D")}}};
    state.selected_bundle = 0;
  }
};

TEST_F(MoveItem, TheItemEndsAtItsNewPositionAndIsSelected) {
  struct Case {
    std::size_t from, to;
    Strings order;
    std::size_t selected;
  };
  const Case cases[] = {
      {0, 2, {"B", "C", "A", "D"}, 2},
      {3, 0, {"D", "A", "B", "C"}, 0},
      {1, 3, {"A", "C", "D", "B"}, 3},
      {2, 1, {"A", "C", "B", "D"}, 1},
      // Past the end of the list: it goes last, and the selection with it.
      {0, 9, {"B", "C", "D", "A"}, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.from << " -> " << c.to);
    SetUp();
    app::move_item(state, c.from, c.to);
    EXPECT_EQ(targets(0), c.order);
    EXPECT_EQ(state.selected_item, c.selected);
    expect_saved();
    EXPECT_FALSE(state.toast);
  }
}

TEST_F(MoveItem, OntoItsOwnPlaceOrFromNowhereNothingHappens) {
  state.selected_item = 1;
  app::move_item(state, 1, 1);
  app::move_item(state, 4, 0);
  state.selected_bundle.reset();
  app::move_item(state, 0, 2);
  EXPECT_EQ(targets(0), (Strings{"A", "B", "C", "D"}));
  EXPECT_EQ(state.selected_item, 1u);
  EXPECT_FALSE(store_file_exists());
}

}  // namespace
