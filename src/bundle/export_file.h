#pragma once
// A single bundle in a file of its own (.tolvik), to move it to another PC.

#include <cstddef>
#include <string>
#include <string_view>

#include "base/result.h"
#include "bundle/model.h"

namespace bundle {

// An export of a bundle of ten thousand items is about 1.3 MB; the import reads
// no file larger than this, so a wrong or endless file cannot exhaust memory.
inline constexpr std::size_t kExportFileMaxBytes = 16 * 1024 * 1024;

// The bundle without what belongs to this PC alone: its hotkey and its
// opening at sign-in. Exports, imports and copies leave them behind.
Bundle without_local_settings(Bundle bundle);

// {"format": "tolvik", "version": 1, "bundle": {...}} in the store's pretty form.
std::string serialize_exported(const Bundle& bundle);

// Reads an export file's text (leading byte order marks skipped) and returns its bundle.
base::Result<Bundle> parse_exported(std::string_view text);

}  // namespace bundle
