#include "app/bundles/review.h"

#include "app/bundles/add_items.h"
#include "app/bundles/bundle_ops.h"

#include <gtest/gtest.h>

#include "app/bundles/import.h"
#include "app/opening/open.h"
#include "app/reach/startup.h"
#include "bundle/export_file.h"
#include "store_fixture.h"

namespace {

using testing_support::app_item;
using testing_support::file_item;
using testing_support::url_item;

const std::string kAsks = "Shared\n\nThis bundle came from a file and will start:\n\n\u2022 ";

TEST(StartsCode, AppsProgramFilesAndAddressesOtherThanWebPages) {
  const std::pair<bundle::Item, bool> cases[] = {
      {app_item("C:\\T\\notes.txt"), true},   {file_item("D:\\Work\\report.pdf"), false},
      {file_item("C:\\x\\Setup.EXE"), true},  {file_item("C:\\x\\a.exe. ."), true},
      {file_item("C:\\x\\b.txt:c.js"), true}, {file_item("C:d.bat"), true},
      {url_item("HTTPS://a.bc/x.exe"), false}, {url_item("mailto:x@a.bc"), true},
      {url_item("calc"), true},               {file_item("search-ms:query=x"), true}};
  for (const auto& [item, starts] : cases) EXPECT_EQ(app::starts_code(item), starts) << item.target;
}

TEST(ReviewQuestion, ShowsHiddenCharactersAndCountsWhatDoesNotFit) {
  bundle::Bundle shared{"b1", "Shared", std::vector<bundle::Item>(14, app_item("C:\\x\u202Egpj.exe"))};
  shared.items[0].name = "Safe\nNothing else starts";
  const std::string text = app::review_question(shared, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13});
  EXPECT_EQ(text.rfind(kAsks + "Safe\uFFFDNothing else starts \u2014 C:\\x\uFFFDgpj.exe\n", 0), 0u) << text;
  EXPECT_TRUE(text.ends_with("\u2022 x\uFFFDgpj \u2014 C:\\x\uFFFDgpj.exe\nand 2 more")) << text;
}

struct Review : testing_support::StoreFixture {
  // Imports the items as someone else's bundle file "Shared"; its position.
  std::size_t import(std::vector<bundle::Item> items) {
    app::import_files(state, {write_file("s.tolvik", bundle::serialize_exported({"b0", "Shared", std::move(items)}))});
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
  EXPECT_EQ(platform.questions, std::vector<std::string>{kAsks + "pad \u2014 C:\\T\\pad.exe -n x"});
  EXPECT_EQ(platform.open_requests.size(), 1u);
  EXPECT_TRUE(marked_on_disk(at).empty());
  state.opening.reset();
  app::open_bundle(state, at);
  EXPECT_EQ(platform.questions.size(), 1u);
  EXPECT_EQ(platform.open_requests.size(), 2u);
}

TEST_F(Review, NoOpensNothingAndAsksAgainAndOneItemIsAskedAboutAlone) {
  const std::size_t at = import({url_item("ms-settings:about"), app_item("C:\\a.exe")});
  platform.existing = {"C:\\a.exe"};
  app::open_bundle(state, at);
  app::open_single_item(state, 1);
  EXPECT_TRUE(platform.open_requests.empty());
  EXPECT_TRUE(platform.started.empty());
  platform.answers = {true};
  app::open_single_item(state, 1);
  EXPECT_EQ(platform.questions.size(), 3u);
  EXPECT_EQ(platform.questions.back(), kAsks + "a \u2014 C:\\a.exe");
  EXPECT_EQ(platform.started.size(), 1u);
  EXPECT_EQ(marked_on_disk(at), std::vector<std::size_t>{0});
}

TEST_F(Review, DocumentsWebPagesAndWhatTheUserAddsNeverAsk) {
  const std::size_t at = import({file_item("C:\\a.pdf"), url_item("https://a.bc")});
  EXPECT_EQ(saved().find("unreviewed"), std::string::npos);
  app::add_items(state, at, {app_item("C:\\T\\mine.exe")});
  app::add_items(state, std::nullopt, {app_item("C:\\T\\own.exe")});
  app::duplicate_bundle(state, at);
  for (std::size_t i = 0; i < 3; ++i, state.opening.reset()) app::open_bundle(state, i);
  EXPECT_TRUE(platform.questions.empty());
  EXPECT_EQ(platform.open_requests.size(), 3u);
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

TEST_F(Review, TheWindowlessOpenAsksAndKeepsAYesInTheStoreFile) {
  const std::size_t at = import({app_item("C:\\a.exe", "/s"), file_item("C:\\b.pdf")});
  testing_support::FakeOpener opener;
  opener.existing = {"C:\\a.exe", "C:\\b.pdf"};
  std::vector<std::string> asked;
  auto open = [&](bool yes) {
    auto ask = [&](const std::string& text) {
      asked.push_back(text);
      // The window saves a bundle while the box is up; the Yes must not lose it.
      state.store.bundles.push_back({bundle::new_bundle_id(), "Later", {}});
      app::save_store(state);
      return yes;
    };
    return app::windowless_open(bundle::load_store(state.store_path), state.store.bundles[at].id, opener, ask,
                                state.store_path);
  };
  EXPECT_EQ(open(false), std::nullopt);
  EXPECT_TRUE(opener.events.empty());
  EXPECT_EQ(open(true), std::nullopt);
  EXPECT_EQ(open(true), std::nullopt);
  EXPECT_EQ(opener.events.size(), 10u);
  EXPECT_EQ(asked, (std::vector<std::string>(2, kAsks + "a \u2014 C:\\a.exe /s")));
  EXPECT_TRUE(marked_on_disk(at).empty());
  EXPECT_EQ(bundle::load_store(state.store_path)->bundles.size(), at + 3);
}

}  // namespace
