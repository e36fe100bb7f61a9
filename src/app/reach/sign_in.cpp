#include "app/reach/sign_in.h"

#include <algorithm>

#include "app/bundles/review.h"
#include "app/opening/open.h"
#include "app/reach/sign_in_host.h"
#include "app/state/app_state.h"
#include "lang/lang.h"

namespace app {

bool run_value_wanted(const bundle::Store& store, bool keep_in_notification_area) {
  if (keep_in_notification_area) return true;
  return std::any_of(store.bundles.begin(), store.bundles.end(),
                     [](const bundle::Bundle& bundle) { return bundle.at_sign_in; });
}

std::string run_value_data(std::string_view program) {
  // Appended one by one: GCC 12 warns falsely (-Wrestrict) about the chain of +.
  std::string data;
  data.reserve(program.size() + kSignInSwitch.size() + 3);
  data.append("\"").append(program).append("\" ").append(kSignInSwitch);
  return data;
}

RunValueChange run_value_change(const std::optional<std::string>& current, bool wanted, std::string_view data) {
  if (!wanted) return current ? RunValueChange::remove : RunValueChange::none;
  // Another copy of tolvik (moved, or installed elsewhere) is replaced by this one.
  return current == data ? RunValueChange::none : RunValueChange::write;
}

void bring_run_value_up_to_date(AppState& state) {
  if (state.store_hold) return;
  const base::Status kept =
      state.platform.sign_in_host().keep_run_value(run_value_wanted(state.store, state.keep_in_notification_area));
  if (kept) {
    state.run_value_failure.reset();
    return;
  }
  state.run_value_failure = lang::fill(
      lang::text("Windows 가 로그인할 때 tolvik 을 시작하도록 바꾸지 못했습니다: {0}",
                 "Couldn't change whether Windows starts tolvik when you sign in: {0}"),
      {kept.error().text});
}

std::vector<std::string> sign_in_marks(const bundle::Store& store) {
  std::vector<std::string> marked;
  for (const bundle::Bundle& bundle : store.bundles) {
    if (bundle.at_sign_in) marked.push_back(bundle.id);
  }
  return marked;
}

bool startup_turned_off(std::span<const std::uint8_t> approved) {
  return !approved.empty() && (approved.front() & 1u) != 0;
}

namespace {

double wait_of(const bundle::Bundle& bundle) {
  // The stored wait is checked when read; a value out of range is no reason
  // to wait for ever.
  return std::clamp(bundle.sign_in_delay, 0.0, bundle::kMaxSignInDelaySeconds);
}

}  // namespace

std::vector<const bundle::Bundle*> sign_in_order(const bundle::Store& store) {
  std::vector<const bundle::Bundle*> order;
  for (const bundle::Bundle& bundle : store.bundles) {
    if (bundle.at_sign_in && !bundle.items.empty()) order.push_back(&bundle);
  }
  // Each wait counts from sign-in, so a short wait after a long one is not
  // made longer by it.
  std::stable_sort(order.begin(), order.end(),
                   [](const bundle::Bundle* a, const bundle::Bundle* b) { return wait_of(*a) < wait_of(*b); });
  return order;
}

std::optional<std::string> open_at_sign_in(const base::Result<bundle::Store>& loaded, Opener& opener,
                                           const WaitUntil& wait_until, const RecordOpening& record) {
  if (!loaded) return unreadable_bundles_text(loaded.error(), "\n\n");
  std::vector<std::string> notes;
  for (const bundle::Bundle* bundle : sign_in_order(*loaded)) {
    if (!unreviewed_items(bundle->items).empty()) {
      notes.push_back(lang::fill(
          lang::text("‘{0}’ 묶음은 열지 않았습니다. 파일에서 가져온 항목을 아직 확인하지 않았습니다. tolvik 에서 한 번 "
                     "열어 확인해 주세요.",
                     "“{0}” wasn't opened: it has items from a file that you haven't confirmed yet. Open it once in "
                     "tolvik to confirm them."),
          {bundle->name}));
      continue;
    }
    wait_until(wait_of(*bundle));
    const OpenResult result = open_items(bundle->items, opener);
    if (record) record(bundle->id, bundle->items, result);
    if (std::optional<std::string> message = windowless_open_message(*bundle, result)) notes.push_back(*message);
  }
  if (notes.empty()) return std::nullopt;
  std::string text(lang::text("로그인할 때 모두 열지는 못했습니다.", "Not everything opened when you signed in."));
  for (const std::string& note : notes) text += "\n\n" + note;
  return text;
}

}  // namespace app
