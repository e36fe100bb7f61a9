// Arbitrary bytes as the store file: loading must not crash, every id must be
// usable after the repair, and what loads must come back the same after
// being saved again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>

#include "base/unicode.h"
#include "base/utf.h"
#include "bundle/store_file.h"
#include "require.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  bool repaired = false;
  auto store = bundle::parse_store(text, &repaired);
  if (!store) {
    fuzz::require(!store.error().text.empty(), "a refused store says why");
    return 0;
  }

  std::unordered_set<std::string> ids;
  for (const bundle::Bundle& b : store->bundles) {
    fuzz::require(!base::trim(b.id).empty(), "every id is non-blank after the repair");
    fuzz::require(ids.insert(b.id).second, "every id is unique after the repair");
  }

  const std::string written = bundle::serialize_store(*store);
  fuzz::require(base::is_valid_utf8(written), "the written store is UTF-8");
  bool repaired_again = true;
  auto again = bundle::parse_store(written, &repaired_again);
  fuzz::require(again.ok(), "a written store reads back");
  fuzz::require(!repaired_again, "a written store needs no repair");
  // Text that was not UTF-8 is written as U+FFFD; everything else is kept.
  if (base::is_valid_utf8(text)) fuzz::require(*again == *store, "a written store reads back unchanged");
  fuzz::require(bundle::serialize_store(*again) == written, "writing is stable");
  return 0;
}
