#include "app/updater/update_check.h"

#include "app/app_state.h"
#include "app/maker.h"
#include "app/startup.h"
#include "app/updater/version.h"
#include "lang/lang.h"

namespace app {

void check_for_updates(AppState& state, UpdateRequest request) {
  const bool by_user = request == UpdateRequest::by_user;
  if (by_user) show_toast(state, std::string(lang::text("업데이트 확인 중…", "Checking for updates…")));
  base::Status started = state.platform.start_update_check(by_user);
  if (!started && by_user) show_toast(state, started.error().text);
}

bool check_for_updates_daily(AppState& state, std::uint64_t now) {
  const std::optional<std::string> last = state.platform.read_setting_text("LastUpdateCheck");
  if (!update_check_due(state.platform.read_setting_number("AutoUpdate"), last, now)) return false;
  // Stored before the check begins, whether or not it succeeds.
  state.platform.write_setting_text("LastUpdateCheck", std::to_string(now));
  check_for_updates(state, UpdateRequest::daily);
  return true;
}

std::variant<UpToDate, UpdateOffer, UpdateFailure> answer_from_manifest(std::string_view text,
                                                                         std::string_view current) {
  base::Result<UpdateOffer> offer = parse_manifest(text);
  if (!offer) return UpdateFailure{offer.error().text};
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
  UpdateOffer offer = std::get<UpdateOffer>(std::move(result.outcome));
  // The question runs a modal loop: nothing of the state is held across it.
  if (!state.platform.offer_update(update_question(offer.version, maker::kVersion))) return;
  start_update(state, std::move(offer));
}

void start_update(AppState& state, UpdateOffer offer) {
  show_toast(state, std::string(lang::text("업데이트 받는 중…", "Downloading update…")));
  if (base::Status started = state.platform.start_update_download(std::move(offer)); !started) {
    show_toast(state, started.error().text);
  }
}

void on_installer_ready(AppState& state, InstallResult result) {
  if (auto* failure = std::get_if<UpdateFailure>(&result.outcome)) {
    show_toast(state, std::move(failure->text));
    return;
  }
  // An installer that cannot be started leaves the program running, silently.
  if (state.platform.start_installer(std::get<VerifiedInstaller>(result.outcome))) state.platform.close_window_now();
}

}  // namespace app
