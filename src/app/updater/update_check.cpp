#include "app/updater/update_check.h"

#include "app/bundles/edit_commit.h"
#include "app/reach/startup.h"
#include "app/state/app_state.h"
#include "app/state/maker.h"
#include "app/updater/update_host.h"
#include "app/updater/version.h"
#include "lang/lang.h"

namespace app {

void check_for_updates(AppState& state, UpdateRequest request) {
  if (state.update.busy()) return;  // the menu shows the download meanwhile
  const bool by_user = request == UpdateRequest::by_user;
  if (by_user) show_toast(state, std::string(lang::text("업데이트 확인 중…", "Checking for updates…")));
  base::Status started = state.platform.update_host().start_update_check(by_user);
  if (!started && by_user) show_toast(state, started.error().text);
}

bool check_for_updates_daily(AppState& state, std::uint64_t now) {
  // While an update is offered or downloading, another check could only be
  // dropped; the rule is asked again later.
  if (state.update.busy()) return false;
  const std::optional<std::string> last = state.platform.read_setting_text("LastUpdateCheck");
  if (!update_check_due(state.platform.read_setting_number("AutoUpdate"), last, now)) return false;
  // Stored before the check begins, whether or not it succeeds. Unstored,
  // the next start checks again, which is all it costs.
  (void)state.platform.write_setting_text("LastUpdateCheck", std::to_string(now));
  check_for_updates(state, UpdateRequest::daily);
  return true;
}

std::string manifest_failure_text() {
  return std::string(lang::text("업데이트 정보를 읽을 수 없습니다", "The update information could not be read"));
}

std::variant<UpToDate, UpdateOffer, UpdateFailure> answer_from_manifest(std::string_view text,
                                                                         std::string_view current) {
  base::Result<UpdateOffer> offer = parse_manifest(text);
  if (!offer) return UpdateFailure{manifest_failure_text()};
  if (compare_versions(offer->version, current) <= 0) return UpToDate{};
  return std::move(offer).value();
}

std::string update_question(std::string_view offered, std::string_view current) {
  std::string text(lang::text("새 버전이 있습니다:", "A new version is available:"));
  text += ' ';
  text += offered;
  text += "\n(";
  text += lang::text("지금", "current");
  text += ' ';
  text += current;
  text += ")\n\n";
  text += lang::text("지금 업데이트할까요?", "Update now?");
  return text;
}

void on_update_checked(AppState& state, CheckResult result) {
  if (std::holds_alternative<UpToDate>(result.outcome)) {
    if (result.manual) {
      show_toast(state, std::string(lang::text("최신 버전입니다", "You're up to date")) + " (" +
                            std::string(maker::kVersion) + ")");
    }
    return;
  }
  if (auto* failure = std::get_if<UpdateFailure>(&result.outcome)) {
    if (result.manual) show_toast(state, std::move(failure->text));
    return;
  }
  // One update at a time: an offer while another is answered or downloading
  // is dropped (the next check finds it again).
  if (state.update.busy()) return;
  UpdateOffer offer = std::get<UpdateOffer>(std::move(result.outcome));
  // The question runs a modal loop: nothing of the state is held across it,
  // but its step says an offer is open to the messages handled meanwhile.
  state.update = {UpdateStage::Step::asking};
  const bool yes = state.platform.update_host().offer_update(update_question(offer.version, maker::kVersion));
  state.update = {};
  if (yes) start_update(state, std::move(offer));
}

std::string download_menu_text(const UpdateStage& stage) {
  const std::optional<int> percent = stage.percent();
  if (!percent) return std::string(lang::text("업데이트 받는 중…", "Downloading update…"));
  return lang::fill(lang::text("업데이트 받는 중… {0}%", "Downloading update… {0}%"), {std::to_string(*percent)});
}

void start_update(AppState& state, UpdateOffer offer) {
  // The progress shows on the taskbar button and in the settings menu, not
  // as a toast, so that an Undo or an opening's summary stays in view.
  state.update = {UpdateStage::Step::downloading, 0, offer.size};
  state.platform.update_host().show_download_progress(0, offer.size);
  if (base::Status started = state.platform.update_host().start_update_download(std::move(offer)); !started) {
    state.update = {};
    state.platform.update_host().hide_download_progress();
    show_toast(state, started.error().text);
  }
}

void on_download_progress(AppState& state, std::uint64_t received) {
  if (state.update.step != UpdateStage::Step::downloading) return;
  state.update.received = received;
  state.platform.update_host().show_download_progress(received, state.update.size);
}

void on_installer_ready(AppState& state, InstallResult result) {
  state.update = {};
  state.platform.update_host().hide_download_progress();
  if (auto* failure = std::get_if<UpdateFailure>(&result.outcome)) {
    show_toast(state, std::move(failure->text));
    return;
  }
  if (base::Status started = state.platform.update_host().start_installer(std::get<VerifiedInstaller>(result.outcome)); !started) {
    show_toast(state, lang::fill(lang::text("업데이트를 시작하지 못했습니다 ({0})", "The update couldn't be started ({0})"),
                                 {started.error().text}));
    return;
  }
  // The installer waits for this program to end. What closing keeps is kept
  // here too: the running edit and, on the platform's side, the placement.
  end_edit(state, true);
  state.platform.update_host().close_for_update();
}

}  // namespace app
