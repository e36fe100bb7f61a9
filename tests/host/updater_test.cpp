#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <variant>

#include "app/bundles/edit_commit.h"
#include "app/input/menus.h"
#include "app/state/app_state.h"
#include "app/state/maker.h"
#include "app/updater/installer_check.h"
#include "app/updater/manifest.h"
#include "app/updater/manifest_check.h"
#include "app/updater/update_check.h"
#include "app/updater/update_files.h"
#include "app/updater/version.h"
#include "base/digest.h"
#include "store_fixture.h"
#include "temp_dir.h"

namespace {

constexpr char kAbcDigest[] = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
constexpr char kEmptyDigest[] = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";

std::string manifest(const std::string& version, const std::string& url = "https://u.example/s.exe",
                     const std::string& sha256 = kAbcDigest, const std::string& extra = "") {
  return R"({"version":")" + version + R"(","url":")" + url + R"(","sha256":")" + sha256 + "\"" + extra + "}";
}

bool is_manifest_failure(const base::Result<app::UpdateOffer>& parsed) {
  return !parsed && parsed.error().text == "manifest";
}

TEST(UpdateManifest, ReadsAValidManifest) {
  const auto offer = app::parse_manifest(manifest("0.2.10", "https://u.example/s.exe", kAbcDigest,
                                                  R"(,"size":1234,"notes":[1,2])"));
  ASSERT_TRUE(offer);
  EXPECT_EQ(*offer, (app::UpdateOffer{"0.2.10", "https://u.example/s.exe", kAbcDigest, 1234}));
  // White space may surround the object.
  EXPECT_TRUE(app::parse_manifest(" \n" + manifest("1") + "\r\n\t "));
}

TEST(UpdateManifest, VersionIsOneToThirtyTwoDigitsAndDots) {
  EXPECT_TRUE(app::parse_manifest(manifest(std::string(32, '1'))));
  EXPECT_TRUE(is_manifest_failure(app::parse_manifest(manifest(std::string(33, '1')))));
  for (const char* bad : {"", "0.1.1a", "v0.2", "0.2 ", "-1", "0,2"}) {
    EXPECT_TRUE(is_manifest_failure(app::parse_manifest(manifest(bad)))) << bad;
  }
  EXPECT_TRUE(is_manifest_failure(app::parse_manifest(R"({"version":2,"url":"https://a/","sha256":")" +
                                                      std::string(kAbcDigest) + "\"}")));
}

TEST(UpdateManifest, UrlMustBeginWithHttpsInLowerCase) {
  EXPECT_TRUE(is_manifest_failure(app::parse_manifest(manifest("0.2", "http://u.example/s.exe"))));
  EXPECT_TRUE(is_manifest_failure(app::parse_manifest(manifest("0.2", "HTTPS://u.example/s.exe"))));
  EXPECT_TRUE(is_manifest_failure(app::parse_manifest(manifest("0.2", " https://u.example/s.exe"))));
  EXPECT_TRUE(is_manifest_failure(app::parse_manifest(manifest("0.2", "https://"))));
  EXPECT_TRUE(app::parse_manifest(manifest("0.2", "https://u")));
}

TEST(UpdateManifest, UrlHoldsNoWhiteSpaceQuotesOrControlCharacters) {
  // Written as JSON escapes: each arrives in the address as the character it stands for.
  for (const char* bad : {"https://u.example/a b.exe", "https://u.example/a\\tb.exe", "https://u.example/a\\n",
                          "https://u.example/a\\\"b.exe", "https://u.example/a'b.exe", "https://u.example/\\u0000",
                          "https://u.example/a\\u0001b", "https://u.example/a\\u001fb", "https://u.example/\\u007f",
                          "https://u.example/a\\u00a0b", "https://u.example/a\\u3000b", "https:// u.example/"}) {
    EXPECT_TRUE(is_manifest_failure(app::parse_manifest(manifest("0.2", bad)))) << bad;
  }
  // What curl would expand without --globoff, and letters of other scripts, are addresses like any other.
  for (const char* good : {"https://u.example/s[1-9]{a,b}.exe", "https://u.example/\\u00e9t\\u00e9.exe",
                           "https://u.example/a%20b.exe?x=1&y=~"}) {
    EXPECT_TRUE(app::parse_manifest(manifest("0.2", good))) << good;
  }
}

