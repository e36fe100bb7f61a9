#include "app/act/import.h"

#include <algorithm>
#include <optional>

#include "app/act/names.h"
#include "app/act/review.h"
#include "app/app_state.h"
#include "app/selection.h"
#include "base/file.h"
#include "base/unicode.h"
#include "bundle/export_file.h"
#include "lang/lang.h"

namespace app {
namespace {

std::optional<bundle::Bundle> read_bundle_file(const std::string& path) {
  auto bytes = base::read_file(path);
  if (!bytes) return std::nullopt;
  auto parsed = bundle::parse_exported(*bytes);
  if (!parsed) return std::nullopt;
  return std::move(parsed).value();
}

}  // namespace

void import_files(AppState& state, const std::vector<std::string>& paths) {
  std::vector<std::string> failed_names;
  std::optional<std::string> last_imported;
  for (const std::string& path : paths) {
    std::optional<bundle::Bundle> imported = read_bundle_file(path);
    if (!imported) {
      failed_names.emplace_back(base::file_name(path));
      continue;
    }
    imported->id = bundle::new_bundle_id();
    std::erase_if(imported->items, [](const bundle::Item& item) { return base::trim(item.target).empty(); });
    // Someone else made it: what would start code is asked about before it first does.
    mark_for_review(*imported);
    const std::string_view proposed = base::trim(imported->name).empty() ? "tolvik" : std::string_view(imported->name);
    imported->name = unique_name(state.store, proposed);
    last_imported = imported->name;
    state.store.bundles.push_back(std::move(*imported));
  }
  if (last_imported) {
    save_store(state);
    select_bundle(state, state.store.bundles.size() - 1);
    show_toast(state, lang::fill(lang::text("‘{0}’ 묶음을 가져왔습니다. 다른 PC 에서 만든 묶음은 경로가 다를 수 있어, "
                                            "찾을 수 없는 항목은 빨갛게 표시합니다.",
                                            "Imported “{0}”. Paths may differ on another PC; items that can't be "
                                            "found are marked in red."),
                                 {*last_imported}));
  } else if (!failed_names.empty()) {
    std::string joined;
    for (const std::string& name : failed_names) {
      if (!joined.empty()) joined += ", ";
      joined += name;
    }
    show_toast(state, lang::fill(lang::text("tolvik 묶음 파일이 아닙니다: {0}", "Not an tolvik bundle file: {0}"), {joined}));
  }
}

}  // namespace app
