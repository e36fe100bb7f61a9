#pragma once
// What an opening started, kept so that Close can end it again later, also
// from another tolvik than the one that opened it: one small JSON file holds
// a record per bundle id.
//
// A record lives until the bundle is opened again (the new opening replaces
// it), until Close has acted on it, or for kRecordDays days: older records are
// dropped whenever the file is written. A retry of some items merges into the
// record of the opening it retries (see `merge_opening`).
// Defined in opening_record.cpp, opening_record_win.cpp.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/opening/opener.h"
#include "base/result.h"
#include "bundle/model.h"

namespace app {

// Long enough for a working week without a restart; after a restart every
// recorded process has ended anyway.
inline constexpr std::uint64_t kRecordDays = 7;
// The file is the program's own, but nothing is read without a limit.
inline constexpr std::size_t kRecordFileMaxBytes = 4 * 1024 * 1024;

struct RecordedItem {
  std::size_t position = 0;  // in the bundle
  std::string label;         // as the summary named it at the opening
  ItemState state = ItemState::not_reached;
  bool keep_open = false;

  bool operator==(const RecordedItem&) const = default;
};

// A File Explorer window an opening made for a folder item.
struct RecordedFolder {
  std::size_t position = 0;
  std::string path;  // expanded

  bool operator==(const RecordedFolder&) const = default;
};

struct OpeningRecord {
  std::uint64_t time = 0;  // unix seconds of the opening
  std::vector<RecordedItem> items;
  std::vector<StartedProcess> processes;  // positions in the bundle
  std::vector<RecordedFolder> folders;

  bool operator==(const OpeningRecord&) const = default;
};

// Bundle id -> the record of its last opening.
using OpeningRecords = std::map<std::string, OpeningRecord>;

// %LOCALAPPDATA%\tolvik\opened.json (the user's temporary folder in place of
// LOCALAPPDATA). A store named by TOLVIK_STORE has its own beside it, as its
// bundle ids are not the user's.
std::string opening_records_path();

// The record of opening `items` (as stored: folder paths are expanded here).
// `positions` gives each item's position in the bundle when the list is a
// part of it (a retry); empty means the list is the whole bundle.
OpeningRecord make_record(const std::vector<bundle::Item>& items, const OpenResult& result, std::uint64_t now,
                          const std::vector<std::size_t>& positions = {});

// A whole opening replaces the bundle's record. A retry (`is_part`) replaces
// only the items it opened again, with their processes and folders, and
// keeps the rest; without a record to merge into it becomes the record.
void merge_opening(OpeningRecords& records, const std::string& bundle_id, OpeningRecord record, bool is_part);

// Drops records older than kRecordDays (and ones from the future, where the
// clock was set back).
void drop_old_records(OpeningRecords& records, std::uint64_t now);

std::string serialize_records(const OpeningRecords& records);
// Members of the wrong type are skipped; only text that is no JSON object fails.
base::Result<OpeningRecords> parse_records(std::string_view text);
// A missing file is no records; one over kRecordFileMaxBytes or unreadable fails.
base::Result<OpeningRecords> read_records(const std::string& path);
// Drops the old records and writes the file atomically.
base::Status write_records(const std::string& path, OpeningRecords records, std::uint64_t now);

// Records an opening of `items` in the file at `path` (see make_record and
// merge_opening: a non-empty `positions` is a retry). A file that cannot be
// read is started afresh: it only ever holds what Close may need.
base::Status save_opening(const std::string& path, const std::string& bundle_id,
                          const std::vector<bundle::Item>& items, const OpenResult& result, std::uint64_t now,
                          const std::vector<std::size_t>& positions = {});

// --- Closing ---------------------------------------------------------------

// A process as it runs now under a recorded id.
struct LiveProcess {
  std::uint64_t created = 0;
  std::string image;
};

// A reused process id is never touched: the process must have been created
// at the recorded time from the same program file.
bool same_process(const StartedProcess& recorded, const LiveProcess& live);

class Closer {
 public:
  virtual ~Closer() = default;
  // The process that runs under `id` now; nothing when none does (or it
  // cannot be asked).
  virtual std::optional<LiveProcess> running(std::uint32_t id) = 0;
  // Asks every visible top-level window of the process to close; how many.
  virtual std::size_t close_windows(std::uint32_t id) = 0;
  // Closes the File Explorer windows that show the folder; how many, or
  // nothing when the system keeps no list of them (Wine).
  virtual std::optional<std::size_t> close_folder_windows(const std::string& path) = 0;
};

enum class CloseState : std::uint8_t {
  nothing,      // the opening did not open it
  closed,
  kept_open,    // "keep it open when the bundle is closed"
  ended,        // its process or window is gone already
  elevated,     // Windows does not let a normal process close it
  not_started,  // already running, or opened without a process of its own
  no_window,    // its process shows no window to close
};

// Closes what the record says the opening started; one state per recorded item.
std::vector<CloseState> close_opening(const OpeningRecord& record, Closer& closer);

// "Closed 2 · 1 had already ended (Notes)" and its translations.
std::string close_summary(const OpeningRecord& record, const std::vector<CloseState>& states);
// True when something was left that the user may have wanted closed.
bool close_left_something(const std::vector<CloseState>& states);
// True when a process the opening started still runs: Windows kept it from
// being closed, or it showed no window to ask.
bool close_left_open(const std::vector<CloseState>& states);

struct CloseReport {
  enum class Kind : std::uint8_t { nothing_recorded, closed, unreadable } kind = Kind::nothing_recorded;
  bool left_something = false;
  std::string text;  // the summary when closed, the reason when unreadable
  bool left_open = false;  // see close_left_open; also when the record could not be read
};

// Takes the bundle's record out of the file at `path` (so that it is acted on
// once), then closes what it names.
CloseReport close_recorded(const std::string& path, const std::string& bundle_id, Closer& closer,
                           std::uint64_t now);

}  // namespace app
