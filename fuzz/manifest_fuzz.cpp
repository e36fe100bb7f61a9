// Arbitrary bytes as the update server's manifest: parsing must not crash or
// throw, an accepted manifest must keep every rule, and the offer written as
// a manifest must read back the same.
#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "app/updater/manifest.h"
#include "require.h"

namespace {

bool lower_hex(std::string_view text) {
  for (char c : text) {
    if ((c < '0' || c > '9') && (c < 'a' || c > 'f')) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto offer = app::parse_manifest(text);
  if (!offer) {
    fuzz::require(offer.error().text == app::kManifestFailure, "a broken manifest fails with \"manifest\"");
    return 0;
  }
  fuzz::require(!offer->version.empty() && offer->version.size() <= 32, "a version has 1 to 32 characters");
  fuzz::require(offer->version.find_first_not_of("0123456789.") == std::string::npos, "a version is digits and dots");
  fuzz::require(offer->url.starts_with("https://"), "the address is https");
  fuzz::require(offer->sha256.size() == 64 && lower_hex(offer->sha256), "the digest is 64 lower-case hex digits");

  const nlohmann::json written = {
      {"version", offer->version}, {"url", offer->url}, {"sha256", offer->sha256}, {"size", offer->size}};
  const auto again = app::parse_manifest(written.dump(2));
  fuzz::require(again.ok() && *again == *offer, "an offer written as a manifest reads back unchanged");
  return 0;
}
