#include "app/bundles/import.h"

#include <algorithm>
#include <optional>

#include "app/bundles/names.h"
#include "app/bundles/review.h"
#include "app/bundles/select.h"
#include "app/state/app_state.h"
#include "app/view/selection.h"
#include "base/file.h"
#include "base/unicode.h"
#include "base/win_path.h"
#include "bundle/export_file.h"
#include "bundle/limits.h"
#include "lang/lang.h"

namespace app {
namespace {

enum class ImportFailure { not_a_bundle_file, too_large };

base::Result<bundle::Bundle, ImportFailure> read_bundle_file(const std::string& path) {
  auto bytes = base::read_file(path, bundle::kExportFileMaxBytes);
  if (!bytes) {
    return base::fail_with(bytes.error().too_large ? ImportFailure::too_large : ImportFailure::not_a_bundle_file);
  }
  auto parsed = bundle::parse_exported(*bytes);
  if (!parsed) return base::fail_with(ImportFailure::not_a_bundle_file);
  return std::move(parsed).value();
}

std::string join_names(const std::vector<std::string>& names) {
  std::string joined;
  for (const std::string& name : names) {
    if (!joined.empty()) joined += ", ";
    joined += name;
  }
  return joined;
}

}  // namespace

void import_files(AppState& state, const std::vector<std::string>& paths) {
  std::vector<std::string> failed_names;
  std::vector<std::string> too_large_names;
  std::optional<std::string> last_imported;
  for (const std::string& path : paths) {
    auto imported = read_bundle_file(path);
    if (!imported) {
      auto& names = imported.error() == ImportFailure::too_large ? too_large_names : failed_names;
      names.emplace_back(base::win_path::file_name(path));
      continue;
    }
    imported->id = bundle::new_bundle_id();
    bundle::apply_limits(*imported);
    std::erase_if(imported->items, [](const bundle::Item& item) { return base::trim(item.target).empty(); });
    // Someone else made it: what would start code is asked about before it first does.
    mark_for_review(*imported);
    const std::string_view proposed = base::trim(imported->name).empty() ? "tolvik" : std::string_view(imported->name);
    imported->name = unique_name(state.store, proposed);
    last_imported = imported->name;
    state.store.bundles.push_back(std::move(imported).value());
  }
  if (last_imported) {
    save_store(state);
    select_bundle(state, state.store.bundles.size() - 1);
    show_toast(state, lang::fill(lang::text("‘{0}’ 묶음을 가져왔습니다. 다른 PC 에서 만든 묶음은 경로가 다를 수 있어, "
                                            "찾을 수 없는 항목은 빨갛게 표시합니다.",
                                            "Imported “{0}”. Paths may differ on another PC; items that can't be "
                                            "found are marked in red."),
                                 {*last_imported}));
    return;
  }
  std::string notice;
  if (!too_large_names.empty()) {
    // Said apart from the other failures: such a file may well be a bundle file.
    const std::string limit = std::to_string(bundle::kExportFileMaxBytes / (1024 * 1024));
    notice = lang::fill(lang::text("가져오기에는 너무 큰 파일입니다 ({1} MiB 초과): {0}",
                                   "Too large to import (over {1} MiB): {0}"),
                        {join_names(too_large_names), limit});
  }
  if (!failed_names.empty()) {
    if (!notice.empty()) notice += " · ";
    notice += lang::fill(lang::text("tolvik 묶음 파일이 아닙니다: {0}", "Not an tolvik bundle file: {0}"),
                         {join_names(failed_names)});
  }
  if (!notice.empty()) show_toast(state, std::move(notice));
}

}  // namespace app
