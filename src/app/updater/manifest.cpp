#include "app/updater/manifest.h"

#include <nlohmann/json.hpp>

#include "base/unicode.h"
#include "base/utf.h"

namespace app {
namespace {

bool valid_version(const std::string& version) {
  if (version.empty() || version.size() > 32) return false;
  for (char c : version) {
    if ((c < '0' || c > '9') && c != '.') return false;
  }
  return true;
}

// An empty or malformed digest could never match a download; it is refused
// with the manifest rather than found out after the download.
std::optional<std::string> lower_hex_digest(const std::string& digest) {
  if (digest.size() != 64) return std::nullopt;
  std::string lower = digest;
  for (char& c : lower) {
    if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
    if ((c < '0' || c > '9') && (c < 'a' || c > 'f')) return std::nullopt;
  }
  return lower;
}

// The address goes to curl whole and must stay one address: nothing that
// could end or split an argument (white space of any kind, quotes), no
// control character, and something after the scheme.
bool valid_url(const std::string& url) {
  constexpr std::string_view kScheme = "https://";
  if (url.rfind(kScheme, 0) != 0 || url.size() == kScheme.size()) return false;
  for (std::size_t pos = 0; pos < url.size();) {
    const char32_t c = base::decode_utf8(url, pos);
    if (c < 0x20 || c == 0x7F || c == U'"' || c == U'\'' || base::is_white_space(c)) return false;
  }
  return true;
}

const std::string* string_member(const nlohmann::json& object, const char* name) {
  const auto found = object.find(name);
  if (found == object.end() || !found->is_string()) return nullptr;
  return found->get_ptr<const std::string*>();
}

}  // namespace

std::string manifest_address(std::string_view server, std::string_view version, std::string_view language) {
  std::string address(server);
  if (address.empty() || address.back() != '/') address += '/';
  address += "tolvik/update.json?v=";
  address += version;
  address += "&lang=";
  address += language;
  return address;
}

base::Result<UpdateOffer> parse_manifest(std::string_view text) {
  auto broken = [] { return base::fail(std::string(kManifestFailure)); };
  const nlohmann::json manifest = nlohmann::json::parse(text, nullptr, false);
  if (manifest.is_discarded() || !manifest.is_object()) return broken();
  const std::string* version = string_member(manifest, "version");
  const std::string* url = string_member(manifest, "url");
  const std::string* sha256 = string_member(manifest, "sha256");
  if (!version || !valid_version(*version)) return broken();
  if (!url || !valid_url(*url)) return broken();
  if (!sha256) return broken();
  std::optional<std::string> digest = lower_hex_digest(*sha256);
  if (!digest) return broken();

  UpdateOffer offer{*version, *url, std::move(*digest), 0};
  // nlohmann keeps every non-negative integer as unsigned; negative numbers,
  // fractions, numbers past 64 bits and other types all count as 0.
  if (const auto size = manifest.find("size"); size != manifest.end() && size->is_number_unsigned()) {
    offer.size = size->get<std::uint64_t>();
    if (offer.size > kInstallerMaxBytes) return broken();
  }
  return offer;
}

}  // namespace app
