// Arbitrary bytes as pasted text and as the contents of an Internet-shortcut
// file: classification must not crash, and every item must be one the store
// can hold.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/unicode.h"
#include "base/utf.h"
#include "bundle/model.h"
#include "detect/detect.h"
#include "detect/internet_shortcut.h"
#include "require.h"

namespace {

bool contains_white_space(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (base::is_white_space(base::decode_utf8(text, pos))) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::vector<bundle::Item> items = detect::detect_items(text);
  const std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
  fuzz::require(items.size() <= lines, "at most one item per line");
  for (const bundle::Item& item : items) {
    fuzz::require(item.kind == bundle::Kind::url || item.kind == bundle::Kind::app || item.kind == bundle::Kind::file ||
                item.kind == bundle::Kind::folder,
            "kind is one of url, app, file, folder");
    fuzz::require(!item.target.empty(), "target is not empty");
    fuzz::require(base::is_valid_utf8(item.target), "target is valid UTF-8");
    fuzz::require(item.args.empty(), "args are empty");
    if (item.kind == bundle::Kind::url) {
      fuzz::require(!contains_white_space(item.target), "a web address holds no white space");
      fuzz::require(item.name.empty(), "a typed web address has no name");
    }
  }

  if (const std::optional<std::string> address = detect::internet_shortcut_address(text)) {
    fuzz::require(!address->empty(), "a shortcut's address is not empty");
    fuzz::require(base::is_valid_utf8(*address), "a shortcut's address is valid UTF-8");
    fuzz::require(base::trim(*address) == *address, "a shortcut's address is trimmed");
  }
  return 0;
}
