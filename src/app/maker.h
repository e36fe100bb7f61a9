#pragma once
// The maker's addresses, kept in one place. The hosts are placeholders that the
// maker sets before a release.

#include <string_view>

namespace app::maker {

// The web site; the translation tables map it to the page of each language.
inline constexpr std::string_view kWebSite = "https://velmora.example/";
inline constexpr std::string_view kWebSiteKorean = "https://velmora.example/ko/";

// Where the update check finds its manifest.
inline constexpr std::string_view kUpdateServer = "https://updates.velmora.example/";

}  // namespace app::maker
