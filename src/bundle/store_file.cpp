#include "bundle/store_file.h"

#include <unordered_set>
#include <utility>

#include "base/file.h"
#include "base/unicode.h"
#include "base/utf.h"
#include "bundle/store_reader.h"

namespace bundle {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view skip_byte_order_marks(std::string_view text) {
  while (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  return text;
}

// Empty and repeated ids get fresh ones; the first holder of an id keeps it.
// True when any id changed.
bool repair_ids(Store& store) {
  std::unordered_set<std::string_view> seen;
  seen.reserve(store.bundles.size());
  bool repaired = false;
  for (Bundle& bundle : store.bundles) {
    if (base::trim(bundle.id).empty() || seen.contains(bundle.id)) {
      bundle.id = new_bundle_id();
      repaired = true;
    }
    seen.insert(bundle.id);
  }
  return repaired;
}

void append_indent(std::string& out, int depth) { out.append(static_cast<std::size_t>(depth) * 2, ' '); }

void append_escaped(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  std::size_t run = 0;  // start of the bytes not yet copied
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c != '"' && c != '\\') continue;
    out.append(text.data() + run, i - run);
    run = i + 1;
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        out += "\\u00";
        out += kHex[c >> 4];
        out += kHex[c & 0xF];
    }
  }
  out.append(text.data() + run, text.size() - run);
  out += '"';
}

void append_string(std::string& out, std::string_view text) {
  // Text that is not UTF-8 would make the whole file unreadable on the next
  // start; its bad bytes are written as U+FFFD instead.
  if (base::is_valid_utf8(text)) {
    append_escaped(out, text);
  } else {
    append_escaped(out, base::sanitize_utf8(text));
  }
}

void append_member(std::string& out, int depth, std::string_view key, std::string_view value) {
  append_indent(out, depth);
  out += '"';
  out += key;
  out += "\": ";
  append_string(out, value);
}

void serialize_item(const Item& item, std::string& out, int depth) {
  out += "{\n";
  append_member(out, depth + 1, "kind", kind_name(item.kind));
  out += ",\n";
  append_member(out, depth + 1, "target", item.target);
  if (!item.args.empty()) {
    out += ",\n";
    append_member(out, depth + 1, "args", item.args);
  }
  if (!item.name.empty()) {
    out += ",\n";
    append_member(out, depth + 1, "name", item.name);
  }
  if (item.unreviewed) {
    out += ",\n";
    append_indent(out, depth + 1);
    out += "\"unreviewed\": true";
  }
  out += '\n';
  append_indent(out, depth);
  out += '}';
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
  text = skip_byte_order_marks(text);
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
  out += "{\n";
  append_member(out, depth + 1, "id", bundle.id);
  out += ",\n";
  append_member(out, depth + 1, "name", bundle.name);
  out += ",\n";
  append_indent(out, depth + 1);
  if (bundle.items.empty()) {
    out += "\"items\": []";
  } else {
    out += "\"items\": [\n";
    for (std::size_t i = 0; i < bundle.items.size(); ++i) {
      if (i > 0) out += ",\n";
      append_indent(out, depth + 2);
      serialize_item(bundle.items[i], out, depth + 2);
    }
    out += '\n';
    append_indent(out, depth + 1);
    out += ']';
  }
  out += '\n';
  append_indent(out, depth);
  out += '}';
}

std::string serialize_store(const Store& store) {
  std::string out;
  out.reserve(estimated_size(store));
  out += "{\n  \"version\": ";
  out += std::to_string(store.version);
  if (store.bundles.empty()) {
    out += ",\n  \"bundles\": []\n}";
    return out;
  }
  out += ",\n  \"bundles\": [\n";
  for (std::size_t i = 0; i < store.bundles.size(); ++i) {
    if (i > 0) out += ",\n";
    append_indent(out, 2);
    serialize_bundle(store.bundles[i], out, 2);
  }
  out += "\n  ]\n}";
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
