#include "app/opening/elevated_handoff.h"

#include <array>
#include <cmath>
#include <optional>

#include <nlohmann/json.hpp>

namespace app {
namespace {

using Json = nlohmann::json;

constexpr std::string_view kItemsFormat = "tolvik-elevated";
constexpr std::string_view kAnswerFormat = "tolvik-elevated-answer";

constexpr std::array<std::string_view, 9> kStateNames = {
    "not_reached", "opened", "brought_to_front", "skipped", "not_found", "failed", "declined", "timed_out", "stopped"};

std::optional<ItemState> state_from_name(std::string_view name) {
  for (std::size_t i = 0; i < kStateNames.size(); ++i) {
    if (kStateNames[i] == name) return static_cast<ItemState>(i);
  }
  return std::nullopt;
}

Json item_json(const bundle::Item& item) {
  Json out = {{"kind", bundle::kind_name(item.kind)}, {"target", item.target}};
  if (!item.args.empty()) out["args"] = item.args;
  if (!item.name.empty()) out["name"] = item.name;
  const bundle::ItemOptions& options = item.options;
  if (options.delay > 0) out["delay"] = options.delay;
  if (options.wait > 0) out["wait"] = options.wait;
  if (options.if_running == bundle::IfRunning::focus) out["if_running"] = "focus";
  if (options.if_running == bundle::IfRunning::skip) out["if_running"] = "skip";
  if (options.window == bundle::WindowState::minimized) out["window"] = "minimized";
  if (options.window == bundle::WindowState::maximized) out["window"] = "maximized";
  if (!options.dir.empty()) out["dir"] = options.dir;
  if (options.keep_open) out["keep_open"] = true;
  return out;
}

std::string text_member(const Json& object, const char* key) {
  const auto found = object.find(key);
  return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

double seconds_member(const Json& object, const char* key, double most) {
  const auto found = object.find(key);
  if (found == object.end() || !found->is_number()) return 0;
  const double value = found->get<double>();
  return std::isfinite(value) && value > 0 && value <= most ? value : 0;
}

base::Result<bundle::Item> item_from(const Json& object) {
  if (!object.is_object()) return base::fail("an item is not an object");
  const std::optional<bundle::Kind> kind = bundle::kind_from_name(text_member(object, "kind"));
  if (!kind) return base::fail("an item has no known kind");
  bundle::Item item;
  item.kind = *kind;
  item.target = text_member(object, "target");
  if (item.target.empty()) return base::fail("an item has no target");
  item.args = text_member(object, "args");
  item.name = text_member(object, "name");
  bundle::ItemOptions& options = item.options;
  options.delay = seconds_member(object, "delay", bundle::kMaxDelaySeconds);
  options.wait = seconds_member(object, "wait", bundle::kMaxWaitSeconds);
  const std::string if_running = text_member(object, "if_running");
  if (if_running == "focus") options.if_running = bundle::IfRunning::focus;
  if (if_running == "skip") options.if_running = bundle::IfRunning::skip;
  const std::string window = text_member(object, "window");
  if (window == "minimized") options.window = bundle::WindowState::minimized;
  if (window == "maximized") options.window = bundle::WindowState::maximized;
  options.dir = text_member(object, "dir");
  const auto keep_open = object.find("keep_open");
  options.keep_open = keep_open != object.end() && keep_open->is_boolean() && keep_open->get<bool>();
  return item;
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
  Json list = Json::array();
  for (const bundle::Item& item : items) list.push_back(item_json(item));
  return Json{{"format", kItemsFormat}, {"items", std::move(list)}}.dump(2, ' ', false, Json::error_handler_t::replace);
}

base::Result<std::vector<bundle::Item>> parse_elevated_items(std::string_view text) {
  base::Result<Json> parsed = parsed_of(text, kItemsFormat);
  if (!parsed) return base::fail(parsed.error().text);
  std::vector<bundle::Item> items;
  for (const Json& object : parsed->at("items")) {
    base::Result<bundle::Item> item = item_from(object);
    if (!item) return base::fail(item.error().text);
    items.push_back(std::move(*item));
  }
  if (items.empty()) return base::fail("no items");
  return items;
}

std::string serialize_elevated_answer(const OpenResult& result) {
  Json items = Json::array();
  for (const ItemOutcome& outcome : result.items) {
    Json entry = {{"state", kStateNames[static_cast<std::size_t>(outcome.state)]}};
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
    const std::optional<ItemState> state = entry.is_object() ? state_from_name(text_member(entry, "state"))
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
