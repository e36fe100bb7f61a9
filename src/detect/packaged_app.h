#pragma once
// Programs of packaged (Store) apps live in a folder named for the package's
// exact version ("...\WindowsApps\<PackageFullName>\..."), which the next
// update of the app removes. Such a program is kept by the app's
// AppUserModelID instead, which stays the same across updates.

#include <optional>
#include <string>
#include <string_view>

namespace detect {

// The manifest of a package is small; a larger file is not read.
inline constexpr std::size_t kPackageManifestMaxBytes = 4 * 1024 * 1024;

// "Name_Version_Arch_ResourceId_PublisherId" → "Name_PublisherId"; none when
// the text is not a package full name.
std::optional<std::string> package_family_name(std::string_view full_name);

// The Id of the <Application> whose Executable is `executable` (compared
// without case, either separator) in the text of an AppxManifest.xml.
std::optional<std::string> application_id(std::string_view manifest, std::string_view executable);

// "shell:AppsFolder\<family name>!<application id>" for a program inside a
// WindowsApps folder, read from its package's manifest; none when the path is
// elsewhere or the app cannot be worked out (the path is then kept).
std::optional<std::string> packaged_app_target(std::string_view program);

}  // namespace detect
