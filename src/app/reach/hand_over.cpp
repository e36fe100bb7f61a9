#include "app/reach/hand_over.h"

#include "base/utf.h"

namespace app {

HandOver read_hand_over(std::uint64_t marker, std::u16string_view text) {
  switch (marker) {
    case kShowMarker: return {HandOver::Kind::show, {}};
    case kQuitMarker: return {HandOver::Kind::quit, {}};
    case kHandOverMarker: break;
    default: return {};
  }
  while (!text.empty() && text.back() == u'\0') text.remove_suffix(1);
  // An empty path would import the working folder's nothing, and one cut
  // by a NUL some other file than the one sent.
  if (text.empty() || text.find(u'\0') != std::u16string_view::npos) return {};
  return {HandOver::Kind::import_file, base::utf16_to_utf8(text)};
}

}  // namespace app