TEST(UpdateManifest, DigestIsLowerCasedAndMustBeSixtyFourHexDigits) {
  std::string upper = kAbcDigest;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const auto offer = app::parse_manifest(manifest("0.2", "https://u.example/s.exe", upper));
  ASSERT_TRUE(offer);
  EXPECT_EQ(offer->sha256, kAbcDigest);
  const std::string almost = std::string(kAbcDigest).substr(0, 63);
  for (const std::string& bad : {std::string(), almost, almost + "g", almost + "dd", std::string(64, ' ')}) {
    EXPECT_TRUE(is_manifest_failure(app::parse_manifest(manifest("0.2", "https://u.example/s.exe", bad)))) << bad;
  }
}

TEST(UpdateManifest, SizeCountsOnlyAsANonNegativeInteger) {
  const std::pair<const char*, std::uint64_t> cases[] = {
      {R"(,"size":"1234")", 0},       {R"(,"size":-5)", 0},      {R"(,"size":12.5)", 0},
      {R"(,"size":null)", 0},         {R"(,"size":[7])", 0},     {R"(,"size":0)", 0},
      {R"(,"size":1073741824)", 1073741824u}, {R"(,"size":1e3)", 0},
      {R"(,"size":18446744073709551616)", 0},
  };
  for (const auto& [member, expected] : cases) {
    const auto offer = app::parse_manifest(manifest("0.2", "https://u.example/s.exe", kAbcDigest, member));
    ASSERT_TRUE(offer) << member;
    EXPECT_EQ(offer->size, expected) << member;
  }
}

TEST(UpdateManifest, ASizeOverTheInstallerLimitIsBroken) {
  EXPECT_EQ(app::kInstallerMaxBytes, 1073741824u);
  for (const char* member : {R"(,"size":1073741825)", R"(,"size":18446744073709551615)"}) {
    const auto parsed = app::parse_manifest(manifest("0.2", "https://u.example/s.exe", kAbcDigest, member));
    EXPECT_TRUE(is_manifest_failure(parsed)) << member;
  }
}

