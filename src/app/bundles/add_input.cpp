#include "app/bundles/add_input.h"

#include <string>
#include <vector>

#include "app/bundles/add_items.h"
#include "app/bundles/import.h"
#include "app/state/app_state.h"
#include "base/unicode.h"
#include "bundle/limits.h"
#include "detect/path.h"
#include "lang/lang.h"

namespace app {

namespace {

void say_text_too_large(AppState& state) {
  const std::string limit = std::to_string(detect::kMaxInputTextBytes / (1024 * 1024));
  show_toast(state, lang::fill(lang::text("글이 너무 길어 넣지 않았습니다 ({0} MiB 초과)",
                                          "Too much text to add (over {0} MiB)"),
                               {limit}));
}

// Items longer than Windows takes are left out: a cut would name something else.
std::vector<bundle::Item> within_limits(std::vector<bundle::Item> items) {
  std::erase_if(items, [](const bundle::Item& item) { return !bundle::fits_limits(item); });
  return items;
}

}  // namespace

void add_input(AppState& state, std::optional<std::size_t> target, const detect::DropPayload& payload) {
  std::vector<std::string> bundle_files;
  std::vector<bundle::Item> items;
  for (const std::string& path : payload.paths) {
    if (detect::path_extension(path) == "tolvik") {
      bundle_files.push_back(path);
    } else {
      items.push_back(detect::item_from_path(path));
    }
  }
  items = within_limits(std::move(items));
  if (!bundle_files.empty()) import_files(state, bundle_files);
  if (!items.empty()) {
    add_items(state, target, std::move(items));
    return;
  }
  if (payload.paths.empty() && payload.text_too_large) {
    say_text_too_large(state);
    return;
  }
  if (base::trim(payload.text).empty()) return;
  std::vector<bundle::Item> detected = within_limits(detect::detect_items(payload.text));
  if (detected.empty()) {
    show_toast(state, std::string(lang::text("넣을 수 있는 경로나 웹 주소가 아닙니다", "That isn't a path or a web address")));
    return;
  }
  add_items(state, target, std::move(detected));
}

void paste(AppState& state, const detect::DropPayload& payload) {
  if (payload.paths.empty() && base::trim(payload.text).empty() && !payload.text_too_large) {
    show_toast(state, std::string(lang::text("붙여 넣을 경로나 웹 주소가 없습니다",
                                             "Nothing to paste: copy a path or a web address first")));
    return;
  }
  add_input(state, state.selected_bundle, payload);
}

}  // namespace app
