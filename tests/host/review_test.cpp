#include "app/act/review.h"

#include <gtest/gtest.h>

#include "app/act/edit_ops.h"
#include "app/act/import.h"
#include "app/act/open.h"
#include "bundle/export_file.h"
#include "store_fixture.h"

namespace {

using testing_support::app_item;
using testing_support::file_item;
using testing_support::url_item;

const std::string kAsks = "Shared\n\nThis bundle came from a file and will start:\n\n";

TEST(StartsCode, AppsProgramFilesAndAddressesOtherThanWebPages) {
  const bundle::Item folder{bundle::Kind::folder, "D:\\Work\\", {}, {}};
  const std::pair<bundle::Item, bool> cases[] = {
      {app_item("C:\\Tools\\notes.txt"), true}, {file_item("C:\\x\\report.pdf"), false},
      {file_item("C:\\x\\Setup.EXE"), true},    {file_item("C:\\x\\run.ps1"), true},
      {file_item("C:\\x\\a.exe. ."), true},     {file_item("C:\\x\\b.txt:c.js"), true},
      {file_item("C:d.bat"), true},             {folder, false},
      {url_item("HTTPS://a.bc/x.exe"), false},  {url_item("mailto:x@a.bc"), true},
      {url_item("ms-settings:about"), true},    {url_item("calc"), true},
      {file_item("search-ms:query=x"), true},   {file_item("file:///C:/x/report.pdf"), true},
  };
  for (const auto& [item, starts] : cases) EXPECT_EQ(app::starts_code(item), starts) << item.target;
}

TEST(ReviewQuestion, ShowsHiddenCharactersAndCountsWhatDoesNotFit) {
  bundle::Bundle shared{"b1", "Shared", std::vector<bundle::Item>(14, app_item("C:\\x\u202Egpj.exe"))};
  shared.items[0].name = "Safe\nNothing else starts";
  std::vector<std::size_t> all(shared.items.size());
  for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
  const std::string text = app::review_question(shared, all);
  EXPECT_EQ(text.rfind(kAsks + "\u2022 Safe\uFFFDNothing else starts \u2014 C:\\x\uFFFDgpj.exe\n", 0), 0u) << text;
  EXPECT_TRUE(text.ends_with("\u2022 x\uFFFDgpj \u2014 C:\\x\uFFFDgpj.exe\nand 2 more")) << text;
}

struct Review : testing_support::StoreFixture {
  // Imports the items as someone else's bundle file named "Shared"; its position.
  std::size_t import(std::vector<bundle::Item> items) {
    const bundle::Bundle shared{"b0", "Shared", std::move(items)};
    app::import_files(state, {write_file("shared.tolvik", bundle::serialize_exported(shared))});
    return state.store.bundles.size() - 1;
  }
  std::vector<std::size_t> marked_on_disk(std::size_t at) const {
    return app::unreviewed_items(bundle::load_store(state.store_path)->bundles.at(at).items);
  }
};

TEST_F(Review, AnImportedAppAsksOnceAndAYesIsSaved) {
  const std::size_t at = import({file_item("C:\\a.pdf"), app_item("C:\\T\\pad.exe", "-n x"), url_item("https://a.bc")});
  EXPECT_EQ(marked_on_disk(at), std::vector<std::size_t>{1});
  platform.answers = {true};
  app::open_bundle(state, at);
  EXPECT_EQ(platform.questions, std::vector<std::string>{kAsks + "\u2022 pad \u2014 C:\\T\\pad.exe -n x"});
  ASSERT_EQ(platform.open_requests.size(), 1u);
  EXPECT_TRUE(marked_on_disk(at).empty());
  expect_saved();

  state.opening.reset();
  app::open_bundle(state, at);
  EXPECT_EQ(platform.questions.size(), 1u);
  EXPECT_EQ(platform.open_requests.size(), 2u);
}

TEST_F(Review, NoOpensNothingAndAsksAgain) {
  const std::size_t at = import({url_item("ms-settings:about")});
  app::open_bundle(state, at);
  app::open_bundle(state, at);
  EXPECT_EQ(platform.questions.size(), 2u);
  EXPECT_TRUE(platform.open_requests.empty());
  EXPECT_EQ(marked_on_disk(at), std::vector<std::size_t>{0});
}

TEST_F(Review, DocumentsWebPagesAndWhatTheUserAddsNeverAsk) {
  const std::size_t at = import({file_item("C:\\a.pdf"), url_item("https://a.bc")});
  EXPECT_EQ(saved().find("unreviewed"), std::string::npos);
  app::add_items(state, at, {app_item("C:\\T\\mine.exe")});
  app::add_items(state, std::nullopt, {app_item("C:\\T\\own.exe")});
  app::duplicate_bundle(state, at);
  for (std::size_t i = 0; i < state.store.bundles.size(); ++i) {
    state.opening.reset();
    app::open_bundle(state, i);
  }
  EXPECT_TRUE(platform.questions.empty());
  EXPECT_EQ(platform.open_requests.size(), 3u);
}

TEST_F(Review, OpeningOneItemAsksAboutThatItemOnly) {
  const std::size_t at = import({app_item("C:\\a.exe"), url_item("ms-settings:about")});
  platform.existing = {"C:\\a.exe"};
  app::open_single_item(state, 0);
  EXPECT_TRUE(platform.started.empty());
  platform.answers = {true};
  app::open_single_item(state, 0);
  EXPECT_EQ(platform.questions.back(), kAsks + "\u2022 a \u2014 C:\\a.exe");
  EXPECT_EQ(platform.started.size(), 1u);
  EXPECT_EQ(marked_on_disk(at), std::vector<std::size_t>{1});
}

TEST_F(Review, AYesForABundleThatChangedMeanwhileOpensNothing) {
  const std::size_t at = import({app_item("C:\\a.exe")});
  platform.answers = {true};
  platform.during_question = [&] { state.store.bundles[at].items[0].args = "--other"; };
  app::open_bundle(state, at);
  EXPECT_TRUE(platform.open_requests.empty());
  EXPECT_TRUE(state.store.bundles[at].items[0].unreviewed);
}

TEST_F(Review, TheFileCannotMarkItselfAndExportsCarryNoMark) {
  bundle::Bundle own{"b1", "n", {app_item("C:\\a.exe")}};
  own.items[0].unreviewed = true;
  EXPECT_EQ(bundle::serialize_exported(own).find("unreviewed"), std::string::npos);
  app::import_files(state, {write_file("hand.tolvik", R"({"format": "tolvik", "version": 1, "bundle": {
      "id": "x", "name": "n", "items": [{"kind": "file", "target": "C:\\a.pdf", "unreviewed": true},
                                        {"kind": "app", "target": "C:\\a.exe", "unreviewed": false}]}})")});
  EXPECT_EQ(app::unreviewed_items(state.store.bundles.at(0).items), std::vector<std::size_t>{1});
}

}  // namespace
