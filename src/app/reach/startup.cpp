#include "app/reach/startup.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "app/bundles/review.h"
#include "app/bundles/select.h"
#include "app/opening/open.h"
#include "app/opening/opening_record.h"
#include "app/state/app_state.h"
#include "app/state/bundle_lookup.h"
#include "app/state/load_bundles.h"
#include "app/view/selection.h"
#include "base/file.h"
#include "base/unicode.h"
#include "bundle/atomic_write.h"
#include "bundle/store_file.h"
#include "detect/path.h"
#include "gfx/view_scale.h"
#include "lang/lang.h"

namespace app {

StartPlan plan_start(const std::vector<std::string>& args) {
  StartPlan plan;
  // Only the opening starts the helper, always in this one form; nothing
  // else on such a line is acted on.
  if (args.size() >= 2 && args[1] == "--run-elevated") {
    if (args.size() >= 4 && !args[2].empty() && !args[3].empty()) {
      plan.run_elevated = ElevatedRun{args[2], args[3], args.size() >= 5 ? args[4] : std::string()};
    } else {
      plan.run_elevated = ElevatedRun{};
    }
    return plan;
  }
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--unregister") plan.unregister = true;
    if (arg == "--quit") plan.quit = true;
    if (base::ascii_iequals(arg, "--sign-in")) plan.sign_in = true;
    if (!plan.open_id && base::ascii_iequals(arg, "--open")) {
      plan.open_id = i + 1 < args.size() ? args[i + 1] : std::string();
    }
    if (!plan.close_id && base::ascii_iequals(arg, "--close")) {
      plan.close_id = i + 1 < args.size() ? args[i + 1] : std::string();
    }
    if (arg.rfind("--", 0) != 0 && detect::path_extension(arg) == "tolvik") plan.bundle_files.push_back(arg);
  }
  return plan;
}

// The first window's height is at most this share of the work area's.
constexpr float kFirstWindowHeightShare = 0.75f;

WindowBox centred_window(const Rect& work, std::uint32_t dpi) {
  const float scale = gfx::view_scale(gfx::window_dpi(dpi));
  WindowBox box;
  box.width = std::min(static_cast<std::int32_t>(kFirstWindowWidth * scale), work.width());
  box.height = static_cast<std::int32_t>(std::min(static_cast<float>(work.height()) * kFirstWindowHeightShare,
                                                  kFirstWindowHeight * scale));
  box.x = work.left + (work.width() - box.width) / 2;
  box.y = work.top + (work.height() - box.height) / 2;
  return box;
}

WindowSize minimum_window_size(std::uint32_t dpi, float text_scale) {
  const float scale = gfx::view_scale(gfx::window_dpi(dpi));
  const float grown = std::max(0.0f, text_scale - 1.0f);
  return {static_cast<std::int32_t>(std::ceil((kMinWindowWidth + grown * kMinWindowTextWidth) * scale)),
          static_cast<std::int32_t>(std::ceil((kMinWindowHeight + grown * kMinWindowTextHeight) * scale))};
}

std::optional<StoredPlacement> parse_placement(std::span<const std::uint8_t> bytes) {
  if (bytes.size() != kPlacementSize) return std::nullopt;
  auto field = [&bytes](std::size_t index) {
    const std::size_t at = index * 4;
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
  };
  auto signed_field = [&field](std::size_t index) { return static_cast<std::int32_t>(field(index)); };
  StoredPlacement p;
  p.length = field(0);
  p.flags = field(1);
  p.show_command = field(2);
  p.min_x = signed_field(3);
  p.min_y = signed_field(4);
  p.max_x = signed_field(5);
  p.max_y = signed_field(6);
  p.normal = Rect{signed_field(7), signed_field(8), signed_field(9), signed_field(10)};
  return p;
}

int show_command_after_restore(const StoredPlacement& placement) {
  // A window maximised and then minimised comes back maximised.
  const bool minimised_from_maximised =
      placement.show_command == kShowMinimized && (placement.flags & kRestoreToMaximized) != 0;
  return static_cast<int>(placement.show_command == kShowMaximized || minimised_from_maximised ? kShowMaximized
                                                                                              : kShowNormal);
}

std::string unreadable_bundles_text(const base::Error& error, std::string_view gap) {
  return std::string(lang::text("저장한 묶음을 읽을 수 없습니다.", "Couldn't read the saved bundles.")) +
         std::string(gap) + error.text;
}

std::string ambiguous_name_text(std::string_view name, const std::vector<std::string>& ids) {
  std::string listed;
  for (const std::string& id : ids) listed += (listed.empty() ? "" : ", ") + id;
  return lang::fill(lang::text("‘{0}’ 이름의 묶음이 여럿입니다. id 로 고르세요: {1}",
                               "More than one bundle is named “{0}”; give its id instead: {1}"),
                    {name, listed});
}

