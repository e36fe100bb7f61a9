#include "app/opening/opening_record.h"

#include <algorithm>
#include <array>
#include <nlohmann/json.hpp>
#include <utility>

#include "app/opening/open.h"
#include "base/file.h"
#include "base/unicode.h"
#include "bundle/atomic_write.h"
#include "bundle/store_file.h"
#include "lang/lang.h"

namespace app {
namespace {

using nlohmann::json;

constexpr std::uint64_t kRecordSeconds = kRecordDays * 24 * 60 * 60;

// The members read below tolerate anything: a value of the wrong type counts
// as missing, and an entry without what it needs is left out.
template <class T>
std::optional<T> member(const json& object, const char* key) {
  const auto found = object.find(key);
  if (found == object.end()) return std::nullopt;
  if constexpr (std::is_same_v<T, bool>) {
    if (found->is_boolean()) return found->get<bool>();
  } else if constexpr (std::is_same_v<T, std::string>) {
    if (found->is_string()) return found->get<std::string>();
  } else {
    if (found->is_number_unsigned()) return found->get<T>();
  }
  return std::nullopt;
}

std::optional<OpeningRecord> record_from(const json& object) {
  if (!object.is_object()) return std::nullopt;
  OpeningRecord record;
  record.time = member<std::uint64_t>(object, "time").value_or(0);
  auto array = [&object](const char* key) {
    const auto found = object.find(key);
    return found != object.end() && found->is_array() ? *found : json::array();
  };
  for (const json& entry : array("items")) {
    if (!entry.is_object()) continue;
    const auto position = member<std::size_t>(entry, "position");
    const auto state = member<std::string>(entry, "state");
    const std::optional<ItemState> known = state ? item_state_from_name(*state) : std::nullopt;
    if (!position || !known) continue;
    record.items.push_back(RecordedItem{*position, member<std::string>(entry, "label").value_or(""), *known,
                                        member<bool>(entry, "keep_open").value_or(false)});
  }
  for (const json& entry : array("processes")) {
    if (!entry.is_object()) continue;
    const auto position = member<std::size_t>(entry, "position");
    const auto id = member<std::uint32_t>(entry, "pid");
    const auto created = member<std::uint64_t>(entry, "created");
    const auto image = member<std::string>(entry, "image");
    if (!position || !id || !created || !image) continue;
    record.processes.push_back(
        StartedProcess{*position, *id, *created, *image, member<bool>(entry, "elevated").value_or(false)});
  }
  for (const json& entry : array("folders")) {
    if (!entry.is_object()) continue;
    const auto position = member<std::size_t>(entry, "position");
    const auto path = member<std::string>(entry, "path");
    if (position && path && !path->empty()) record.folders.push_back(RecordedFolder{*position, *path});
  }
  return record;
}

json record_json(const OpeningRecord& record) {
  json items = json::array();
  for (const RecordedItem& item : record.items) {
    json entry = {{"position", item.position}, {"label", item.label}, {"state", item_state_name(item.state)}};
    if (item.keep_open) entry["keep_open"] = true;
    items.push_back(std::move(entry));
  }
  json processes = json::array();
  for (const StartedProcess& p : record.processes) {
    json entry = {{"position", p.position}, {"pid", p.id}, {"created", p.created}, {"image", p.image}};
    if (p.elevated) entry["elevated"] = true;
    processes.push_back(std::move(entry));
  }
  json folders = json::array();
  for (const RecordedFolder& f : record.folders) folders.push_back({{"position", f.position}, {"path", f.path}});
  return {{"time", record.time}, {"items", items}, {"processes", processes}, {"folders", folders}};
}

template <class T>
void drop_positions(std::vector<T>& entries, const std::vector<std::size_t>& positions) {
  std::erase_if(entries, [&positions](const T& entry) {
    return std::find(positions.begin(), positions.end(), entry.position) != positions.end();
  });
}

template <class T>
void sort_by_position(std::vector<T>& entries) {
  std::stable_sort(entries.begin(), entries.end(), [](const T& a, const T& b) { return a.position < b.position; });
}

}  // namespace

std::string opening_records_path() {
  constexpr std::string_view kFileName = "opened.json";
  if (auto store = bundle::store_path_override()) return base::join_path(base::parent_path(*store), kFileName);
  std::string folder;
  if (auto local = base::environment_variable("LOCALAPPDATA"); local && !local->empty()) {
    folder = *local;
  } else {
    folder = base::temp_folder();
  }
  return base::join_path(base::join_path(folder, "tolvik"), kFileName);
}

OpeningRecord make_record(const std::vector<bundle::Item>& items, const OpenResult& result, std::uint64_t now,
                          const std::vector<std::size_t>& positions) {
  auto position_of = [&positions](std::size_t i) { return i < positions.size() ? positions[i] : i; };
  OpeningRecord record;
  record.time = now;
  for (std::size_t i = 0; i < items.size() && i < result.items.size(); ++i) {
    const bundle::Item& item = items[i];
    const ItemState state = result.items[i].state;
    record.items.push_back(RecordedItem{position_of(i), bundle::item_label(item), state, item.options.keep_open});
    // The shell makes a window for an opened folder but hands back no process.
    if (item.kind == bundle::Kind::folder && state == ItemState::opened) {
      record.folders.push_back(RecordedFolder{position_of(i), expanded_item(item).target});
    }
  }
  for (StartedProcess process : result.processes) {
    if (process.position >= items.size()) continue;
    process.position = position_of(process.position);
    record.processes.push_back(std::move(process));
  }
  return record;
}

void merge_opening(OpeningRecords& records, const std::string& bundle_id, OpeningRecord record, bool is_part) {
  const auto found = records.find(bundle_id);
  if (!is_part || found == records.end()) {
    records[bundle_id] = std::move(record);
    return;
  }
  OpeningRecord& kept = found->second;
  std::vector<std::size_t> again;
  for (const RecordedItem& item : record.items) again.push_back(item.position);
  drop_positions(kept.items, again);
  drop_positions(kept.processes, again);
  drop_positions(kept.folders, again);
  kept.items.insert(kept.items.end(), record.items.begin(), record.items.end());
  kept.processes.insert(kept.processes.end(), record.processes.begin(), record.processes.end());
  kept.folders.insert(kept.folders.end(), record.folders.begin(), record.folders.end());
  sort_by_position(kept.items);
  sort_by_position(kept.processes);
  sort_by_position(kept.folders);
  kept.time = record.time;
}

void drop_old_records(OpeningRecords& records, std::uint64_t now) {
  std::erase_if(records, [now](const auto& entry) {
    const std::uint64_t time = entry.second.time;
    return time > now || now - time > kRecordSeconds;
  });
}

std::string serialize_records(const OpeningRecords& records) {
  json all = json::object();
  for (const auto& [id, record] : records) all[id] = record_json(record);
  return all.dump(2, ' ', false, json::error_handler_t::replace);
}

base::Result<OpeningRecords> parse_records(std::string_view text) {
  const json all = json::parse(text.begin(), text.end(), nullptr, false);
  if (all.is_discarded() || !all.is_object()) return base::fail("The record of opened bundles is not a JSON object.");
  OpeningRecords records;
  for (const auto& [id, value] : all.items()) {
    if (auto record = record_from(value)) records[id] = std::move(*record);
  }
  return records;
}

base::Result<OpeningRecords> read_records(const std::string& path) {
  auto text = base::read_text_file(path, kRecordFileMaxBytes);
  if (!text) {
    if (text.error().not_found) return OpeningRecords{};
    return base::fail(text.error().text);
  }
  return parse_records(*text);
}

base::Status write_records(const std::string& path, OpeningRecords records, std::uint64_t now) {
  drop_old_records(records, now);
  return bundle::write_file_atomically(path, serialize_records(records));
}

base::Status save_opening(const std::string& path, const std::string& bundle_id,
                          const std::vector<bundle::Item>& items, const OpenResult& result, std::uint64_t now,
                          const std::vector<std::size_t>& positions) {
  auto read = read_records(path);
  OpeningRecords records = read ? std::move(*read) : OpeningRecords{};
  merge_opening(records, bundle_id, make_record(items, result, now, positions), !positions.empty());
  return write_records(path, std::move(records), now);
}

// --- Closing ---------------------------------------------------------------

namespace {

bool has_started(ItemState state) { return state == ItemState::opened || state == ItemState::timed_out; }

CloseState close_item(const OpeningRecord& record, const RecordedItem& item, Closer& closer) {
  if (item.state == ItemState::brought_to_front || item.state == ItemState::skipped) return CloseState::not_started;
  if (!has_started(item.state)) return CloseState::nothing;
  if (item.keep_open) return CloseState::kept_open;
  auto at_item = [&item](const auto& entry) { return entry.position == item.position; };
  const auto process = std::find_if(record.processes.begin(), record.processes.end(), at_item);
  const auto folder = std::find_if(record.folders.begin(), record.folders.end(), at_item);
  // A folder's window is found by its path: a File Explorer process may hold
  // other windows than the one this opening made.
  if (folder != record.folders.end()) {
    if (const std::optional<std::size_t> closed = closer.close_folder_windows(folder->path)) {
      return *closed > 0 ? CloseState::closed : CloseState::ended;
    }
    // No list of File Explorer windows: the process the shell started for
    // this folder, when it started one, holds just its window.
    if (process == record.processes.end()) return CloseState::no_window;
  }
  if (process == record.processes.end()) {
    // A document handed to a program that already ran, or a web address.
    return CloseState::not_started;
  }
  if (process->elevated) return CloseState::elevated;
  const std::optional<LiveProcess> live = closer.running(process->id);
  if (!live || !same_process(*process, *live)) return CloseState::ended;
  return closer.close_windows(process->id) > 0 ? CloseState::closed : CloseState::no_window;
}

std::string label_list(const OpeningRecord& record, const std::vector<CloseState>& states, CloseState wanted) {
  std::vector<std::string> labels;
  for (std::size_t i = 0; i < states.size() && i < record.items.size(); ++i) {
    if (states[i] == wanted) labels.push_back(record.items[i].label);
  }
  return first_labels(labels);
}

}  // namespace

bool same_process(const StartedProcess& recorded, const LiveProcess& live) {
  // Image paths come from the same system call both times, but Windows does
  // not promise their case (a drive letter may differ between calls).
  return recorded.created != 0 && !recorded.image.empty() && recorded.created == live.created &&
         base::ascii_iequals(recorded.image, live.image);
}

std::vector<CloseState> close_opening(const OpeningRecord& record, Closer& closer) {
  std::vector<CloseState> states;
  for (const RecordedItem& item : record.items) states.push_back(close_item(record, item, closer));
  return states;
}

bool close_left_something(const std::vector<CloseState>& states) {
  return std::any_of(states.begin(), states.end(), [](CloseState s) {
    return s == CloseState::ended || s == CloseState::elevated || s == CloseState::not_started ||
           s == CloseState::no_window;
  });
}

bool close_left_open(const std::vector<CloseState>& states) {
  return std::any_of(states.begin(), states.end(),
                     [](CloseState s) { return s == CloseState::elevated || s == CloseState::no_window; });
}

std::string close_summary(const OpeningRecord& record, const std::vector<CloseState>& states) {
  std::string summary;
  // Each text is looked up where it is written, so the key checks find it.
  auto add_part = [&](CloseState state, std::string_view text) {
    const auto count = static_cast<std::size_t>(std::count(states.begin(), states.end(), state));
    if (count == 0) return;
    if (!summary.empty()) summary += " \u00B7 ";
    summary += lang::fill(text, {std::to_string(count), label_list(record, states, state)});
  };
  const auto closed = static_cast<std::size_t>(std::count(states.begin(), states.end(), CloseState::closed));
  if (closed > 0 || !close_left_something(states)) {
    summary = lang::fill(lang::text("{0}개 닫았습니다", "Closed {0}"), {std::to_string(closed)});
  }
  add_part(CloseState::ended, lang::text("{0}개는 이미 닫혀 있었습니다 ({1})", "{0} had already ended ({1})"));
  add_part(CloseState::elevated,
           lang::text("{0}개는 관리자 권한이라 닫지 못했습니다 ({1})", "{0} run as administrator, left open ({1})"));
  add_part(CloseState::not_started,
           lang::text("{0}개는 tolvik 이 시작하지 않았습니다 ({1})", "{0} not started by tolvik ({1})"));
  add_part(CloseState::no_window, lang::text("{0}개는 닫을 창이 없습니다 ({1})", "{0} with no window to close ({1})"));
  return summary;
}

CloseReport close_recorded(const std::string& path, const std::string& bundle_id, Closer& closer,
                           std::uint64_t now) {
  CloseReport report;
  auto read = read_records(path);
  if (!read) {
    report.kind = CloseReport::Kind::unreadable;
    report.left_something = true;
    report.left_open = true;
    report.text = read.error().text;
    return report;
  }
  drop_old_records(*read, now);
  const auto found = read->find(bundle_id);
  if (found == read->end()) return report;
  const OpeningRecord record = std::move(found->second);
  read->erase(found);
  // Not written: the record stays, and a second Close finds ended processes.
  (void)write_records(path, std::move(*read), now);
  const std::vector<CloseState> states = close_opening(record, closer);
  report.kind = CloseReport::Kind::closed;
  report.left_something = close_left_something(states);
  report.left_open = close_left_open(states);
  report.text = close_summary(record, states);
  return report;
}

}  // namespace app
