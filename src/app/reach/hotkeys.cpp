#include "app/reach/hotkeys.h"

#include <algorithm>
#include <utility>

#include "app/bundles/select.h"
#include "app/opening/item_options.h"
#include "app/opening/open.h"
#include "app/reach/notification_area.h"
#include "app/state/app_state.h"
#include "app/state/bundle_lookup.h"
#include "app/state/toast.h"
#include "app/view/selection.h"
#include "base/unicode.h"
#include "lang/lang.h"

namespace app {
namespace {

// The bundles that should hold a key: each bundle with one, except a later
// bundle whose key an earlier one has (as when the store is read).
std::vector<std::pair<std::string, bundle::Hotkey>> wanted_hotkeys(const bundle::Store& store) {
  std::vector<std::pair<std::string, bundle::Hotkey>> wanted;
  for (const bundle::Bundle& b : store.bundles) {
    if (!b.hotkey || !bundle::is_usable_hotkey(*b.hotkey)) continue;
    const bool taken = std::any_of(wanted.begin(), wanted.end(), [&b](const auto& w) { return w.second == *b.hotkey; });
    if (!taken) wanted.emplace_back(b.id, *b.hotkey);
  }
  return wanted;
}

}  // namespace

HotkeyChanges hotkey_changes(const std::vector<HotkeyRegistration>& registered, const bundle::Store& store) {
  const auto wanted = wanted_hotkeys(store);
  HotkeyChanges changes;
  for (const HotkeyRegistration& r : registered) {
    const bool kept = std::any_of(wanted.begin(), wanted.end(), [&r](const auto& w) {
      return w.first == r.bundle_id && w.second == r.hotkey;
    });
    if (!kept) changes.unregister.push_back(r.bundle_id);
  }
  for (const auto& [id, hotkey] : wanted) {
    const HotkeyRegistration* now = registration_of(registered, id);
    if (!now || now->hotkey != hotkey) changes.add.emplace_back(id, hotkey);
  }
  return changes;
}

void sync_hotkeys(AppState& state) {
  const HotkeyChanges changes = hotkey_changes(state.platform.hotkey_host().hotkey_registrations(), state.store);
  for (const std::string& id : changes.unregister) state.platform.hotkey_host().unregister_hotkey(id);
  for (const auto& [id, hotkey] : changes.add) state.platform.hotkey_host().register_hotkey(id, hotkey);
}

std::string hotkey_dialog_title(std::string_view bundle_name) {
  return lang::fill(lang::text("‘{0}’ 단축키", "Hotkey for “{0}”"), {std::string(bundle_name)});
}

HotkeyDialogInput hotkey_dialog_input(const bundle::Store& store, std::size_t index) {
  const bundle::Bundle& shown = store.bundles[index];
  HotkeyDialogInput input{shown.name, shown.hotkey, shown.sign_in_delay, {}};
  for (const bundle::Bundle& b : store.bundles) {
    if (b.id != shown.id && b.hotkey) input.others.emplace_back(*b.hotkey, b.name);
  }
  return input;
}

base::Result<HotkeyChoice, HotkeyFormError> read_hotkey_form(const HotkeyForm& form, const HotkeyDialogInput& input,
                                                             std::string_view decimal) {
  HotkeyChoice choice;
  if (form.hotkey) {
    if (!bundle::is_usable_hotkey(*form.hotkey)) {
      return base::fail_with(HotkeyFormError{
          HotkeyField::hotkey, std::string(lang::text("단축키에는 Ctrl이나 Alt가 있어야 합니다.",
                                                      "A hotkey needs Ctrl or Alt with its key."))});
    }
    for (const auto& [hotkey, name] : input.others) {
      if (hotkey != *form.hotkey) continue;
      return base::fail_with(HotkeyFormError{
          HotkeyField::hotkey,
          lang::fill(lang::text("{0}은(는) 이미 ‘{1}’ 묶음의 단축키입니다.", "{0} is already the hotkey of “{1}”."),
                     {bundle::hotkey_text(*form.hotkey), name})});
    }
    choice.hotkey = form.hotkey;
  }
  if (!base::trim(form.delay).empty()) {
    const std::optional<double> seconds = parse_seconds(form.delay, decimal);
    if (!seconds || *seconds < 0 || *seconds > bundle::kMaxSignInDelaySeconds) {
      return base::fail_with(HotkeyFormError{HotkeyField::delay, seconds_range_text(0, bundle::kMaxSignInDelaySeconds)});
    }
    choice.sign_in_delay = *seconds;
  }
  return choice;
}

void edit_bundle_hotkey(AppState& state, std::size_t index) {
  if (index >= state.store.bundles.size()) return;
  // The dialog runs a modal loop: the bundle is found again by its id afterwards.
  const std::string id = state.store.bundles[index].id;
  const HotkeyDialogInput input = hotkey_dialog_input(state.store, index);
  const std::optional<HotkeyChoice> chosen = state.platform.hotkey_host().edit_bundle_hotkey(input);
  if (chosen) apply_bundle_hotkey(state, id, *chosen);
}

namespace {

// Hotkeys work only while tolvik runs; the first one a user gives a bundle is
// the moment to offer keeping it running once its window is closed.
void offer_notification_area(AppState& state, bool first_hotkey) {
  if (!first_hotkey || state.keep_in_notification_area) return;
  if (state.platform.ask_yes_no(lang::text(
          "단축키는 tolvik이 실행 중일 때만 작동합니다. 창을 닫은 뒤에도 tolvik을 알림 영역에서 계속 실행할까요?",
          "Hotkeys work only while tolvik runs. Keep tolvik running in the notification area when its window is "
          "closed?"))) {
    toggle_keep_in_notification_area(state);
  }
}

}  // namespace

void apply_bundle_hotkey(AppState& state, std::string_view bundle_id, const HotkeyChoice& choice) {
  std::optional<std::size_t> position = find_bundle(state, bundle_id);
  if (!position) return;
  bundle::Bundle& b = state.store.bundles[*position];
  // Another bundle may have taken the key while the dialog was up.
  if (choice.hotkey && std::any_of(state.store.bundles.begin(), state.store.bundles.end(), [&](const bundle::Bundle& o) {
        return o.id != bundle_id && o.hotkey == choice.hotkey;
      })) {
    return;
  }
  if (b.hotkey == choice.hotkey && b.sign_in_delay == choice.sign_in_delay) return;
  const bool first_hotkey = choice.hotkey && std::none_of(state.store.bundles.begin(), state.store.bundles.end(),
                                                          [](const bundle::Bundle& o) { return o.hotkey.has_value(); });
  ChangedHotkey undo{b.id, std::exchange(b.hotkey, choice.hotkey), std::exchange(b.sign_in_delay, choice.sign_in_delay)};
  const std::string name = b.name;
  save_store(state);  // registers the keys again
  show_undo_toast(state, std::move(undo),
                  lang::fill(lang::text("‘{0}’ 묶음의 단축키를 바꿨습니다", "Changed the hotkey of “{0}”"), {name}));
  if (!choice.hotkey) return;
  offer_notification_area(state, first_hotkey);
  const std::vector<HotkeyRegistration> registered = state.platform.hotkey_host().hotkey_registrations();
  const HotkeyRegistration* r = registration_of(registered, bundle_id);
  if (r && !r->held) {
    state.platform.show_information(
        lang::fill(lang::text("{0}은(는) 다른 프로그램이 쓰고 있어 지금은 쓸 수 없습니다. 묶음은 이 단축키를 "
                              "그대로 두고, tolvik을 다음에 시작할 때 다시 시도합니다.",
                              "{0} is used by another program, so it does not work for now. The bundle keeps it, and "
                              "tolvik tries it again when it next starts."),
                   {bundle::hotkey_text(*choice.hotkey)}),
        hotkey_dialog_title(name));
  }
}

void on_hotkey_pressed(AppState& state, std::string_view bundle_id) {
  const std::optional<std::size_t> position = find_bundle(state, bundle_id);
  if (!position) return;
  if (state.opening) {
    const std::optional<std::size_t> opening = find_bundle(state, state.opening->bundle_id);
    const std::string& name = state.store.bundles[opening.value_or(*position)].name;
    show_toast(state, lang::fill(lang::text("‘{0}’ 묶음을 아직 여는 중입니다", "“{0}” is still opening"), {name}));
    return;
  }
  // The bundle opening is the one the view shows, with its Stop button.
  select_bundle(state, *position);
  open_bundle(state, *position);
}

}  // namespace app
