#include "app/bundles/shell_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/file.h"
#include "store_fixture.h"

namespace {

using testing_support::file_item;

bundle::Item folder_item(std::string target) { return {bundle::Kind::folder, std::move(target), {}, {}}; }

class ShortcutTest : public testing_support::StoreFixture {
 protected:
  void SetUp() override { state.store.bundles = {bundle::Bundle{"b7", "Report", {file_item("C:\\r.txt")}}}; }
  std::string on_desktop(const std::string& file) const { return base::join_path(*platform.desktop, file); }
  std::vector<std::string> shortcut_paths() const {
    std::vector<std::string> out;
    for (const auto& call : platform.shortcuts) out.push_back(call.path);
    return out;
  }
};

TEST_F(ShortcutTest, NumbersPastNamesTakenBeforeOrWhileWriting) {
  app::create_desktop_shortcut(state, 0);
  app::create_desktop_shortcut(state, 0);
  platform.existing.insert(on_desktop("Report (3).lnk"));
  platform.taken_on_create.insert(on_desktop("Report (4).lnk"));
  app::create_desktop_shortcut(state, 0);

  EXPECT_EQ(shortcut_paths(), (std::vector<std::string>{on_desktop("Report.lnk"), on_desktop("Report (2).lnk"),
                                                        on_desktop("Report (5).lnk")}));
  for (const auto& call : platform.shortcuts) {
    EXPECT_EQ(call.target, *platform.program);
    EXPECT_EQ(call.arguments, "--open \"b7\"");
    EXPECT_EQ(call.description, "tolvik: open “Report”");
  }
  EXPECT_EQ(toasts, std::vector<std::string>(3, "Created a “Report” shortcut on the desktop"));
  EXPECT_FALSE(store_file_exists());  // the store itself is untouched
}

TEST_F(ShortcutTest, OnlyTheFileNameIsSanitised) {
  state.store.bundles[0].name = "*Q3: plan/review?*";
  app::create_desktop_shortcut(state, 0);
  ASSERT_EQ(platform.shortcuts.size(), 1u);
  EXPECT_EQ(platform.shortcuts[0].path, on_desktop("_Q3_ plan_review__.lnk"));
  EXPECT_EQ(platform.shortcuts[0].description, "tolvik: open “*Q3: plan/review?*”");
  EXPECT_EQ(toasts, (std::vector<std::string>{"Created a “*Q3: plan/review?*” shortcut on the desktop"}));
}

TEST_F(ShortcutTest, FailuresAndMissingFolders) {
  // No Desktop folder, or no path of the program: each is said, with the system's reason.
  platform.desktop.reset();
  app::create_desktop_shortcut(state, 0);
  platform.desktop = "C:\\Users\\me\\Desktop";
  platform.program.reset();
  app::create_desktop_shortcut(state, 0);
  platform.program = "C:\\tolvik.exe";
  app::create_desktop_shortcut(state, 1);  // no such bundle: nothing to say
  EXPECT_TRUE(platform.shortcuts.empty());
  EXPECT_EQ(toasts, (std::vector<std::string>{
                        "Couldn't create the shortcut: The system cannot find the path specified.",
                        "Couldn't create the shortcut: The filename or extension is too long."}));
  toasts.clear();

  platform.shortcut_error = "Access is denied.";
  app::create_desktop_shortcut(state, 0);
  EXPECT_EQ(toasts, (std::vector<std::string>{"Couldn't create the shortcut: Access is denied."}));

  // Every name taken: nothing is overwritten, and the user hears about it.
  platform.shortcut_error.reset();
  platform.existing.insert(on_desktop("Report.lnk"));
  for (int n = 2; n <= 5000; ++n) platform.existing.insert(on_desktop(app::shortcut_file_name("Report", n)));
  app::create_desktop_shortcut(state, 0);
  EXPECT_TRUE(platform.shortcuts.empty());
  ASSERT_EQ(toasts.size(), 2u);
  EXPECT_EQ(toasts[1].rfind("Couldn't create the shortcut: ", 0), 0u) << toasts[1];
}

// "Work" is selected at first; "Home" is the bundle the command acts on.
class ExplorerTest : public testing_support::StoreFixture {
 protected:
  void SetUp() override {
    state.store.bundles = {bundle::Bundle{"b1", "Work", {}},
                           bundle::Bundle{"b2", "Home", {folder_item("C:\\Docs")}}};
    state.selected_bundle = 0;
  }
  std::vector<std::string> labels() const {
    std::vector<std::string> out;
    for (const auto& e : platform.menus.at(0).entries) out.push_back(e.separator ? "|" : e.label);
    return out;
  }
  void choose(int id) {
    platform.menu_choices = {id};
    app::add_explorer_folders(state, 1, 40, 50);
  }
};

TEST_F(ExplorerTest, NoWindowsSaysSoWithoutAMenu) {
  app::add_explorer_folders(state, 1, 40, 50);
  EXPECT_EQ(state.selected_bundle, 1u);
  EXPECT_TRUE(platform.menus.empty());
  EXPECT_EQ(toasts, (std::vector<std::string>{"No File Explorer windows are open"}));
  app::add_explorer_folders(state, 2, 40, 50);  // no such bundle
  EXPECT_EQ(toasts.size(), 1u);
  EXPECT_EQ(state.selected_bundle, 1u);
}

TEST_F(ExplorerTest, OneFolderIsOneEntryAndBecomesAFolderItem) {
  platform.open_explorer_folders = {"E:\\Photos", "e:\\PHOTOS"};
  choose(1);
  ASSERT_EQ(platform.menus.size(), 1u);
  EXPECT_FLOAT_EQ(platform.menus[0].x, 40);
  EXPECT_FLOAT_EQ(platform.menus[0].y, 50);
  EXPECT_EQ(labels(), (std::vector<std::string>{"E:\\Photos"}));
  EXPECT_EQ(state.store.bundles[1].items,
            (std::vector<bundle::Item>{folder_item("C:\\Docs"), folder_item("E:\\Photos")}));
  EXPECT_EQ(toasts, (std::vector<std::string>{"Added 1 to “Home”"}));
  expect_saved();
}

TEST_F(ExplorerTest, RepeatsListedOnceAndAddAllKeepsTheirOrder) {
  // Only ASCII letters fold: Ä and ä stay two folders; a longer path is another folder.
  platform.open_explorer_folders = {"D:\\Ä", "F:\\Music", "d:\\ä", "f:\\mUSIC", "F:\\Music 2", "D:\\Ä"};
  choose(app::add_all_folders_id(4));
  EXPECT_EQ(labels(), (std::vector<std::string>{"D:\\Ä", "F:\\Music", "d:\\ä", "F:\\Music 2", "|", "Add all (4)"}));
  EXPECT_EQ(targets(1), (std::vector<std::string>{"C:\\Docs", "D:\\Ä", "F:\\Music", "d:\\ä", "F:\\Music 2"}));
  EXPECT_EQ(toasts, (std::vector<std::string>{"Added 4 to “Home”"}));
}

TEST_F(ExplorerTest, AnAmpersandInAPathIsShownAndAddedAsItIs) {
  platform.open_explorer_folders = {"C:\\R&D", "D:\\A && B&"};
  choose(1);
  choose(2);
  // A menu takes a doubled "&" for one shown "&", a single one for an access key.
  EXPECT_EQ(labels(), (std::vector<std::string>{"C:\\R&&D", "D:\\A &&&& B&&", "|", "Add all (2)"}));
  EXPECT_EQ(targets(1), (std::vector<std::string>{"C:\\Docs", "C:\\R&D", "D:\\A && B&"}));
}

TEST_F(ExplorerTest, DismissedSeparatorOrUnknownIdsAddNothing) {
  platform.open_explorer_folders = {"E:\\A", "E:\\B"};
  for (int id : {0, 4, 5, -1}) choose(id);
  EXPECT_EQ(platform.menus.size(), 4u);
  EXPECT_EQ(targets(1), (std::vector<std::string>{"C:\\Docs"}));
  EXPECT_TRUE(toasts.empty());
  EXPECT_FALSE(store_file_exists());
}

TEST_F(ExplorerTest, FoldersAlreadyThereAreReported) {
  platform.open_explorer_folders = {"c:\\docs\\", "E:\\New"};
  choose(1);
  choose(app::add_all_folders_id(2));
  EXPECT_EQ(targets(1), (std::vector<std::string>{"C:\\Docs", "E:\\New"}));
  EXPECT_EQ(toasts, (std::vector<std::string>{"Already in this bundle",
                                              "Added 1 to “Home” (skipped ones already there)"}));
}

TEST_F(ExplorerTest, TheBundleIsFoundAgainAfterTheMenu) {
  platform.open_explorer_folders = {"E:\\A"};
  // Another bundle goes away meanwhile: the items still reach "Home".
  platform.during_menu = [this] { state.store.bundles.erase(state.store.bundles.begin()); };
  choose(1);
  EXPECT_EQ(names(), (std::vector<std::string>{"Home"}));
  EXPECT_EQ(targets(0), (std::vector<std::string>{"C:\\Docs", "E:\\A"}));

  // "Home" itself goes away: nothing is added anywhere, no bundle is made.
  toasts.clear();
  state.store.bundles.insert(state.store.bundles.begin(), bundle::Bundle{"b3", "Trip", {}});
  platform.during_menu = [this] { state.store.bundles.erase(state.store.bundles.begin() + 1); };
  choose(1);
  EXPECT_EQ(names(), (std::vector<std::string>{"Trip"}));
  EXPECT_TRUE(state.store.bundles[0].items.empty());
  EXPECT_TRUE(toasts.empty());
}

}  // namespace
