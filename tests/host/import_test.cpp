#include "app/bundles/import.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/state/app_state.h"
#include "bundle/export_file.h"
#include "bundle/limits.h"
#include "bundle/store_file.h"
#include "fake_platform.h"
#include "store_fixture.h"

namespace {

namespace fs = std::filesystem;
using testing_support::FakePlatform;
using testing_support::file_item;

struct ImportFiles : testing_support::StoreFixture {
  void SetUp() override {
    state.store.bundles = {bundle::Bundle{"b1", "Report", {}}};
  }

  std::string write(const std::string& name, const std::string& bytes) {
    const fs::path p = dir / name;
    std::ofstream(p, std::ios::binary) << bytes;
    return p.string();
  }
};

TEST_F(ImportFiles, ImportsAsANewUniqueBundleSavesAndSelectsIt) {
  const bundle::Bundle exported{"b1", "report", {file_item("C:\\a.txt"), file_item(" \t"), file_item("")}};
  const std::string path = write("r.tolvik", "\xEF\xBB\xBF\xEF\xBB\xBF" + bundle::serialize_exported(exported));
  app::import_files(state, {path});

  ASSERT_EQ(state.store.bundles.size(), 2u);
  const bundle::Bundle& added = state.store.bundles[1];
  EXPECT_EQ(added.name, "report 2");
  EXPECT_NE(added.id, "b1");
  EXPECT_EQ(added.id.front(), 'b');
  EXPECT_EQ(added.items, (std::vector<bundle::Item>{file_item("C:\\a.txt")}));
  EXPECT_EQ(state.selected_bundle, 1u);
  EXPECT_EQ(platform.settings["Selected"], added.id);
  EXPECT_EQ(saved(), bundle::serialize_store(state.store));
  ASSERT_TRUE(state.toast);
  EXPECT_EQ(state.toast->text,
            "Imported “report 2”. Paths may differ on another PC; items that can't be found are marked in red.");
  EXPECT_TRUE(platform.timer_set(app::TimerId::jump_list, 1200));
  ASSERT_FALSE(platform.target_checks.empty());
  EXPECT_EQ(platform.target_checks.back(), (std::vector<std::string>{"C:\\a.txt"}));
}

TEST_F(ImportFiles, BlankNameBecomesTolvik) {
  state.store.bundles.push_back(bundle::Bundle{"b2", "TOLVIK", {}});
  app::import_files(state, {write("blank.tolvik", bundle::serialize_exported(bundle::Bundle{"x", "  ", {}}))});
  EXPECT_EQ(state.store.bundles.back().name, "tolvik 2");
}

TEST_F(ImportFiles, GoodAndBadFilesTogetherReportOnlyTheImport) {
  const std::string good = write("good.tolvik", bundle::serialize_exported(bundle::Bundle{"x", "Trip", {}}));
  const std::string bad = write("bad.tolvik", "{\"format\": \"Tolvik\", \"version\": 1, \"bundle\": {\"id\": \"x\", \"name\": \"n\"}}");
  app::import_files(state, {bad, good, (dir / "absent.tolvik").string()});
  ASSERT_EQ(state.store.bundles.size(), 2u);
  EXPECT_EQ(state.toast->text, "Imported “Trip”. Paths may differ on another PC; items that can't be found are marked in red.");
}

TEST_F(ImportFiles, OnlyBadFilesAreNamedTogetherAndNothingIsSaved) {
  const std::string not_json = write("a.tolvik", "hello");
  const std::string trailing = write("b.tolvik", bundle::serialize_exported(bundle::Bundle{"x", "n", {}}) + " []");
  app::import_files(state, {not_json, trailing});
  EXPECT_EQ(state.store.bundles.size(), 1u);
  ASSERT_TRUE(state.toast);
  EXPECT_EQ(state.toast->text, "Not an tolvik bundle file: a.tolvik, b.tolvik");
  EXPECT_FALSE(fs::exists(state.store_path));
}

TEST_F(ImportFiles, AWindowsPathIsNamedByItsFileNameOnEitherBuild) {
  app::import_files(state, {"Z:\\Mail\\Trip.tolvik", "\\\\nas\\share\\Old.tolvik"});
  ASSERT_TRUE(state.toast);
  EXPECT_EQ(state.toast->text, "Not an tolvik bundle file: Trip.tolvik, Old.tolvik");
}

TEST_F(ImportFiles, FilesOverTheLimitAreRefusedAsTooLarge) {
  const std::string huge = write("huge.tolvik", "");
  fs::resize_file(huge, bundle::kExportFileMaxBytes + 1);  // sparse: nothing is written
  const std::string bad = write("bad.tolvik", "hello");
  app::import_files(state, {huge, bad});
  EXPECT_EQ(state.store.bundles.size(), 1u);
  ASSERT_TRUE(state.toast);
  EXPECT_EQ(state.toast->text, "Too large to import (over 16 MiB): huge.tolvik · Not an tolvik bundle file: bad.tolvik");

  app::import_files(state, {huge});
  EXPECT_EQ(state.toast->text, "Too large to import (over 16 MiB): huge.tolvik");
}

TEST_F(ImportFiles, AFileOfExactlyTheLimitImports) {
  std::string text = bundle::serialize_exported(bundle::Bundle{"x", "Trip", {}});
  text.resize(bundle::kExportFileMaxBytes, ' ');
  app::import_files(state, {write("full.tolvik", text)});
  ASSERT_EQ(state.store.bundles.size(), 2u);
  EXPECT_EQ(state.store.bundles[1].name, "Trip");
}

TEST_F(ImportFiles, AHostileFileHasItsNamesCutAndItsOverlongItemsLeftOut) {
  // Names in three-byte characters: the cut counts characters, not bytes.
  std::string korean_name;
  for (int i = 0; i < 300; ++i) korean_name += "월";
  bundle::Item named = file_item("C:\\kept.txt");
  named.name = korean_name;
  const std::string at_limit = "C:\\" + std::string(bundle::kMaxTargetUnits - 3, 'a');
  bundle::Item long_args = testing_support::app_item("C:\\tool.exe", std::string(bundle::kMaxTargetUnits + 1, 'z'));
  const bundle::Bundle hostile{"x", korean_name, {named, file_item(at_limit + "b"), file_item(at_limit), long_args,
                                                   testing_support::url_item("https://example.com/" +
                                                                             std::string(40000, 'q'))}};
  app::import_files(state, {write("hostile.tolvik", bundle::serialize_exported(hostile))});

  ASSERT_EQ(state.store.bundles.size(), 2u);
  const bundle::Bundle& added = state.store.bundles[1];
  std::string expected_name;
  for (std::size_t i = 0; i < bundle::kMaxNameChars; ++i) expected_name += "월";
  EXPECT_EQ(added.name, expected_name);
  ASSERT_EQ(added.items.size(), 2u);
  EXPECT_EQ(added.items[0].target, "C:\\kept.txt");
  EXPECT_EQ(added.items[0].name, expected_name);
  EXPECT_EQ(added.items[1].target, at_limit);
  // What is saved is what was kept, so no later start reads the rest again.
  EXPECT_EQ(saved(), bundle::serialize_store(state.store));
  EXPECT_EQ(saved().find("zzzz"), std::string::npos);
}

TEST_F(ImportFiles, AnEmptyListShowsNothing) {
  app::import_files(state, {});
  EXPECT_FALSE(state.toast);
  EXPECT_EQ(platform.invalidations, 0);
}

TEST_F(ImportFiles, AFailedSaveKeepsTheBundleAndStaysInTheImportToast) {
  // A file where the store's folder should be makes the save fail.
  write("blocker", "x");
  state.store_path = (dir / "blocker" / "bundles.json").string();
  app::import_files(state, {write("t.tolvik", bundle::serialize_exported(bundle::Bundle{"x", "Trip", {}}))});
  EXPECT_EQ(state.store.bundles.size(), 2u);
  ASSERT_TRUE(state.toast);
  EXPECT_EQ(state.toast->text.rfind("Couldn't save: ", 0), 0u) << state.toast->text;
  EXPECT_NE(state.toast->text.find(" · Imported “Trip”"), std::string::npos) << state.toast->text;
  // Both toasts were raised: the save failure first, then the import notice.
  EXPECT_GE(std::count_if(platform.timers.begin(), platform.timers.end(),
                          [](const auto& t) { return t.first == app::TimerId::toast; }),
            2);
}

}  // namespace
