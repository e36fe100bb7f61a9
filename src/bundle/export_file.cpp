#include "bundle/export_file.h"

#include "bundle/json_writer.h"
#include "bundle/store_file.h"
#include "bundle/store_reader.h"

namespace bundle {

Bundle without_local_settings(Bundle bundle) {
  bundle.hotkey.reset();
  bundle.at_sign_in = false;
  bundle.sign_in_delay = 0;
  return bundle;
}

std::string serialize_exported(const Bundle& bundle) {
  // The receiver decides for itself what to ask about; a mark never travels,
  // so a bundle exported and imported again is asked about again. Nor does
  // "run as administrator": a shared file never makes anything run elevated.
  Bundle shared = without_local_settings(bundle);
  for (Item& item : shared.items) {
    item.unreviewed = false;
    item.options.admin = false;
  }
  std::string out;
  json::ObjectWriter object(out, 0);
  object.text("format", "tolvik");
  object.number("version", 1);
  object.value("bundle", [&](std::string& text, int depth) { serialize_bundle(shared, text, depth); });
  object.close();
  return out;
}

base::Result<Bundle> parse_exported(std::string_view text) {
  auto record = json::read_exported(json::without_byte_order_marks(text));
  if (!record) return base::fail_with(record.error());
  if (record->format != "tolvik") return base::fail("The file's format is not \"tolvik\".");
  // Whichever program wrote the file, elevation is the receiver's own choice.
  for (Item& item : record->bundle.items) item.options.admin = false;
  return without_local_settings(std::move(record->bundle));
}

}  // namespace bundle
