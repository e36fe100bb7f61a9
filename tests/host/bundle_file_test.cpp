#include "app/bundles/bundle_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/bundles/import.h"
#include "bundle/export_file.h"
#include "store_fixture.h"

namespace {

namespace fs = std::filesystem;
using testing_support::app_item;
using testing_support::file_item;
using testing_support::read_all;
using testing_support::url_item;

const char kExported[] = "Exported. Files and folders may be in different places on the other person's PC.";

bundle::Bundle korean_bundle() {
  bundle::Item tool = app_item("C:\\도구\\t.exe", "-a\t\"x y\"\x01\x1f");
  tool.name = "툴\x7f";
  return bundle::Bundle{"b1", "보고서 Q3: 정리", {file_item("C:\\자료\\보고서.docx"), tool,
                                                     url_item("https://例え.jp/?q=\u2028")}};
}

struct ExportBundle : testing_support::StoreFixture {
  void SetUp() override { state.store.bundles = {{"b0", "Other", {}}, korean_bundle()}; }
};

TEST_F(ExportBundle, AsksWithTheFileTypeAndASafeName) {
  app::export_bundle(state, 1);
  ASSERT_EQ(platform.dialogs.size(), 1u);
  const auto& dialog = platform.dialogs[0];
  EXPECT_EQ(dialog.kind, "save");
  EXPECT_EQ(dialog.title, "Export bundle");
  ASSERT_EQ(dialog.filters.size(), 1u);
  EXPECT_EQ(dialog.filters[0].label, "tolvik bundles (*.tolvik)");
  EXPECT_EQ(dialog.filters[0].pattern, "*.tolvik");
  EXPECT_EQ(dialog.default_extension, "tolvik");
  EXPECT_EQ(dialog.initial_name, "보고서 Q3_ 정리.tolvik");
}

TEST_F(ExportBundle, ACancelledDialogWritesAndShowsNothing) {
  app::export_bundle(state, 1);
  EXPECT_FALSE(state.toast);
  EXPECT_EQ(platform.invalidations, 0);
  EXPECT_TRUE(fs::is_empty(dir));
}

TEST_F(ExportBundle, RoundTripsThroughARealFile) {
  platform.save_answer = (dir / "shared" / "report.tolvik").string();
  app::export_bundle(state, 1);
  ASSERT_TRUE(state.toast);
  EXPECT_EQ(state.toast->text, kExported);
  const std::string written = read_all(*platform.save_answer);
  EXPECT_EQ(written, bundle::serialize_exported(korean_bundle()));
  EXPECT_EQ(written.rfind("{\n  \"format\": \"tolvik\",\n  \"version\": 1,\n  \"bundle\": {", 0), 0u);
  EXPECT_FALSE(state.undo);

  app::import_files(state, {*platform.save_answer});
  ASSERT_EQ(state.store.bundles.size(), 3u);
  const bundle::Bundle& imported = state.store.bundles[2];
  EXPECT_NE(imported.id, "b1");
  EXPECT_EQ(imported.name, "보고서 Q3: 정리 2");
  // Only the app is marked: it came from a file and is asked about before it starts.
  std::vector<bundle::Item> expected = korean_bundle().items;
  expected[1].unreviewed = true;
  EXPECT_EQ(imported.items, expected);
  EXPECT_EQ(state.selected_bundle, 2u);
}

TEST_F(ExportBundle, WritesTheBundleAsItWasWhenAsked) {
  platform.save_answer = (dir / "r.tolvik").string();
  platform.during_dialog = [this] {
    state.store.bundles[1].name = "Changed";
    state.store.bundles[1].items.clear();
    state.store.bundles.erase(state.store.bundles.begin());
  };
  app::export_bundle(state, 1);
  EXPECT_EQ(read_all(*platform.save_answer), bundle::serialize_exported(korean_bundle()));
  EXPECT_EQ(state.toast->text, kExported);
}

TEST_F(ExportBundle, ReplacesAnExistingFile) {
  platform.save_answer = write_file("r.tolvik", "old contents that are longer than nothing");
  app::export_bundle(state, 0);
  EXPECT_EQ(read_all(*platform.save_answer), bundle::serialize_exported(bundle::Bundle{"b0", "Other", {}}));
}

TEST_F(ExportBundle, AFailedWriteIsReported) {
  write_file("blocker", "x");
  platform.save_answer = (dir / "blocker" / "r.tolvik").string();
  app::export_bundle(state, 1);
  ASSERT_TRUE(state.toast);
  const std::string prefix = "Couldn't export: ";
  EXPECT_EQ(state.toast->text.rfind(prefix, 0), 0u) << state.toast->text;
  EXPECT_GT(state.toast->text.size(), prefix.size());
  EXPECT_FALSE(fs::exists(dir / "blocker" / "r.tolvik"));
  EXPECT_FALSE(store_file_exists());
}

TEST_F(ExportBundle, ABundleWhoseFileCouldNotBeImportedIsRefusedBeforeTheDialog) {
  // Each item is within the limits; together they are one byte more than an
  // import reads.
  bundle::Bundle big{"b2", "Big", {}};
  for (std::size_t i = 0; i < bundle::kExportFileMaxBytes / 30100; ++i) {
    big.items.push_back(file_item("C:\\" + std::to_string(i) + std::string(30000, 'a')));
  }
  std::size_t missing = bundle::kExportFileMaxBytes + 1 - bundle::serialize_exported(big).size();
  for (bundle::Item& item : big.items) {
    const std::size_t more = std::min<std::size_t>(missing, 2000);
    item.target += std::string(more, 'b');
    missing -= more;
  }
  ASSERT_EQ(bundle::serialize_exported(big).size(), bundle::kExportFileMaxBytes + 1);
  state.store.bundles.push_back(big);
  platform.save_answer = (dir / "big.tolvik").string();
  app::export_bundle(state, 2);
  EXPECT_TRUE(platform.dialogs.empty());
  ASSERT_TRUE(state.toast);
  EXPECT_EQ(state.toast->text, "Too large to export (over 16 MiB): it couldn't be imported again");
  EXPECT_FALSE(fs::exists(dir / "big.tolvik"));

  // One byte less fits, and the file it writes imports again.
  big.items.back().target.pop_back();
  ASSERT_EQ(bundle::serialize_exported(big).size(), bundle::kExportFileMaxBytes);
  state.store.bundles[2] = big;
  app::export_bundle(state, 2);
  ASSERT_EQ(platform.dialogs.size(), 1u);
  EXPECT_EQ(state.toast->text, kExported);
  app::import_files(state, {*platform.save_answer});
  ASSERT_EQ(state.store.bundles.size(), 4u);
  EXPECT_EQ(state.store.bundles[3].items.size(), big.items.size());
}

TEST_F(ExportBundle, OutOfRangeAsksNothing) {
  app::export_bundle(state, 2);
  EXPECT_TRUE(platform.dialogs.empty());
  EXPECT_FALSE(state.toast);
}

struct ChooseAndImport : testing_support::StoreFixture {};

TEST_F(ChooseAndImport, ImportsTheChosenFilesInOrder) {
  state.store.bundles = {{"b0", "Trip", {}}};
  platform.open_answer = {write_file("one.tolvik", bundle::serialize_exported({"x", "Trip", {file_item("C:\\1")}})),
                          write_file("two.tolvik", bundle::serialize_exported({"y", "Plan", {}}))};
  app::choose_and_import(state);

  ASSERT_EQ(platform.dialogs.size(), 1u);
  const auto& dialog = platform.dialogs[0];
  EXPECT_EQ(dialog.kind, "open");
  EXPECT_EQ(dialog.title, "Bundle files to import");
  ASSERT_EQ(dialog.filters.size(), 1u);
  EXPECT_EQ(dialog.filters[0].label, "tolvik bundles (*.tolvik)");
  EXPECT_EQ(dialog.filters[0].pattern, "*.tolvik");
  EXPECT_EQ(dialog.start, app::StartFolder::none);

  ASSERT_EQ(state.store.bundles.size(), 3u);
  EXPECT_EQ(names(), (std::vector<std::string>{"Trip", "Trip 2", "Plan"}));
  EXPECT_EQ(state.selected_bundle, 2u);
  EXPECT_EQ(state.toast->text,
            "Imported “Plan”. Paths may differ on another PC; items that can't be found are marked in red.");
  expect_saved();
}

TEST_F(ChooseAndImport, NothingChosenDoesNothing) {
  app::choose_and_import(state);
  EXPECT_EQ(platform.dialogs.size(), 1u);
  EXPECT_TRUE(state.store.bundles.empty());
  EXPECT_FALSE(state.toast);
  EXPECT_FALSE(store_file_exists());
}

}  // namespace
