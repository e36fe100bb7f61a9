#pragma once
// tolvikc, the console companion of tolvik for scripts: what it is asked to
// do, what it prints and the exit code. Everything here is portable;
// console_win.cpp only reads the command line, hands in the store and the
// system's opener and closer, and writes the output.
//
// Machine-readable output (--list lines, JSON, exit codes) is the same in
// every language; what people read (help, errors, reasons) goes through
// lang::text.
// Defined in console.cpp, console_win.cpp.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/opening/opening_record.h"
#include "app/reach/startup.h"
#include "base/result.h"
#include "bundle/model.h"

namespace app::console {

// Exit codes.
inline constexpr int kExitDone = 0;
inline constexpr int kExitIncomplete = 1;  // something did not open, or was left open
inline constexpr int kExitRefused = 2;     // bad arguments, unknown or ambiguous bundle, unreadable store
inline constexpr int kExitUnreviewed = 3;  // the bundle waits for the window's question

enum class Command : std::uint8_t { help, list, open, close };

struct Plan {
  Command command = Command::help;
  bool json = false;   // --list --json
  std::string bundle;  // --open / --close: an id or a name

  bool operator==(const Plan&) const = default;
};

// `args` as the command line gives them, the program first. Options compare
// in any ASCII case, as tolvik.exe's do; anything else is refused with the
// reason.
base::Result<Plan> plan_command(const std::vector<std::string>& args);

// What the run prints and returns.
struct Output {
  int code = kExitDone;
  std::string out;  // standard output
  std::string err;  // standard error

  bool operator==(const Output&) const = default;
};

// One line per bundle: id, tab, name, tab, item count. Tabs and line breaks
// inside a name (or id) become spaces, so that a line is always one bundle.
std::string list_lines(const bundle::Store& store);
// One JSON array of {"id", "name", "items"} on one line; JSON escapes what
// the text form replaces.
std::string list_json(const bundle::Store& store);

// The exit code and the standard error lines of an opening: one line per
// item that did not open ("position: target — reason", positions from 1).
Output open_report(const std::vector<bundle::Item>& items, const OpenResult& result);

// What --close prints for a close report.
Output close_report(std::string_view bundle_name, const CloseReport& report);

std::string help_text();

// The whole run on a given store. A name finds its bundle as tolvik.exe's
// --open does (match_bundle). `record` keeps the opening for a later
// --close; `close` closes what a bundle id's last opening started.
Output run(const Plan& plan, const base::Result<bundle::Store>& loaded, Opener& opener, const RecordOpening& record,
           const CloseLast& close);

}  // namespace app::console