TEST(UpdateManifest, AnythingButOneObjectIsBroken) {
  for (const std::string& bad :
       {std::string(), std::string("[]"), std::string("\"x\""), manifest("0.2") + " x", manifest("0.2") + "{}",
        manifest("0.2").substr(1), std::string(R"({"url":"https://a/","sha256":")") + kAbcDigest + "\"}",
        std::string(R"({"version":"1","sha256":")") + kAbcDigest + "\"}",
        std::string(R"({"version":"1","url":"https://a/"})")}) {
    EXPECT_TRUE(is_manifest_failure(app::parse_manifest(bad))) << bad;
  }
}

TEST(UpdateManifest, AddressCarriesVersionAndLanguage) {
  EXPECT_EQ(app::manifest_address("https://updates.example/", "0.1.0", "ko"),
            "https://updates.example/tolvik/update.json?v=0.1.0&lang=ko");
  EXPECT_EQ(app::manifest_address("https://u.example", "0.1.0", "zh-Hans"),
            "https://u.example/tolvik/update.json?v=0.1.0&lang=zh-Hans");
  EXPECT_EQ(app::manifest_address(app::maker::kUpdateServer, app::maker::kVersion, "en"),
            std::string(app::maker::kUpdateServer) + "tolvik/update.json?v=" + std::string(app::maker::kVersion) +
                "&lang=en");
}

TEST(UpdateVersions, ComparesPartByPartWithZerosPadded) {
  EXPECT_EQ(app::compare_versions("0.1.0", "0.1.0"), 0);
  EXPECT_EQ(app::compare_versions("0.1", "0.1.0.0"), 0);
  EXPECT_GT(app::compare_versions("0.1.1", "0.1.0"), 0);
  EXPECT_GT(app::compare_versions("0.2", "0.1.0"), 0);
  EXPECT_GT(app::compare_versions("1", "0.1.0"), 0);
  EXPECT_LT(app::compare_versions("0.0.9", "0.1.0"), 0);
  EXPECT_GT(app::compare_versions("0.10", "0.9"), 0);  // numbers, not text
}

TEST(UpdateVersions, PartsThatAreNoNumbersCountAsZero) {
  EXPECT_EQ(app::version_parts(" v1.2.3\t"), (std::vector<std::uint32_t>{1, 2, 3}));
  EXPECT_EQ(app::version_parts("vv1"), (std::vector<std::uint32_t>{0}));
  EXPECT_EQ(app::version_parts("1..x.4294967295.4294967296"), (std::vector<std::uint32_t>{1, 0, 0, 4294967295u, 0}));
  EXPECT_EQ(app::version_parts(""), (std::vector<std::uint32_t>{0}));
  EXPECT_EQ(app::compare_versions("v0.2", "0.1.0"), 1);
  EXPECT_EQ(app::compare_versions("0.99999999999", "0.0"), 0);  // too large: 0
}

TEST(UpdateCheckAnswer, FromTheManifestText) {
  using app::answer_from_manifest;
  EXPECT_TRUE(std::holds_alternative<app::UpToDate>(answer_from_manifest(manifest("0.1.0"), "0.1.0")));
  EXPECT_TRUE(std::holds_alternative<app::UpToDate>(answer_from_manifest(manifest("0.0.9"), "0.1.0")));
  for (const char* newer : {"0.1.1", "0.2", "1"}) {
    const auto answer = answer_from_manifest(manifest(newer), "0.1.0");
    ASSERT_TRUE(std::holds_alternative<app::UpdateOffer>(answer)) << newer;
    EXPECT_EQ(std::get<app::UpdateOffer>(answer).version, newer);
  }
  const auto broken = answer_from_manifest(manifest("0.2", "http://u.example/"), "0.1.0");
  ASSERT_TRUE(std::holds_alternative<app::UpdateFailure>(broken));
  EXPECT_EQ(std::get<app::UpdateFailure>(broken).text, "The update information could not be read");
}

TEST(UpdateDigest, Sha256OfKnownVectors) {
  EXPECT_EQ(base::sha256_hex("").value(), kEmptyDigest);
  EXPECT_EQ(base::sha256_hex("abc").value(), kAbcDigest);
  EXPECT_EQ(base::sha256_hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq").value(),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(base::sha256_hex(std::string(1000000, 'a')).value(),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(UpdateInstallerBytes, SizeThenDigest) {
  const app::UpdateOffer sized{"0.2", "https://u/", kAbcDigest, 3};
  EXPECT_EQ(app::installer_bytes_failure("abc", sized), std::nullopt);
  EXPECT_EQ(app::installer_bytes_failure("abcd", sized), "Downloaded size mismatch");
  // Size 0 skips the size test; the digest still counts.
  const app::UpdateOffer unsized{"0.2", "https://u/", kAbcDigest, 0};
  EXPECT_EQ(app::installer_bytes_failure("abc", unsized), std::nullopt);
  EXPECT_EQ(app::installer_bytes_failure("abd", unsized), "Downloaded file is corrupt (hash mismatch)");
  EXPECT_EQ(app::installer_bytes_failure("abd", sized), "Downloaded file is corrupt (hash mismatch)");
  EXPECT_EQ(app::installer_bytes_failure("", app::UpdateOffer{"0.2", "https://u/", "", 0}),
            "Downloaded file is corrupt (hash mismatch)");
}

TEST(UpdateInstallerRecord, OnlyTheOfferedTolvikNewerThanTheRunningOnePasses) {
  const app::UpdateOffer offer{"0.1.1", "https://u/", kAbcDigest, 3};
  const std::string refused = "The installer's digital signature could not be verified";
  auto failure = [&](std::string product, std::string version, std::string_view current = "0.1.0") {
    return app::installer_record_failure({std::move(product), std::move(version)}, offer, current);
  };
  EXPECT_EQ(failure("tolvik", "0.1.1.0"), std::nullopt);  // missing parts count as 0
  EXPECT_EQ(failure("tolvik", "0.1.0.0"), refused);        // the running version
  EXPECT_EQ(failure("tolvik", "0.0.9.0"), refused);        // a downgrade
  EXPECT_EQ(failure("tolvik", "0.1.2.0"), refused);        // newer, but not what was offered
  EXPECT_EQ(failure("Tolvik", "0.1.1.0"), refused);        // the name letter for letter
  EXPECT_EQ(failure("Velmora Notes", "0.1.1.0"), refused);
  EXPECT_EQ(failure("", "0.1.1.0"), refused);
  // An offer no newer than the running program is refused even if it matches.
  EXPECT_EQ(failure("tolvik", "0.1.1.0", "0.1.1"), refused);
}

TEST(UpdateFiles, Names) {
  EXPECT_EQ(app::update_work_folder("/tmp"), "/tmp/tolvik");
  EXPECT_EQ(app::installer_file_name("0.1.1"), "tolvik-Setup-0.1.1.exe");
  EXPECT_EQ(app::download_file_name("tolvik-Setup-0.1.1.exe", 42, 7), "tolvik-Setup-0.1.1.exe.42-7.part");
  EXPECT_EQ(app::manifest_file_name(42, 8), "update-42-8.json");
  const std::uint64_t first = app::next_download_serial();
  EXPECT_NE(app::next_download_serial(), first);
}

class UpdateFlow : public testing_support::StoreFixture {
 protected:
  app::UpdateOffer offer{"0.1.1", "https://u.example/tolvik-Setup-0.1.1.exe", kAbcDigest, 3};
};

TEST_F(UpdateFlow, DailyCheckStoresItsStartAndHonoursTheSettings) {
  const std::uint64_t now = 1'800'000'000;
  EXPECT_TRUE(app::check_for_updates_daily(state, now));
  EXPECT_EQ(platform.settings.at("LastUpdateCheck"), "1800000000");
  EXPECT_EQ(platform.shell_calls, (std::vector<std::string>{"update:daily"}));
  EXPECT_TRUE(toasts.empty());  // silent

  // Less than a day later, and with the clock set back by less than a day: nothing.
  EXPECT_FALSE(app::check_for_updates_daily(state, now + 86399));
  EXPECT_FALSE(app::check_for_updates_daily(state, now - 80000));
  EXPECT_EQ(platform.settings.at("LastUpdateCheck"), "1800000000");
  EXPECT_TRUE(app::check_for_updates_daily(state, now + 86400));
  EXPECT_EQ(platform.settings.at("LastUpdateCheck"), "1800086400");
  // The stored time was written by a clock that ran days ahead: the check is
  // due now, and the time is rewritten so that the next one comes a day later.
  EXPECT_TRUE(app::check_for_updates_daily(state, now - 100000));
  EXPECT_EQ(platform.settings.at("LastUpdateCheck"), "1799900000");
  EXPECT_FALSE(app::check_for_updates_daily(state, now - 100000 + 3600));

  platform.numbers["AutoUpdate"] = 0;
  EXPECT_FALSE(app::check_for_updates_daily(state, now + 10 * 86400));
  EXPECT_EQ(platform.shell_calls.size(), 3u);
}

TEST_F(UpdateFlow, ManualCheckSaysSoAndLeavesTheDailyTimeAlone) {
  app::check_for_updates(state, app::UpdateRequest::by_user);
  EXPECT_EQ(platform.shell_calls, (std::vector<std::string>{"update:user"}));
  EXPECT_EQ(toasts, (std::vector<std::string>{"Checking for updates…"}));
  EXPECT_EQ(platform.settings.count("LastUpdateCheck"), 0u);
}

TEST_F(UpdateFlow, ResultsOfAManualCheckAreToastsAndAutomaticOnesAreSilent) {
  app::on_update_checked(state, {app::UpToDate{}, true});
  app::on_update_checked(state, {app::UpdateFailure{"manifest"}, true});
  app::on_update_checked(state, {app::UpToDate{}, false});
  app::on_update_checked(state, {app::UpdateFailure{"Download failed"}, false});
  EXPECT_EQ(toasts, (std::vector<std::string>{"You're up to date (0.1.0)", "manifest"}));
  EXPECT_TRUE(platform.offers.empty());
}

TEST_F(UpdateFlow, AnOfferAsksAndYesStartsTheDownloadWithItsProgressOutOfTheToasts) {
  EXPECT_EQ(app::update_question("0.1.1", "0.1.0"), "A new version is available: 0.1.1\n(current 0.1.0)\n\nUpdate now?");
  platform.answers = {false, true};
  app::on_update_checked(state, {offer, false});
  EXPECT_TRUE(platform.downloads.empty());
  EXPECT_FALSE(state.update.busy());
  app::on_update_checked(state, {offer, false});
  ASSERT_EQ(platform.offers.size(), 2u);
  EXPECT_EQ(platform.offers[1], "A new version is available: 0.1.1\n(current 0.1.0)\n\nUpdate now?");
  EXPECT_EQ(platform.downloads, (std::vector<app::UpdateOffer>{offer}));
  // The download shows on the taskbar and in the menu, never as a toast.
  EXPECT_TRUE(toasts.empty());
  app::on_download_progress(state, 1);
  EXPECT_EQ(platform.taskbar_progress, (std::vector<std::pair<std::uint64_t, std::uint64_t>>{{0, 3}, {1, 3}}));
  const std::vector<app::MenuEntry> menu = app::settings_menu(std::nullopt, std::nullopt, state.update);
  const auto entry = std::find_if(menu.begin(), menu.end(), [](const app::MenuEntry& e) {
    return e.id == static_cast<int>(app::SettingsCommand::check_updates);
  });
  ASSERT_NE(entry, menu.end());
  EXPECT_EQ(entry->label, "Downloading update… 33%");
  EXPECT_FALSE(entry->enabled);

  // Meanwhile no second offer opens, and no check starts, by the user or daily.
  app::on_update_checked(state, {offer, false});
  app::check_for_updates(state, app::UpdateRequest::by_user);
  EXPECT_FALSE(app::check_for_updates_daily(state, 1'900'000'000));
  EXPECT_EQ(platform.offers.size(), 2u);
  EXPECT_TRUE(platform.shell_calls.empty());

  // Its end, however it ends, frees the way for the next.
  app::on_installer_ready(state, {app::UpdateFailure{"Download failed"}});
  EXPECT_FALSE(state.update.busy());
  EXPECT_EQ(platform.taskbar_progress.back(), (std::pair<std::uint64_t, std::uint64_t>{0, 0}));
  EXPECT_EQ(app::settings_menu(std::nullopt, std::nullopt, state.update)[5].label, "Check for updates");

  platform.download_start_error = "no thread";
  app::start_update(state, offer);
  EXPECT_EQ(toasts.back(), "no thread");
  EXPECT_FALSE(state.update.busy());
}

TEST_F(UpdateFlow, WhileAnOfferIsAnsweredAnotherIsDropped) {
  // The question's modal loop handles messages: a second check's offer
  // arriving meanwhile must not ask again.
  bool nested_asked = false;
  platform.answers = {false};
  platform.on_offer = [&] {
    const std::size_t before = platform.offers.size();
    app::on_update_checked(state, {offer, true});
    nested_asked = platform.offers.size() != before;
  };
  app::on_update_checked(state, {offer, false});
  EXPECT_FALSE(nested_asked);
  EXPECT_EQ(platform.offers.size(), 1u);
  EXPECT_FALSE(state.update.busy());
}

TEST_F(UpdateFlow, AVerifiedInstallerStartsAndClosesTheWindowAsTheUserWould) {
  app::on_installer_ready(state, {app::UpdateFailure{"Downloaded size mismatch"}});
  EXPECT_EQ(toasts, (std::vector<std::string>{"Downloaded size mismatch"}));
  EXPECT_TRUE(platform.installers.empty());

  // A rename typed while the installer downloaded is kept.
  state.store.bundles = {bundle::Bundle{"b1", "Work", {}}};
  app::begin_edit(state, {app::EditMode::bundle_name, "b1"}, "Work", "Bundle name");
  platform.edit_field_text = "Month-end";
  app::on_installer_ready(state, {app::VerifiedInstaller{"C:\\t\\tolvik-Setup-0.1.1.exe", nullptr}});
  EXPECT_EQ(platform.installers, (std::vector<std::string>{"C:\\t\\tolvik-Setup-0.1.1.exe"}));
  EXPECT_EQ(platform.window_closes, 1);
  EXPECT_FALSE(state.edit);
  EXPECT_EQ(state.store.bundles[0].name, "Month-end");

  // An installer that does not start says so, with the system's text, and
  // the program stays.
  platform.installer_starts = false;
  app::on_installer_ready(state, {app::VerifiedInstaller{"C:\\t\\x.exe", nullptr}});
  EXPECT_EQ(platform.window_closes, 1);
  EXPECT_EQ(toasts.back(), "The update couldn't be started (The system cannot find the file specified.)");
}

TEST(UpdateMailboxes, ANewResultReplacesAnUntakenOne) {
  app::update_checks().put({app::UpToDate{}, false});
  app::update_checks().put({app::UpdateFailure{"second"}, true});
  auto taken = app::update_checks().take();
  ASSERT_TRUE(taken);
  EXPECT_TRUE(taken->manual);
  EXPECT_EQ(std::get<app::UpdateFailure>(taken->outcome).text, "second");
  EXPECT_FALSE(app::update_checks().take());

  app::install_results().put({app::UpdateFailure{"x"}});
  EXPECT_TRUE(app::install_results().take());
  EXPECT_FALSE(app::install_results().take());
}

}  // namespace

namespace {

// A downloader that writes a given answer, or fails with a text.
struct FakeDownload {
  std::optional<std::string> body;
  std::string failure = "Download failed";
  std::vector<std::pair<std::string, std::string>> calls;  // url, path

  app::Downloader function() {
    return [this](const app::DownloadRequest& request) -> base::Status {
      const std::string& path = request.path;
      calls.emplace_back(request.url, path);
      if (!body) return base::fail(failure);
      std::ofstream(path, std::ios::binary) << *body;
      return {};
    };
  }
};

class ManifestCheck : public ::testing::Test {
 protected:
  testing_support::TempDir temp;
  std::string folder = app::update_work_folder(temp.path());
  FakeDownload fake;

  app::CheckResult check(bool manual = true) {
    return app::check_manifest(fake.function(), folder, "https://u.example/tolvik/update.json?v=0.1.0&lang=en",
                               "0.1.0", manual);
  }
  bool folder_is_empty() const { return std::filesystem::is_empty(folder); }
};

TEST_F(ManifestCheck, DownloadsIntoTheWorkFolderAndDeletesTheManifest) {
  fake.body = manifest("0.1.1", "https://u.example/s.exe", kAbcDigest, R"(,"size":"3")");
  const app::CheckResult result = check(false);
  ASSERT_EQ(fake.calls.size(), 1u);
  EXPECT_EQ(fake.calls[0].first, "https://u.example/tolvik/update.json?v=0.1.0&lang=en");
  EXPECT_EQ(std::filesystem::path(fake.calls[0].second).parent_path(), std::filesystem::path(folder));
  EXPECT_FALSE(result.manual);
  ASSERT_TRUE(std::holds_alternative<app::UpdateOffer>(result.outcome));
  EXPECT_EQ(std::get<app::UpdateOffer>(result.outcome),
            (app::UpdateOffer{"0.1.1", "https://u.example/s.exe", kAbcDigest, 0}));
  EXPECT_TRUE(folder_is_empty());

  // Each check has a file of its own.
  fake.body = manifest("0.1.0");
  EXPECT_TRUE(std::holds_alternative<app::UpToDate>(check().outcome));
  EXPECT_NE(fake.calls[1].second, fake.calls[0].second);
}

TEST_F(ManifestCheck, FailuresCarryTheirTexts) {
  app::CheckResult failed = check();
  EXPECT_TRUE(failed.manual);
  EXPECT_EQ(std::get<app::UpdateFailure>(failed.outcome).text, "Download failed");

  // Broken, not UTF-8, larger than a manifest may be: one text for the user,
  // never the reader's own (which would speak of saving).
  const std::string unreadable = "The update information could not be read";
  fake.body = manifest("0.2") + " trailing";
  EXPECT_EQ(std::get<app::UpdateFailure>(check().outcome).text, unreadable);
  fake.body = "\xff\xfe{}";
  EXPECT_EQ(std::get<app::UpdateFailure>(check().outcome).text, unreadable);
  fake.body = manifest("0.2") + std::string(app::kManifestMaxBytes, ' ');
  EXPECT_EQ(std::get<app::UpdateFailure>(check().outcome).text, unreadable);
  EXPECT_TRUE(folder_is_empty());
}

}  // namespace
