#pragma once
// The two files between an opening and its elevated helper: the items it is
// to start (already expanded, with their options) and its answer (one outcome
// per item and the processes it started). Both are tolvik's own JSON; neither
// is ever read from anyone else.
// Defined in elevated_handoff.cpp.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "app/opening/opener.h"
#include "base/result.h"
#include "bundle/model.h"

namespace app {

// "--run-elevated <file> <digest> [<stop event>]": tolvik as the elevated
// helper of an opening, started by the opening itself.
struct ElevatedRun {
  std::string file;        // the items to start
  std::string digest;      // SHA-256 of that file as the opening wrote it
  std::string stop_event;  // the name of the event the opening's Stop sets; may be empty
  bool operator==(const ElevatedRun&) const = default;
};

// Neither file is read when larger: a bundle's items fit many times over.
inline constexpr std::size_t kHandoffMaxBytes = 16 * 1024 * 1024;

// The helper's answer goes beside the items file, under this name.
std::string elevated_answer_path(std::string_view items_path);

// {"format": "tolvik-elevated", "version": 1, "bundle": {...}}: the items as
// one bundle in the store's form, so that their options are written, read and
// kept within range by the store's rules. What is read runs as it is: not as
// administrator again (the helper is that already), and not asked about.
std::string serialize_elevated_items(const std::vector<bundle::Item>& items);
base::Result<std::vector<bundle::Item>> parse_elevated_items(std::string_view text);

// {"format": "tolvik-elevated-answer", "items": [{"state", "reason"}], "processes": [...]}.
std::string serialize_elevated_answer(const OpenResult& result);
// An answer for exactly `count` items; anything else is refused.
base::Result<OpenResult> parse_elevated_answer(std::string_view text, std::size_t count);

}  // namespace app
