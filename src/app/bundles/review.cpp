#include "app/bundles/review.h"

#include <algorithm>

#include "app/state/app_state.h"
#include "app/state/bundle_lookup.h"
#include "base/unicode.h"
#include "base/utf.h"
#include "base/win_path.h"
#include "detect/detect.h"
#include "lang/lang.h"

namespace app {
namespace {

// A longer list would push the buttons off the screen; the rest is counted.
constexpr std::size_t kMaxListedItems = 12;
// Long enough for any real path; a longer text is cut so the box stays usable.
constexpr std::size_t kMaxShownScalars = 260;

// The scheme of an absolute URI ("ms-settings" of "ms-settings:about"); none
// for plain paths. One letter before the colon is a drive, not a scheme.
std::optional<std::string> uri_scheme(std::string_view target) {
  const std::size_t colon = target.find(':');
  if (colon == std::string_view::npos || colon < 2) return std::nullopt;
  const std::string_view scheme = target.substr(0, colon);
  auto is_alpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  if (!is_alpha(scheme.front())) return std::nullopt;
  for (char c : scheme) {
    if (!is_alpha(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') return std::nullopt;
  }
  return base::ascii_lower(scheme);
}

// Whether the shell would run the file the path names. Windows drops trailing
// dots and spaces from a name, and "x.exe:stream" or "C:x.exe" still open the
// program, so every colon-separated part of the last component counts, and a
// name that is only ".exe" counts too.
bool names_program_file(std::string_view path) {
  std::string_view component = base::win_path::last_component(path);
  while (true) {
    const std::size_t colon = component.find(':');
    std::string_view part = component.substr(0, colon);
    while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.remove_suffix(1);
    if (const std::size_t dot = part.rfind('.'); dot != std::string_view::npos) {
      if (detect::is_program_extension(part.substr(dot + 1))) return true;
    }
    if (colon == std::string_view::npos) return false;
    component.remove_prefix(colon + 1);
  }
}

// Control and direction-changing characters could fake lines or turn
// "gpj.exe" into something harmless-looking; they show as U+FFFD.
bool hides_text(char32_t cp) {
  return cp < 0x20 || (cp >= 0x7F && cp < 0xA0) || cp == 0x061C || cp == 0x200E || cp == 0x200F ||
         (cp >= 0x202A && cp <= 0x202E) || (cp >= 0x2066 && cp <= 0x2069);
}

std::string shown_text(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  for (std::size_t count = 0; pos < text.size(); ++count) {
    if (count == kMaxShownScalars) {
      out += "\u2026";
      break;
    }
    const char32_t cp = base::decode_utf8(text, pos);
    base::append_utf8(out, hides_text(cp) ? base::kReplacementChar : cp);
  }
  return out;
}

// What the shell is handed, as a command line reads: the target, quoted when
// it has a space, then an app's arguments.
std::string command_text(const bundle::Item& item) {
  std::string command = item.target.find(' ') == std::string::npos ? item.target : '"' + item.target + '"';
  if (item.kind == bundle::Kind::app && !item.args.empty()) command += ' ' + item.args;
  return command;
}

}  // namespace

bool starts_code(const bundle::Item& item) {
  if (item.kind == bundle::Kind::app) return true;
  const std::string_view target = base::trim(item.target);
  if (const std::optional<std::string> scheme = uri_scheme(target)) return *scheme != "http" && *scheme != "https";
  // A web address without a scheme is handed to the shell as a command: it
  // finds and runs a program of that name.
  if (item.kind == bundle::Kind::url) return true;
  return names_program_file(target);
}

void mark_for_review(bundle::Bundle& bundle) {
  for (bundle::Item& item : bundle.items) item.unreviewed = starts_code(item);
}

std::vector<std::size_t> unreviewed_items(const std::vector<bundle::Item>& items) {
  std::vector<std::size_t> positions;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i].unreviewed) positions.push_back(i);
  }
  return positions;
}

std::string review_question(const bundle::Bundle& bundle, const std::vector<std::size_t>& positions) {
  std::string text = shown_text(bundle.name);
  text += "\n\n";
  text += lang::text("파일에서 가져온 이 묶음은 다음을 실행합니다:", "This bundle came from a file and will start:");
  text += '\n';
  const std::size_t listed = std::min(positions.size(), kMaxListedItems);
  for (std::size_t i = 0; i < listed; ++i) {
    const bundle::Item& item = bundle.items[positions[i]];
    text += "\n\u2022 ";
    text += shown_text(bundle::item_label(item));
    text += " \u2014 ";
    text += shown_text(command_text(item));
  }
  if (positions.size() > listed) {
    text += '\n';
    text += lang::fill(lang::text("외 {0}개", "and {0} more"), {std::to_string(positions.size() - listed)});
  }
  return text;
}

bool clear_review_marks(bundle::Store& store, std::string_view bundle_id, const std::vector<bundle::Item>& shown,
                        const std::vector<std::size_t>& positions) {
  const std::optional<std::size_t> found = bundle_position(store, bundle_id);
  if (!found || store.bundles[*found].items != shown) return false;
  for (std::size_t position : positions) store.bundles[*found].items[position].unreviewed = false;
  return true;
}

bool confirm_start(AppState& state, std::string bundle_id, std::optional<std::size_t> only) {
  const std::optional<std::size_t> index = find_bundle(state, bundle_id);
  if (!index) return false;
  std::vector<std::size_t> asked = unreviewed_items(state.store.bundles[*index].items);
  if (only) std::erase_if(asked, [&only](std::size_t position) { return position != *only; });
  if (asked.empty()) return true;
  // The question runs a modal loop: what it shows is a copy.
  const bundle::Bundle shown = state.store.bundles[*index];
  if (!state.platform.ask_yes_no(review_question(shown, asked))) return false;
  if (!clear_review_marks(state.store, bundle_id, shown.items, asked)) return false;
  save_store(state);
  return true;
}

}  // namespace app