namespace {

// A Yes of the window-less open. When the store cannot be read or written, or
// the bundle changed meanwhile, nothing is kept and the next opening asks again.
void remember_review(const std::string& store_path, const bundle::Bundle& shown,
                     const std::vector<std::size_t>& positions) {
  LoadedBundles current = load_bundles(store_path);
  if (!current.bundles || !clear_review_marks(*current.bundles, shown.id, shown.items, positions)) return;
  (void)bundle::write_file_atomically(store_path, bundle::serialize_store(*current.bundles));
}

}  // namespace

std::optional<std::string> windowless_open(const base::Result<bundle::Store>& loaded, std::string_view id,
                                           Opener& opener, const AskYesNo& ask, const std::string& store_path,
                                           const RecordOpening& record) {
  if (!loaded) return unreadable_bundles_text(loaded.error(), "\n\n");
  const BundleMatch match = match_bundle(*loaded, id);
  if (match.ambiguous()) return ambiguous_name_text(id, match.same_name_ids);
  const bundle::Bundle* found = match.bundle;
  if (!found) {
    return lang::fill(lang::text("‘{0}’ 묶음을 찾을 수 없습니다. 지웠거나 다른 PC 에서 만든 바로 가기일 수 있습니다.",
                                 "Couldn't find the bundle “{0}”. It may have been deleted, or the shortcut was "
                                 "made on another PC."),
                      {id});
  }
  if (const std::vector<std::size_t> asked = unreviewed_items(found->items); !asked.empty()) {
    if (!ask(review_question(*found, asked))) return std::nullopt;
    remember_review(store_path, *found, asked);
  }
  const OpenResult result = open_items(found->items, opener);
  if (record) record(found->id, found->items, result);
  return windowless_open_message(*found, result);
}

std::optional<std::string> windowless_open_message(const bundle::Bundle& opened, const OpenResult& result) {
  const bool all_went_well = std::all_of(result.items.begin(), result.items.end(),
                                         [](const ItemOutcome& outcome) { return went_well(outcome.state); });
  if (all_went_well && !opened.items.empty()) return std::nullopt;
  std::string message = opened.name + "\n\n" + open_summary(opened.items, result);
  // A message box has room for the system's reasons, which the summary leaves out.
  if (std::string details = failure_details(opened.items, result); !details.empty()) message += "\n\n" + details;
  return message;
}

std::optional<std::string> windowless_close(const base::Result<bundle::Store>& loaded, std::string_view id,
                                            const CloseLast& close_last) {
  std::string bundle_id(id);
  std::string name(id);
  if (loaded) {
    const BundleMatch match = match_bundle(*loaded, id);
    if (match.ambiguous()) return ambiguous_name_text(id, match.same_name_ids);
    if (match.bundle) {
      bundle_id = match.bundle->id;
      name = match.bundle->name;
    }
  }
  return windowless_close_message(name, close_last(bundle_id));
}

std::optional<std::string> windowless_close_message(std::string_view bundle_name, const CloseReport& report) {
  switch (report.kind) {
    case CloseReport::Kind::nothing_recorded:
      return std::nullopt;
    case CloseReport::Kind::unreadable:
      return lang::fill(lang::text("닫지 못했습니다: {0}", "Couldn't close: {0}"), {bundle_name}) + "\n\n" +
             report.text;
    case CloseReport::Kind::closed:
      break;
  }
  if (!report.left_something) return std::nullopt;
  return std::string(bundle_name) + "\n\n" + report.text;
}

std::optional<std::uint64_t> parse_unix_seconds(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
  std::uint64_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

bool update_check_due(std::optional<std::uint32_t> auto_update, std::optional<std::string_view> last_check,
                      std::uint64_t now) {
  if (auto_update && *auto_update == 0) return false;
  constexpr std::uint64_t kDay = 86400;
  const std::uint64_t last = last_check ? parse_unix_seconds(*last_check).value_or(0) : 0;
  // A time ahead of the clock by a little is the clock's doubt; by more than a
  // day it was written while the clock was wrong, and waiting for it would
  // stop automatic checks until that date.
  if (last > now) return last - now > kDay;
  return now - last >= kDay;
}

void restore_selection(AppState& state, std::optional<std::string_view> selected_id) {
  std::optional<std::size_t> index = selected_id ? find_bundle(state, *selected_id) : std::nullopt;
  if (!index && !state.store.bundles.empty()) index = 0;
  select_bundle(state, index);
}

}  // namespace app
