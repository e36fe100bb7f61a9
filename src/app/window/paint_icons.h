#pragma once
// The drawn icon of each kind of item: the painting's choice among the
// window's icons (gfx/icons.h), which know nothing of bundles.

#include <string_view>

#include "bundle/model.h"
#include "gfx/icons.h"

namespace app {

// The vector icon of an item kind: app, file, folder, web address.
constexpr std::string_view kind_icon(bundle::Kind kind) {
  switch (kind) {
    case bundle::Kind::app:
      return gfx::icon_app;
    case bundle::Kind::file:
      return gfx::icon_file;
    case bundle::Kind::folder:
      return gfx::icon_folder;
    case bundle::Kind::url:
      return gfx::icon_web;
  }
  return gfx::icon_file;
}

}  // namespace app
