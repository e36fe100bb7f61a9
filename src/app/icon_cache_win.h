#pragma once
// Item icons converted for drawing, by item key (bundle::item_key). A null
// bitmap records that the shell gave none or it could not be converted: the
// vector kind icon is drawn and the shell is not asked again. Emptied when the
// rendering context is made again (the bitmaps belong to its device).

#include <d2d1.h>
#include <wrl/client.h>

#include <string>
#include <unordered_map>

namespace app {

using IconCache = std::unordered_map<std::string, Microsoft::WRL::ComPtr<ID2D1Bitmap>>;

}  // namespace app
