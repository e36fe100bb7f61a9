#include "app/opening/item_options.h"

#include <charconv>
#include <cmath>
#include <utility>

#include "app/state/app_state.h"
#include "app/state/bundle_lookup.h"
#include "base/unicode.h"
#include "lang/lang.h"

namespace app {
namespace {

using bundle::Kind;

}  // namespace

std::string seconds_range_text(double low, double high) {
  return lang::fill(lang::text("{0}–{1} 사이의 초를 숫자로 입력하세요", "Enter a number of seconds from {0} to {1}"),
                    {format_seconds(low, "."), format_seconds(high, ".")});
}

namespace {

// A seconds field in [low, high]; the error names the field and its range.
base::Result<double, FormError> seconds_in(std::string_view text, std::string_view decimal, double low, double high,
                                           OptionsField field) {
  const std::optional<double> seconds = parse_seconds(text, decimal);
  if (!seconds || *seconds < low || *seconds > high) return base::fail_with(FormError{field, seconds_range_text(low, high)});
  return *seconds;
}

bundle::Item* item_at(AppState& state, std::string_view bundle_id, std::size_t index, std::string_view target) {
  const std::optional<std::size_t> position = find_bundle(state, bundle_id);
  if (!position) return nullptr;
  std::vector<bundle::Item>& items = state.store.bundles[*position].items;
  if (index >= items.size() || items[index].target != target) return nullptr;
  return &items[index];
}

}  // namespace

ApplicableOptions applicable_options(Kind kind) {
  ApplicableOptions applicable;
  applicable.wait = kind == Kind::app || kind == Kind::file;
  applicable.if_running = kind == Kind::app || kind == Kind::folder;
  applicable.window = kind != Kind::url;
  applicable.admin = kind == Kind::app;
  applicable.dir = kind == Kind::app;
  return applicable;
}

std::optional<double> parse_seconds(std::string_view text, std::string_view decimal) {
  const std::string_view trimmed = base::trim(text);
  std::string number;
  bool point = false;
  for (std::size_t i = 0; i < trimmed.size();) {
    const char c = trimmed[i];
    if (c >= '0' && c <= '9') {
      number += c;
      ++i;
      continue;
    }
    std::size_t sign = 0;
    if (c == '.') {
      sign = 1;
    } else if (!decimal.empty() && trimmed.substr(i).starts_with(decimal)) {
      sign = decimal.size();
    }
    if (sign == 0 || point) return std::nullopt;
    point = true;
    number += '.';
    i += sign;
  }
  if (number.find_first_of("0123456789") == std::string::npos) return std::nullopt;
  double value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error != std::errc{} || end != number.data() + number.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::string format_seconds(double seconds, std::string_view decimal) {
  char digits[32];
  const auto end = std::to_chars(digits, digits + sizeof digits, seconds).ptr;
  std::string text(digits, end);
  if (const std::size_t point = text.find('.'); point != std::string::npos) text.replace(point, 1, decimal);
  return text;
}

OptionsForm options_form(const bundle::ItemOptions& options, std::string_view decimal) {
  OptionsForm form;
  form.delay = format_seconds(options.delay, decimal);
  form.wait = options.wait > 0;
  form.wait_seconds = form.wait ? format_seconds(options.wait, decimal) : std::string();
  form.if_running = options.if_running;
  form.window = options.window;
  form.admin = options.admin;
  form.dir = options.dir;
  form.keep_open = options.keep_open;
  return form;
}

std::string default_wait_text(std::string_view decimal) { return format_seconds(bundle::kDefaultWaitSeconds, decimal); }

base::Result<bundle::ItemOptions, FormError> read_options_form(const OptionsForm& form, Kind kind,
                                                               std::string_view decimal) {
  const ApplicableOptions applicable = applicable_options(kind);
  bundle::ItemOptions options;
  if (applicable.delay && !base::trim(form.delay).empty()) {
    auto delay = seconds_in(form.delay, decimal, 0, bundle::kMaxDelaySeconds, OptionsField::delay);
    if (!delay) return base::fail_with(delay.error());
    options.delay = *delay;
  }
  if (applicable.wait && form.wait) {
    auto wait =
        seconds_in(form.wait_seconds, decimal, bundle::kMinWaitSeconds, bundle::kMaxWaitSeconds, OptionsField::wait);
    if (!wait) return base::fail_with(wait.error());
    options.wait = *wait;
  }
  if (applicable.if_running) options.if_running = form.if_running;
  if (applicable.window) options.window = form.window;
  options.admin = applicable.admin && form.admin;
  if (applicable.dir) options.dir = std::string(base::trim(form.dir));
  options.keep_open = applicable.keep_open && form.keep_open;
  return options;
}

void edit_item_options(AppState& state, const std::string& bundle_id, std::size_t index, const bundle::Item& shown) {
  // The dialog runs a modal loop: it gets its own copy of the item, and what
  // it answers goes to the item only if that is still the one it showed.
  const bundle::Item item = shown;
  const std::optional<bundle::ItemOptions> chosen = state.platform.edit_item_options(item);
  if (chosen) apply_item_options(state, bundle_id, index, item.target, *chosen);
}

void apply_item_options(AppState& state, std::string_view bundle_id, std::size_t index, std::string_view target,
                        const bundle::ItemOptions& options) {
  bundle::Item* item = item_at(state, bundle_id, index, target);
  if (!item || item->options == options) return;
  ChangedOptions undo{std::string(bundle_id), index, item->target, std::exchange(item->options, options)};
  std::string text = lang::fill(lang::text("‘{0}’ 항목의 옵션을 바꿨습니다", "Changed the options of “{0}”"),
                                {bundle::item_label(*item)});
  save_store(state);
  show_undo_toast(state, std::move(undo), std::move(text));
}

}  // namespace app
