#pragma once
// What opening a bundle needs from the system, and what it learns about each
// item. The shell implements it on Windows; tests replace it with a fake.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/opening/item_outcome.h"
#include "base/result.h"
#include "bundle/model.h"

namespace app {

// A process an opening started: enough to find it again later and to be sure
// it is still the same one, as process ids are reused.
struct StartedProcess {
  std::size_t position = 0;   // the item's position in the opened list
  std::uint32_t id = 0;
  std::uint64_t created = 0;  // creation time in 100 ns units since 1601 (FILETIME)
  std::string image;          // the full path of its program
  bool elevated = false;      // started by the elevated helper

  bool operator==(const StartedProcess&) const = default;
};

// How starting one item went: the system's text on failure, and the process
// when one was started that can be waited for and closed again. A document
// handed to a program that already runs, or a web address, has none.
struct StartOutcome {
  base::Status status;
  std::optional<StartedProcess> process;
};

enum class WaitResult : std::uint8_t {
  ready,      // a visible top-level window of the process is up
  ended,      // the process ended first (a launcher that handed over)
  timed_out,
  stopped,    // Stop was pressed meanwhile
};

struct OpenResult;

class Opener {
 public:
  virtual ~Opener() = default;
  // Targets reach the opener with their environment variables expanded.
  virtual bool target_exists(const std::string& target) = 0;
  // Waits `seconds`; false when Stop was pressed meanwhile (it returns at once).
  virtual bool pause(double seconds) = 0;
  // True once Stop was pressed.
  virtual bool stop_requested() = 0;
  // Apps: a process of the same program file runs. Folders: a File Explorer
  // window shows the folder. With `bring_to_front` that window comes forward.
  virtual bool already_running(const bundle::Item& item, bool bring_to_front) = 0;
  // Starts one item with its show command, folder and arguments.
  virtual StartOutcome start(const bundle::Item& item) = 0;
  // Waits until the process is ready for input and shows a visible top-level
  // window, it ends, the timeout passes or Stop is pressed.
  virtual WaitResult wait_for_window(const StartedProcess& process, double timeout_seconds) = 0;
  // Starts `items` (all marked "run as administrator") through one elevated
  // helper, in their order with their options, and answers for them: one
  // outcome per item (declined for all when the consent was declined), their
  // processes marked elevated, positions within `items`.
  virtual OpenResult start_elevated(const std::vector<bundle::Item>& items) = 0;
  // After each item: `done` of `total` items are through.
  virtual void progress(std::size_t done, std::size_t total) = 0;
};

// What an opening came to.
struct OpenResult {
  std::vector<ItemOutcome> items;          // one per item of the opened list
  std::vector<StartedProcess> processes;   // started by this opening, in order

  // Positions in the list whose item ended in `state`.
  std::vector<std::size_t> positions(ItemState state) const;
  std::size_t count(ItemState state) const;

  bool operator==(const OpenResult&) const = default;
};

}  // namespace app
