#include "app/input/menus.h"

#include "app/bundles/edit_commit.h"
#include "app/bundles/select.h"

#include <gtest/gtest.h>

#include <tuple>

#include "app/input/bundle_menu.h"
#include "app/state/maker.h"
#include "app/view/selection.h"
#include "lang/lang.h"
#include "store_fixture.h"

namespace {

using testing_support::app_item;
using testing_support::file_item;
using testing_support::url_item;

bundle::Item folder_item(std::string target) { return {bundle::Kind::folder, std::move(target), {}, {}}; }

// "Work" holds one item of each kind: app, file, web address, folder.
class MenuTest : public testing_support::StoreFixture {
 protected:
  void SetUp() override {
    state.store.bundles = {
        bundle::Bundle{"b1", "Work",
                       {app_item("C:\\Tools\\tool.exe", "-v"), file_item("C:\\a.txt"), url_item("https://a.bc/"),
                        folder_item("D:\\Docs")}},
        bundle::Bundle{"b2", "Home", {}},
        bundle::Bundle{"b3", "Trip", {file_item("C:\\t.txt")}},
    };
    app::select_bundle(state, 0);
  }
  void settings_choice(int id) {
    platform.menu_choices = {id};
    app::show_settings_menu(state, 10, 20);
  }
  void settings_choice(app::SettingsCommand command) { settings_choice(static_cast<int>(command)); }
  void item_choice(std::size_t item, app::ItemCommand command) {
    platform.menu_choices = {static_cast<int>(command)};
    app::show_item_menu(state, item, 10, 20);
  }
  void bundle_choice(std::size_t index, app::BundleCommand command) {
    platform.menu_choices = {static_cast<int>(command)};
    app::show_bundle_menu(state, index, 10, 20);
  }
  // Nothing was started, opened, asked, edited, said or saved.
  void expect_no_effect() {
    EXPECT_TRUE(platform.started.empty());
    EXPECT_TRUE(platform.open_requests.empty());
    EXPECT_TRUE(platform.shell_calls.empty());
    EXPECT_TRUE(platform.dialogs.empty());
    EXPECT_FALSE(state.edit);
    EXPECT_FALSE(state.toast);
    EXPECT_FALSE(store_file_exists());
  }
};

// A menu's entries in order: '+' enabled, '-' greyed, '|' a separator.
std::string shape(const std::vector<app::MenuEntry>& entries) {
  std::string out;
  for (const auto& e : entries) out += e.separator ? '|' : e.enabled ? '+' : '-';
  return out;
}

// The entry, in the menu or one of its submenus, that answers `id`; null when none does.
template <typename Command>
const app::MenuEntry* entry_for(const std::vector<app::MenuEntry>& entries, Command id) {
  for (const auto& e : entries) {
    if (!e.separator && e.submenu.empty() && e.id == static_cast<int>(id)) return &e;
    if (const app::MenuEntry* inner = entry_for(e.submenu, id)) return inner;
  }
  return nullptr;
}

// --- settings menu ---

TEST(MenuSettingsChecks, LanguageRowsMatchTheStoredCodeExactly) {
  struct Case {
    std::optional<std::string> stored;
    bool follow;
    int row;  // the checked language row, -1 for none
  };
  const Case cases[] = {{std::nullopt, true, -1}, {"", true, -1},   {"EN", false, -1},     {"en ", false, -1},
                        {"zh-hant", false, -1},   {"en", false, 0}, {"zh-Hant", false, 4}, {"ru", false, 9}};
  const auto languages = lang::languages();
  const int first = static_cast<int>(app::SettingsCommand::first_language);
  for (const Case& c : cases) {
    const std::vector<app::MenuEntry> menu = app::settings_menu(c.stored, std::nullopt);
    const app::MenuEntry* follow = entry_for(menu, app::SettingsCommand::follow_windows);
    ASSERT_TRUE(follow);
    EXPECT_EQ(follow->checked, c.follow) << c.stored.value_or("(absent)");
    for (std::size_t i = 0; i < languages.size(); ++i) {
      const app::MenuEntry* row = entry_for(menu, first + static_cast<int>(i));
      ASSERT_TRUE(row) << i;
      EXPECT_EQ(row->label, languages[i].name);
      EXPECT_EQ(row->checked, static_cast<int>(i) == c.row) << c.stored.value_or("(absent)") << i;
    }
    EXPECT_FALSE(entry_for(menu, first + static_cast<int>(languages.size())));
  }
}

TEST_F(MenuTest, AutomaticUpdatesToggleFromAFreshInstallation) {
  for (std::uint32_t expected : {0u, 1u, 0u}) {
    settings_choice(app::SettingsCommand::auto_update);
    EXPECT_EQ(platform.numbers.at("AutoUpdate"), expected);
  }
  const auto auto_update_checked = [this](std::size_t menu) {
    const app::MenuEntry* entry = entry_for(platform.menus.at(menu).entries, app::SettingsCommand::auto_update);
    return entry && entry->checked;
  };
  ASSERT_EQ(platform.menus.size(), 3u);
  EXPECT_TRUE(auto_update_checked(0));
  EXPECT_FALSE(auto_update_checked(1));
  EXPECT_TRUE(auto_update_checked(2));
  platform.numbers["AutoUpdate"] = 7;  // any non-zero number is on
  settings_choice(app::SettingsCommand::auto_update);
  EXPECT_TRUE(auto_update_checked(3));
  EXPECT_EQ(platform.numbers.at("AutoUpdate"), 0u);
}

TEST_F(MenuTest, ChoosingALanguageStoresItsCodeAndSaysWhenItApplies) {
  const std::pair<int, const char*> choices[] = {{101, "en"}, {104, "zh-Hans"}, {110, "ru"}, {100, ""}};
  for (const auto& [id, code] : choices) {
    settings_choice(id);
    EXPECT_EQ(platform.settings.at("Language"), code);
  }
  // shown while "ru" was stored
  const app::MenuEntry* russian = entry_for(platform.menus.back().entries, 110);
  ASSERT_TRUE(russian);
  EXPECT_EQ(russian->label, lang::languages()[9].name);
  EXPECT_TRUE(russian->checked);
  const std::vector<std::string> said(4, "Takes effect the next time tolvik opens");
  EXPECT_EQ(toasts, said);
  // Ids past the last language and between the fixed ones do nothing.
  for (int id : {111, 7, 99}) settings_choice(id);
  EXPECT_EQ(platform.settings.at("Language"), "");
  EXPECT_EQ(toasts, said);
  EXPECT_TRUE(platform.numbers.empty() && platform.shell_calls.empty() && platform.informations.empty());
}

TEST_F(MenuTest, ASettingTheRegistryRefusesIsSaidToHaveFailed) {
  platform.settings["Language"] = "de";
  platform.refused_settings = {"Language", "AutoUpdate"};
  settings_choice(110);  // Русский
  settings_choice(app::SettingsCommand::follow_windows);
  settings_choice(app::SettingsCommand::auto_update);
  EXPECT_EQ(platform.settings.at("Language"), "de");
  EXPECT_FALSE(platform.numbers.contains("AutoUpdate"));
  // Never "Takes effect the next time tolvik opens": nothing would.
  EXPECT_EQ(toasts, std::vector<std::string>(3, "Couldn't save the setting: Access is denied."));
  // The menu shows what is stored, not what was asked for.
  const app::MenuEntry* german = entry_for(platform.menus.back().entries, 108);
  ASSERT_TRUE(german);
  EXPECT_TRUE(german->checked);
  const app::MenuEntry* auto_update = entry_for(platform.menus.back().entries, app::SettingsCommand::auto_update);
  ASSERT_TRUE(auto_update);
  EXPECT_TRUE(auto_update->checked);
}

TEST_F(MenuTest, OtherSettingsCommands) {
  settings_choice(app::SettingsCommand::check_updates);
  settings_choice(app::SettingsCommand::maker_site);
  EXPECT_EQ(platform.shell_calls,
            (std::vector<std::string>{"update:user", "address:" + std::string(app::maker::kWebSite)}));

  settings_choice(app::SettingsCommand::about);
  ASSERT_EQ(platform.informations.size(), 1u);
  EXPECT_EQ(platform.informations[0].second, "About tolvik");
  EXPECT_EQ(platform.informations[0].first,
            "tolvik " + std::string(app::maker::kVersion) +
                "\n\nA free app that opens the apps, documents, folders and web pages a task needs in one "
                "click\n\nBundles are saved only on this PC (%APPDATA%\\tolvik) and are never sent anywhere.\n\n" +
                std::string(app::maker::kProductPage) + "\n" + std::string(app::maker::kNotice));

  settings_choice(app::SettingsCommand::import_bundle);  // cancelled: nothing imported
  ASSERT_EQ(platform.dialogs.size(), 1u);
  EXPECT_EQ(platform.dialogs[0].title, "Bundle files to import");
  EXPECT_EQ(names(), (std::vector<std::string>{"Work", "Home", "Trip"}));
  EXPECT_FALSE(store_file_exists());
}

// --- item menu ---

TEST_F(MenuTest, ItemMenuGreysByKindAndSelectsTheItem) {
  const char* expected[] = {"++|+++|+", "++|+-+|+", "+-|+-+|+", "++|+-+|+"};  // app, file, web address, folder
  for (std::size_t i = 0; i < 4; ++i) {
    app::show_item_menu(state, i, 5, 6);
    ASSERT_EQ(platform.menus.size(), i + 1);
    EXPECT_EQ(state.selected_item, i);
    EXPECT_EQ(shape(platform.menus[i].entries), expected[i]) << i;
  }
  EXPECT_EQ(platform.menus[0].entries[4].label, "Arguments…");
  EXPECT_EQ(platform.menus[0].entries[5].label, "Options…");
  app::show_item_menu(state, 4, 5, 6);  // past the end: no menu
  EXPECT_EQ(platform.menus.size(), 4u);
  expect_no_effect();
}

TEST_F(MenuTest, OpenJustThisAndOpenFileLocation) {
  platform.existing = {"C:\\Tools\\tool.exe"};
  item_choice(0, app::ItemCommand::open_just_this);
  EXPECT_EQ(platform.started, std::vector<bundle::Item>{state.store.bundles[0].items[0]});

  item_choice(1, app::ItemCommand::open_location);
  item_choice(3, app::ItemCommand::open_location);  // a folder that is gone: selected in its parent
  platform.directories = {"D:\\Docs"};
  item_choice(3, app::ItemCommand::open_location);  // an existing folder opens itself
  item_choice(2, app::ItemCommand::open_location);  // greyed for a web address
  app::reveal_in_explorer(state, bundle::Kind::file, "D:\\Docs");  // a directory, but not a folder item
  app::reveal_in_explorer(state, bundle::Kind::folder, "C:\\a\" /root,\"C:\\b");  // would end the argument
  app::reveal_in_explorer(state, bundle::Kind::app, "Shell:AppsFolder\\Contoso_pub!App");  // listed there
  EXPECT_EQ(platform.shell_calls,
            (std::vector<std::string>{"explorer:/select,\"C:\\a.txt\"", "explorer:/select,\"D:\\Docs\"",
                                      "folder:D:\\Docs", "explorer:/select,\"D:\\Docs\"",
                                      "explorer:shell:AppsFolder"}));
  EXPECT_FALSE(app::explorer_select_argument("\""));
}

TEST_F(MenuTest, RenameAndArgumentsEditThatItemAndUnchangedTextSavesNothing) {
  item_choice(1, app::ItemCommand::rename);
  EXPECT_EQ(state.edit, (app::ActiveEdit{app::EditMode::item_name, "b1", 1}));
  EXPECT_EQ(platform.edit_field_initial, "");
  EXPECT_EQ(platform.edit_field_cue, "a.txt");
  platform.edit_field_text = "   ";
  app::end_edit(state, true);
  EXPECT_FALSE(store_file_exists());
  item_choice(0, app::ItemCommand::arguments);
  EXPECT_EQ(state.edit, (app::ActiveEdit{app::EditMode::item_args, "b1", 0}));
  EXPECT_EQ(platform.edit_field_initial, "-v");
  EXPECT_EQ(platform.edit_field_cue, "e.g. /n \"D:\\Docs\\notes.txt\"");
  platform.edit_field_text = " -v ";
  app::end_edit(state, true);
  EXPECT_FALSE(store_file_exists());
  item_choice(0, app::ItemCommand::arguments);
  platform.edit_field_text = "-q  ";
  app::end_edit(state, true);
  EXPECT_EQ(state.store.bundles[0].items[0].args, "-q");
  expect_saved();
  item_choice(1, app::ItemCommand::arguments);  // greyed for a file
  EXPECT_FALSE(state.edit);
}

// Committing the running web-address entry appends to the same bundle; the
// rename field must still start from the item's own name.
TEST_F(MenuTest, RenameWhileAWebAddressEntryRunsStartsWithTheItemsName) {
  state.store.bundles[0].items[1].name = "Mine";
  state.store.bundles[0].items.shrink_to_fit();
  app::begin_edit(state, {app::EditMode::web_address, "b1"}, "", "");
  platform.edit_field_text = "https://new.example/";
  item_choice(1, app::ItemCommand::rename);
  EXPECT_EQ(targets(0).size(), 5u);
  EXPECT_EQ(platform.edit_field_initial, "Mine");
}

TEST_F(MenuTest, RemoveAndOpenNeedTheirBundleStillSelected) {
  platform.existing = {"C:\\Tools\\tool.exe", "C:\\t.txt"};
  platform.during_menu = [this] { app::select_bundle(state, 2); };
  item_choice(0, app::ItemCommand::remove);
  app::select_bundle(state, 0);
  item_choice(0, app::ItemCommand::open_just_this);
  EXPECT_EQ(targets(0).size(), 4u);
  EXPECT_EQ(targets(2).size(), 1u);
  expect_no_effect();

  platform.during_menu = nullptr;
  app::select_bundle(state, 0);
  item_choice(1, app::ItemCommand::remove);
  EXPECT_EQ(targets(0), (std::vector<std::string>{"C:\\Tools\\tool.exe", "https://a.bc/", "D:\\Docs"}));
  ASSERT_TRUE(state.toast);
  EXPECT_TRUE(state.toast->has_undo());
  expect_saved();
}

// The item changed or went away while its menu was up: each command does nothing.
class MenuItemGone : public MenuTest, public ::testing::WithParamInterface<std::tuple<int, app::ItemCommand>> {};

void change_item(bundle::Store& store, int change) {
  auto& bundles = store.bundles;
  if (change == 0) bundles[0].items[0] = app_item("C:\\other.exe", "-v");
  if (change == 1) bundles[0].items[0].kind = bundle::Kind::file;
  if (change == 2) bundles[0].items.clear();
  if (change == 3) bundles.erase(bundles.begin());
}

TEST_P(MenuItemGone, CommandDoesNothing) {
  const auto [change, id] = GetParam();
  platform.existing = {"C:\\Tools\\tool.exe", "C:\\other.exe"};
  platform.during_menu = [this, change = change] { change_item(state.store, change); };
  bundle::Store expected = state.store;
  change_item(expected, change);
  item_choice(0, id);
  EXPECT_EQ(state.store, expected);
  expect_no_effect();
}

INSTANTIATE_TEST_SUITE_P(Menu, MenuItemGone,
                         ::testing::Combine(::testing::Values(0, 1, 2, 3),
                                            ::testing::Values(app::ItemCommand::open_just_this,
                                                              app::ItemCommand::open_location, app::ItemCommand::rename,
                                                              app::ItemCommand::arguments, app::ItemCommand::remove)));

// --- bundle menu ---

TEST_F(MenuTest, BundleMenuEntriesAndIds) {
  app::show_bundle_menu(state, 1, 5, 6);  // empty
  app::show_bundle_menu(state, 0, 5, 6);
  app::show_bundle_menu(state, 3, 5, 6);  // no such bundle: no menu
  ASSERT_EQ(platform.menus.size(), 2u);
  const auto& empty = platform.menus[0].entries;
  EXPECT_EQ(shape(empty), "--+++|+++|+|+");  // Open and Close greyed; an empty bundle can still be marked
  EXPECT_EQ(shape(platform.menus[1].entries), "+++++|+++|+|+");
  // The bundle's hotkey comes right after its copy, before the shell's commands.
  EXPECT_EQ(empty.at(4).label, "Hotkey…");
  EXPECT_EQ(empty.at(4).id, static_cast<int>(app::BundleCommand::hotkey));
  ASSERT_TRUE(entry_for(empty, app::BundleCommand::export_file));
  EXPECT_EQ(entry_for(empty, app::BundleCommand::export_file)->label, "Export… (to share)");
  ASSERT_TRUE(entry_for(empty, app::BundleCommand::remove));
  EXPECT_EQ(entry_for(empty, app::BundleCommand::remove)->label, "Delete bundle");
  expect_no_effect();
}

TEST_F(MenuTest, BundleMenuCommands) {
  bundle_choice(1, app::BundleCommand::open);  // empty: nothing to open
  bundle_choice(2, app::BundleCommand::open);
  ASSERT_EQ(platform.open_requests.size(), 1u);
  EXPECT_EQ(platform.open_requests[0].bundle_id, "b3");
  bundle_choice(2, app::BundleCommand::close);  // never opened: nothing recorded
  EXPECT_EQ(platform.close_requests, (std::vector<std::string>{"b3"}));
  ASSERT_TRUE(state.toast);
  EXPECT_EQ(state.toast->text, "Nothing “Trip” opened is left to close");
  bundle_choice(2, app::BundleCommand::rename);
  EXPECT_EQ(state.selected_bundle, 2u);
  EXPECT_EQ(state.edit, (app::ActiveEdit{app::EditMode::bundle_name, "b3", 0}));
  EXPECT_EQ(platform.edit_field_initial, "Trip");
  app::end_edit(state, false);

  bundle_choice(0, app::BundleCommand::duplicate);
  EXPECT_EQ(names(), (std::vector<std::string>{"Work", "Work copy", "Home", "Trip"}));
  platform.save_answer = (dir / "out.tolvik").string();
  bundle_choice(3, app::BundleCommand::export_file);
  ASSERT_EQ(platform.dialogs.size(), 1u);
  EXPECT_EQ(platform.dialogs[0].initial_name, "Trip.tolvik");
  EXPECT_TRUE(std::filesystem::exists(dir / "out.tolvik"));
  bundle_choice(2, app::BundleCommand::remove);
  EXPECT_EQ(names(), (std::vector<std::string>{"Work", "Work copy", "Trip"}));
  ASSERT_TRUE(state.toast);
  EXPECT_EQ(state.toast->text, "Deleted “Home”");
  expect_saved();
}

// The bundle was deleted, or another was put before it, while its menu was up.
class MenuBundleMoved : public MenuTest, public ::testing::WithParamInterface<std::tuple<bool, app::BundleCommand>> {};

TEST_P(MenuBundleMoved, CommandDoesNothing) {
  const auto [deleted, id] = GetParam();
  platform.during_menu = [this, deleted = deleted] {
    auto& bundles = state.store.bundles;
    if (deleted) bundles.erase(bundles.begin() + 2);
    if (!deleted) bundles.insert(bundles.begin(), bundle::Bundle{"b0", "Early", {file_item("C:\\e.txt")}});
  };
  platform.save_answer = (dir / "out.tolvik").string();
  bundle_choice(2, id);
  EXPECT_EQ(names(), deleted ? (std::vector<std::string>{"Work", "Home"})
                             : (std::vector<std::string>{"Early", "Work", "Home", "Trip"}));
  EXPECT_EQ(state.selected_bundle, 0u);
  expect_no_effect();
}

INSTANTIATE_TEST_SUITE_P(Menu, MenuBundleMoved,
                         ::testing::Combine(::testing::Bool(),
                                            ::testing::Values(app::BundleCommand::open, app::BundleCommand::rename,
                                                              app::BundleCommand::duplicate, app::BundleCommand::export_file,
                                                              app::BundleCommand::remove)));

}  // namespace
