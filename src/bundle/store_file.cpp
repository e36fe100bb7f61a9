#include "bundle/store_file.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

#include "base/file.h"
#include "base/unicode.h"
#include "bundle/json_writer.h"
#include "bundle/store_reader.h"

namespace bundle {
namespace {

// Shortcuts and jump-list tasks start tolvik with --open "<id>": a quote
// would end the argument early, a trailing backslash would escape the closing
// quote, and a control character does not survive a command line.
bool fits_a_command_line(std::string_view id) {
  if (id.ends_with('\\')) return false;
  return std::none_of(id.begin(), id.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return c == '"' || byte < 0x20 || byte == 0x7F;
  });
}

// Empty and repeated ids, and ids no command line can carry, get fresh ones;
// the first holder of an id keeps it. True when any id changed.
bool repair_ids(Store& store) {
  std::unordered_set<std::string_view> seen;
  seen.reserve(store.bundles.size());
  bool repaired = false;
  for (Bundle& bundle : store.bundles) {
    if (base::trim(bundle.id).empty() || !fits_a_command_line(bundle.id) || seen.contains(bundle.id)) {
      bundle.id = new_bundle_id();
      repaired = true;
    }
    seen.insert(bundle.id);
  }
  // A key opens one bundle: a later bundle with a key already taken loses it.
  std::vector<Hotkey> keys;
  for (Bundle& bundle : store.bundles) {
    if (!bundle.hotkey) continue;
    if (std::find(keys.begin(), keys.end(), *bundle.hotkey) != keys.end()) {
      bundle.hotkey.reset();
    } else {
      keys.push_back(*bundle.hotkey);
    }
  }
  return repaired;
}

// Only what differs from the default, so plain items keep the form older
// versions wrote and read.
void serialize_options(const ItemOptions& options, json::ObjectWriter& object) {
  const ItemOptions defaults;
  if (options.delay != defaults.delay) object.real("delay", options.delay);
  if (options.wait != defaults.wait) object.real("wait", options.wait);
  if (options.if_running != defaults.if_running) object.text("if_running", if_running_name(options.if_running));
  if (options.window != defaults.window) object.text("window", window_state_name(options.window));
  if (options.admin) object.boolean("admin", true);
  if (!options.dir.empty()) object.text("dir", options.dir);
  if (options.keep_open) object.boolean("keep_open", true);
}

void serialize_item(const Item& item, std::string& out, int depth) {
  json::ObjectWriter object(out, depth);
  object.text("kind", kind_name(item.kind));
  object.text("target", item.target);
  if (!item.args.empty()) object.text("args", item.args);
  if (!item.name.empty()) object.text("name", item.name);
  serialize_options(item.options, object);
  if (item.unreviewed) object.boolean("unreviewed", true);
  object.close();
}

std::size_t estimated_size(const Store& store) {
  std::size_t size = 64;
  for (const Bundle& bundle : store.bundles) {
    size += 80 + bundle.id.size() + bundle.name.size();
    for (const Item& item : bundle.items) size += 100 + item.target.size() + item.args.size() + item.name.size();
  }
  return size;
}

}  // namespace

base::Result<Store> parse_store(std::string_view text, bool* ids_repaired) {
  if (ids_repaired) *ids_repaired = false;
  text = json::without_byte_order_marks(text);
  if (base::trim(text).empty()) return Store{};
  auto store = json::read_store(text);
  if (!store) return store;
  const bool repaired = repair_ids(*store);
  if (ids_repaired) *ids_repaired = repaired;
  return store;
}

base::Result<Store> load_store(const std::string& path, bool* ids_repaired) {
  if (ids_repaired) *ids_repaired = false;
  auto text = base::read_text_file(path, kStoreFileMaxBytes);
  if (!text) {
    if (text.error().not_found) return Store{};
    return base::fail(text.error().text);
  }
  return parse_store(*text, ids_repaired);
}

void serialize_bundle(const Bundle& bundle, std::string& out, int depth) {
  json::ObjectWriter object(out, depth);
  object.text("id", bundle.id);
  object.text("name", bundle.name);
  object.array("items", bundle.items, serialize_item);
  if (bundle.hotkey) object.text("hotkey", hotkey_text(*bundle.hotkey));
  if (bundle.at_sign_in) object.boolean("at_sign_in", true);
  if (bundle.sign_in_delay != 0) object.real("sign_in_delay", bundle.sign_in_delay);
  object.close();
}

std::string serialize_store(const Store& store) {
  std::string out;
  out.reserve(estimated_size(store));
  json::ObjectWriter object(out, 0);
  object.number("version", store.version);
  object.array("bundles", store.bundles, serialize_bundle);
  object.close();
  return out;
}

std::optional<std::string> store_path_override() {
  auto path = base::environment_variable("TOLVIK_STORE");
  if (!path || path->empty()) return std::nullopt;
  return std::move(*path);
}

std::string store_path() {
  if (auto path = store_path_override()) return std::move(*path);
  std::string folder;
  if (auto app_data = base::environment_variable("APPDATA"); app_data && !app_data->empty()) {
    folder = *app_data;
  } else {
    folder = base::temp_folder();
  }
  return base::join_path(base::join_path(folder, "tolvik"), "bundles.json");
}

}  // namespace bundle
