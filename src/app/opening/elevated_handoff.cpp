#include "app/opening/elevated_handoff.h"

#include <optional>
#include <utility>

#include <nlohmann/json.hpp>

#include "bundle/json_writer.h"
#include "bundle/store_file.h"
#include "bundle/store_reader.h"

namespace app {
namespace {

using Json = nlohmann::json;

constexpr std::string_view kItemsFormat = "tolvik-elevated";
constexpr std::string_view kAnswerFormat = "tolvik-elevated-answer";

std::string text_member(const Json& object, const char* key) {
  const auto found = object.find(key);
  return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

// The parsed object when it is one of ours of `format`.
base::Result<Json> parsed_of(std::string_view text, std::string_view format) {
  Json parsed = Json::parse(text, nullptr, false);
  if (parsed.is_discarded() || !parsed.is_object()) return base::fail("not a JSON object");
  if (text_member(parsed, "format") != format) return base::fail("not a file of tolvik's elevated helper");
  const auto items = parsed.find("items");
  if (items == parsed.end() || !items->is_array()) return base::fail("no list of items");
  return parsed;
}

}  // namespace

std::string elevated_answer_path(std::string_view items_path) { return std::string(items_path) + ".answer"; }

std::string serialize_elevated_items(const std::vector<bundle::Item>& items) {
  // The items in the store's own form, so that an option reaches the helper
  // under the store's name and within the store's range.
  const bundle::Bundle carried{"elevated", {}, items};
  std::string out;
  bundle::json::ObjectWriter object(out, 0);
  object.text("format", kItemsFormat);
  object.number("version", 1);
  object.value("bundle", [&carried](std::string& text, int depth) { bundle::serialize_bundle(carried, text, depth); });
  object.close();
  return out;
}

base::Result<std::vector<bundle::Item>> parse_elevated_items(std::string_view text) {
  base::Result<bundle::json::ExportedRecord> read = bundle::json::read_exported(text);
  if (!read) return base::fail(read.error().text);
  if (read->format != kItemsFormat) return base::fail("not a file of tolvik's elevated helper");
  std::vector<bundle::Item>& items = read->bundle.items;
  if (items.empty()) return base::fail("no items");
  for (bundle::Item& item : items) {
    if (item.target.empty()) return base::fail("an item has no target");
    // The helper already runs elevated, and the opening has asked what it had to.
    item.options.admin = false;
    item.unreviewed = false;
  }
  return std::move(items);
}

std::string serialize_elevated_answer(const OpenResult& result) {
  Json items = Json::array();
  for (const ItemOutcome& outcome : result.items) {
    Json entry = {{"state", item_state_name(outcome.state)}};
    if (!outcome.reason.empty()) entry["reason"] = outcome.reason;
    items.push_back(std::move(entry));
  }
  Json processes = Json::array();
  for (const StartedProcess& process : result.processes) {
    processes.push_back({{"position", process.position},
                         {"id", process.id},
                         {"created", process.created},
                         {"image", process.image}});
  }
  return Json{{"format", kAnswerFormat}, {"items", std::move(items)}, {"processes", std::move(processes)}}.dump(
      2, ' ', false, Json::error_handler_t::replace);
}

base::Result<OpenResult> parse_elevated_answer(std::string_view text, std::size_t count) {
  base::Result<Json> parsed = parsed_of(text, kAnswerFormat);
  if (!parsed) return base::fail(parsed.error().text);
  const Json& items = parsed->at("items");
  if (items.size() != count) return base::fail("an answer for another number of items");
  OpenResult result;
  for (const Json& entry : items) {
    const std::optional<ItemState> state = entry.is_object() ? item_state_from_name(text_member(entry, "state"))
                                                             : std::nullopt;
    if (!state) return base::fail("an item without a known state");
    result.items.push_back(ItemOutcome{*state, text_member(entry, "reason")});
  }
  const auto processes = parsed->find("processes");
  if (processes == parsed->end() || !processes->is_array()) return result;
  for (const Json& entry : *processes) {
    if (!entry.is_object()) continue;
    const auto position = entry.find("position");
    const auto id = entry.find("id");
    const auto created = entry.find("created");
    if (position == entry.end() || !position->is_number_unsigned() || position->get<std::size_t>() >= count ||
        id == entry.end() || !id->is_number_unsigned() || id->get<std::uint64_t>() > 0xFFFFFFFFu ||
        created == entry.end() || !created->is_number_unsigned()) {
      continue;
    }
    StartedProcess process;
    process.position = position->get<std::size_t>();
    process.id = static_cast<std::uint32_t>(id->get<std::uint64_t>());
    process.created = created->get<std::uint64_t>();
    process.image = text_member(entry, "image");
    process.elevated = true;
    result.processes.push_back(std::move(process));
  }
  return result;
}

}  // namespace app
