#include "app/bundles/bundle_file.h"

#include <optional>
#include <string>
#include <vector>

#include "app/bundles/import.h"
#include "app/state/app_state.h"
#include "base/file_name.h"
#include "bundle/atomic_write.h"
#include "bundle/export_file.h"
#include "lang/lang.h"

namespace app {
namespace {

std::vector<FileFilter> bundle_file_filter() {
  return {{std::string(lang::text("tolvik 묶음 (*.tolvik)", "tolvik bundles (*.tolvik)")), "*.tolvik"}};
}

}  // namespace

void export_bundle(AppState& state, std::size_t index) {
  if (index >= state.store.bundles.size()) return;
  // The dialog runs a modal loop in which other messages may change the store;
  // what is written is the bundle as it was when the user asked.
  const bundle::Bundle copy = state.store.bundles[index];
  const std::string text = bundle::serialize_exported(copy);
  // Every export must be importable again, here or on another PC; the user
  // hears so before choosing where to save it.
  if (text.size() > bundle::kExportFileMaxBytes) {
    const std::string limit = std::to_string(bundle::kExportFileMaxBytes / (1024 * 1024));
    show_toast(state, lang::fill(lang::text("묶음이 너무 커서 내보내지 않았습니다 ({0} MiB 초과): 다시 가져올 수 없습니다",
                                            "Too large to export (over {0} MiB): it couldn't be imported again"),
                                 {limit}));
    return;
  }

  const std::optional<std::string> path =
      state.platform.save_file_dialog(lang::text("묶음 내보내기", "Export bundle"), bundle_file_filter(), "tolvik",
                                      base::safe_file_name(copy.name) + ".tolvik");
  if (!path) return;

  const base::Status written = bundle::write_file_atomically(*path, text);
  if (!written) {
    show_toast(state, std::string(lang::text("내보내지 못했습니다:", "Couldn't export:")) + " " + written.error().text);
    return;
  }
  show_toast(state, std::string(lang::text("내보냈습니다. 받는 사람의 PC 에서는 파일·폴더 위치가 다를 수 있습니다.",
                                           "Exported. Files and folders may be in different places on the other "
                                           "person's PC.")));
}

void choose_and_import(AppState& state) {
  const std::vector<std::string> paths = state.platform.open_files_dialog(
      lang::text("가져올 묶음 파일", "Bundle files to import"), bundle_file_filter(), StartFolder::none);
  if (!paths.empty()) import_files(state, paths);
}

}  // namespace app
