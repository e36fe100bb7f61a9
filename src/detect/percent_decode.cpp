#include "base/utf.h"
#include "detect/detect.h"

namespace detect {
namespace {

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string percent_decode(std::string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '%' && i + 2 < text.size()) {
      const int high = hex_value(text[i + 1]);
      const int low = hex_value(text[i + 2]);
      if (high >= 0 && low >= 0) {
        bytes.push_back(static_cast<char>(high * 16 + low));
        i += 3;
        continue;
      }
    }
    bytes.push_back(text[i]);
    ++i;
  }
  // Decoded bytes may spell anything, so they are read as UTF-8 only here.
  return base::sanitize_utf8(bytes);
}

}  // namespace detect
