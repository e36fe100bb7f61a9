#pragma once
// Reading and writing the one JSON file that holds every bundle.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "base/result.h"
#include "bundle/model.h"

namespace bundle {

// Ten thousand bundles of ten items take about 15 MB; a larger file is not
// read and counts as unreadable (start-up sets it aside).
inline constexpr std::size_t kStoreFileMaxBytes = 256 * 1024 * 1024;

// Parses store text (already read, may start with byte order marks). Repairs
// empty and repeated ids, and ids that --open "<id>" could not carry (a quote,
// a trailing backslash, a control character), and says so in `ids_repaired`
// when given. Errors carry the parser's line and column.
base::Result<Store> parse_store(std::string_view text, bool* ids_repaired = nullptr);

// Reads and parses the store file. A missing file or folder gives an empty
// store; a file over kStoreFileMaxBytes is an error.
base::Result<Store> load_store(const std::string& path, bool* ids_repaired = nullptr);

// The exact saved form: pretty JSON, two-space indent, no trailing newline.
std::string serialize_store(const Store& store);

// One bundle object in the same pretty form, indented as if at `depth` levels
// (used by the export file as well).
void serialize_bundle(const Bundle& bundle, std::string& out, int depth);

// The store file TOLVIK_STORE names, when it is set and not empty: the program
// then runs on another store than the user's own. Empty names no file and
// counts as not set.
std::optional<std::string> store_path_override();

// Where the store lives: store_path_override(), else
// %APPDATA%\tolvik\bundles.json, else the user's temporary folder in place of
// APPDATA.
std::string store_path();

}  // namespace bundle
