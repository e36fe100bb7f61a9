#include "bundle/export_file.h"

#include "bundle/store_file.h"
#include "bundle/store_reader.h"

namespace bundle {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

std::string serialize_exported(const Bundle& bundle) {
  // The receiver decides for itself what to ask about; a mark never travels,
  // so a bundle exported and imported again is asked about again.
  Bundle shared = bundle;
  for (Item& item : shared.items) item.unreviewed = false;
  std::string out = "{\n  \"format\": \"tolvik\",\n  \"version\": 1,\n  \"bundle\": ";
  serialize_bundle(shared, out, 1);
  out += "\n}";
  return out;
}

base::Result<Bundle> parse_exported(std::string_view text) {
  while (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) text.remove_prefix(kByteOrderMark.size());
  auto record = json::read_exported(text);
  if (!record) return base::fail_with(record.error());
  if (record->format != "tolvik") return base::fail("The file's format is not \"tolvik\".");
  return std::move(record->bundle);
}

}  // namespace bundle
