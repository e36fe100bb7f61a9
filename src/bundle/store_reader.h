#pragma once
// Reads the store's records from JSON text by one set of rules, shared by the
// store file and the export file: a record is an object with its field names
// as keys, or an array of its field values in declaration order; unknown keys
// are skipped; a field given twice, a missing required field, a value of the
// wrong type or an unknown kind is an error. Errors name the line and column.

#include <string>
#include <string_view>

#include "base/result.h"
#include "bundle/model.h"

namespace bundle::json {

// The text without the byte order marks it may start with (files saved by
// some editors carry one, or several when saved again).
std::string_view without_byte_order_marks(std::string_view text);

// The text must not start with a byte order mark. Bundle ids are read as they
// are (not repaired).
base::Result<Store> read_store(std::string_view text);
base::Result<Bundle> read_bundle(std::string_view text);

// The export file: `format` (a string), `version` (any number, not kept) and
// `bundle`, all required.
struct ExportedRecord {
  std::string format;
  Bundle bundle;
};
base::Result<ExportedRecord> read_exported(std::string_view text);

}  // namespace bundle::json
