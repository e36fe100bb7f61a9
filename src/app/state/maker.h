#pragma once
// The maker's addresses, kept in one place. The hosts are placeholders that the
// maker sets before a release.

#include <string_view>

namespace app::maker {

// The web site; the translation tables map it to the page of each language.
inline constexpr std::string_view kWebSite = "https://velmora.example/";
inline constexpr std::string_view kWebSiteKorean = "https://velmora.example/ko/";

// The program's version ("0.1.0"): the About box and the update check show it.
// Its one home is project(VERSION) in CMakeLists.txt, which also writes it into
// each executable's version record and manifest; the definition is generated
// per executable (src/app/state/version.cpp.in), so a build of another version
// recompiles one small file, not the program.
extern const std::string_view kVersion;

// The About box: the product page and the maker's notice.
inline constexpr std::string_view kProductPage = "https://velmora.example/tolvik/";
inline constexpr std::string_view kNotice = "© 2026 Velmora Co., Ltd.";

// Where the update check finds its manifest.
inline constexpr std::string_view kUpdateServer = "https://updates.velmora.example/";

}  // namespace app::maker
