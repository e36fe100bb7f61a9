// Arbitrary bytes as an export file: reading must not crash, and whatever
// reads must come back the same after being written again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/utf.h"
#include "bundle/export_file.h"
#include "require.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto bundle = bundle::parse_exported(text);
  if (!bundle) return 0;

  const std::string written = bundle::serialize_exported(*bundle);
  fuzz::require(base::is_valid_utf8(written), "the written file is UTF-8");
  auto again = bundle::parse_exported(written);
  fuzz::require(again.ok(), "a written bundle reads back");
  fuzz::require(*again == *bundle, "a written bundle reads back unchanged");
  // The written form is a fixed point: writing the copy gives the same text.
  fuzz::require(bundle::serialize_exported(*again) == written, "writing is stable");
  return 0;
}
