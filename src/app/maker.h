#pragma once
// The maker's addresses, kept in one place. The hosts are placeholders that the
// maker sets before a release.

#include <string_view>

namespace app::maker {

// The web site; the translation tables map it to the page of each language.
inline constexpr std::string_view kWebSite = "https://velmora.example/";
inline constexpr std::string_view kWebSiteKorean = "https://velmora.example/ko/";

// The About box: the program's version, its product page and the maker's notice.
inline constexpr std::string_view kVersion = "0.1.0";
inline constexpr std::string_view kProductPage = "https://velmora.example/tolvik/";
inline constexpr std::string_view kNotice = "© 2026 Velmora Co., Ltd.";

// Where the update check finds its manifest.
inline constexpr std::string_view kUpdateServer = "https://updates.velmora.example/";

}  // namespace app::maker
