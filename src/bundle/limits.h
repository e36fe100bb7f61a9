#pragma once
// How long a name, target or argument list may be when it comes from outside
// (an imported file, a drop, a paste). The store keeps what it holds, so a
// limit left out here would make every later start read and draw it again.

#include <cstddef>
#include <string>
#include <string_view>

#include "bundle/model.h"

namespace bundle {

// Characters (Unicode scalar values) of a bundle's or an item's name: far more
// than fits in the sidebar or a row.
inline constexpr std::size_t kMaxNameChars = 200;

// UTF-16 units of a target or an argument list: the longest command line and
// path Windows takes, so a longer one could never be started anyway.
inline constexpr std::size_t kMaxTargetUnits = 32767;

// The name cut to kMaxNameChars characters; a name that fits is returned as it is.
std::string cut_name(std::string_view name);

// UTF-16 units of (valid) UTF-8 text.
std::size_t utf16_length(std::string_view text);

// Whether the item's target and arguments fit within kMaxTargetUnits. A longer
// one is left out, never cut: a cut path or address names something else.
bool fits_limits(const Item& item);

// A bundle from outside brought within the limits: its name and its items'
// names cut, the items whose target or arguments are too long left out.
void apply_limits(Bundle& bundle);

}  // namespace bundle
