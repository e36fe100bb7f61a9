#include "app/state/store_start.h"

#include "app/state/load_bundles.h"
#include "base/clock.h"
#include "base/file.h"
#include "lang/lang.h"

namespace app {
namespace {

StoreHold unreadable_hold(const std::string& error) {
  return {StoreHold::Why::unreadable,
          lang::fill(lang::text("변경 내용을 저장하지 않습니다: 저장한 묶음 파일을 읽지도 옆에 남겨 두지도 못했습니다 ({0}).",
                                "Changes aren't being saved: the saved bundles couldn't be read or set aside ({0})."),
                     {error})};
}

StoreHold unreachable_hold(const std::string& path) {
  return {StoreHold::Why::unreachable,
          lang::fill(lang::text("변경 내용을 저장하지 않습니다: 묶음 파일이 있는 드라이브나 네트워크 공유에 연결할 수 "
                                "없습니다 ({0}).",
                                "Changes aren't being saved: the drive or network share of the bundle file can't be "
                                "reached ({0})."),
                     {path})};
}

}  // namespace

std::string broken_store_path(std::string_view store_path, std::uint64_t unix_seconds) {
  return base::join_path(base::parent_path(store_path), "bundles.broken-" + std::to_string(unix_seconds) + ".json");
}

std::optional<std::string> set_aside_broken_store(const std::string& store_path, std::uint64_t unix_seconds) {
  std::string kept = broken_store_path(store_path, unix_seconds);
  if (!base::rename_replace(store_path, kept)) return std::nullopt;
  return kept;
}

std::string broken_store_notice(std::string_view kept_path) {
  return std::string(lang::text("저장한 묶음 파일을 읽을 수 없어 옆에 남겨 두었습니다:",
                                "Couldn't read the saved bundles; the file was kept as")) +
         " " + std::string(kept_path);
}

StartStore open_store_at_start(const std::string& path) {
  StartStore start;
  LoadedBundles loaded = load_bundles(path);
  if (loaded.unreachable) {
    start.hold = unreachable_hold(path);
    start.notice = start.hold->text;
    return start;
  }
  if (loaded.bundles) {
    start.store = std::move(loaded.bundles).value();
    start.save_now = loaded.ids_repaired;
    return start;
  }
  if (auto kept = set_aside_broken_store(path, base::unix_seconds())) {
    start.notice = broken_store_notice(*kept);
    return start;
  }
  start.hold = unreadable_hold(loaded.bundles.error().text);
  start.notice = start.hold->text;
  return start;
}

bool release_store_hold(AppState& state) {
  if (!state.store_hold) return true;
  const std::string& path = state.store_path;
  if (!store_location_reachable(path)) return false;
  if (state.store_hold->why == StoreHold::Why::unreachable) {
    // Back again: a store file there holds the user's bundles, which this run
    // never loaded, so it is not written over.
    if (base::path_exists(path)) return false;
  } else if (!set_aside_broken_store(path, base::unix_seconds())) {
    return false;
  }
  state.store_hold.reset();
  return true;
}

}  // namespace app
