#include "detect/packaged_app.h"

#include <vector>

#include "base/file.h"
#include "base/unicode.h"
#include "base/win_path.h"
#include "bundle/model.h"

namespace detect {
namespace {

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

// A relative path as a key: lower-cased, backslashes only, no leading separator.
std::string path_key(std::string_view path) {
  std::string key = base::to_lower_full(path);
  for (char& c : key) {
    if (c == '/') c = '\\';
  }
  const std::size_t first = key.find_first_not_of('\\');
  return first == std::string::npos ? std::string() : key.substr(first);
}

// The manifest writes attribute values with XML's five entities.
std::string unescape_xml(std::string_view text) {
  static constexpr std::pair<std::string_view, char> kEntities[] = {
      {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    bool replaced = false;
    if (text[i] == '&') {
      for (const auto& [entity, c] : kEntities) {
        if (text.substr(i, entity.size()) == entity) {
          out += c;
          i += entity.size();
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) out += text[i++];
  }
  return out;
}

bool is_name_char(char c) { return c != '>' && c != '/' && c != '=' && !base::is_white_space(static_cast<unsigned char>(c)); }

// The value of attribute `name` in the text of one start tag.
std::optional<std::string> attribute(std::string_view tag, std::string_view name) {
  std::size_t i = 0;
  while (i < tag.size()) {
    while (i < tag.size() && !is_name_char(tag[i])) ++i;
    const std::size_t start = i;
    while (i < tag.size() && is_name_char(tag[i])) ++i;
    const std::string_view found = tag.substr(start, i - start);
    while (i < tag.size() && base::is_white_space(static_cast<unsigned char>(tag[i]))) ++i;
    if (i >= tag.size() || tag[i] != '=') continue;
    ++i;
    while (i < tag.size() && base::is_white_space(static_cast<unsigned char>(tag[i]))) ++i;
    if (i >= tag.size() || (tag[i] != '"' && tag[i] != '\'')) continue;
    const char quote = tag[i++];
    const std::size_t end = tag.find(quote, i);
    if (end == std::string_view::npos) return std::nullopt;
    if (found == name) return unescape_xml(tag.substr(i, end - i));
    i = end + 1;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> package_family_name(std::string_view full_name) {
  const std::vector<std::string_view> parts = split(full_name, '_');
  // The resource id may be empty ("Name_1.0.0.0_x64__8wekyb3d8bbwe"); the name and publisher id may not.
  if (parts.size() != 5 || parts[0].empty() || parts[1].empty() || parts[2].empty() || parts[4].empty()) {
    return std::nullopt;
  }
  return std::string(parts[0]) + "_" + std::string(parts[4]);
}

std::optional<std::string> application_id(std::string_view manifest, std::string_view executable) {
  const std::string wanted = path_key(executable);
  std::size_t at = 0;
  while ((at = manifest.find('<', at)) != std::string_view::npos) {
    const std::size_t end = manifest.find('>', at);
    if (end == std::string_view::npos) break;
    const std::string_view tag = manifest.substr(at + 1, end - at - 1);
    at = end;
    std::string_view element = tag.substr(0, tag.find_first_of(" \t\r\n/"));
    // The manifest's own namespace may be written with a prefix.
    if (const std::size_t colon = element.find(':'); colon != std::string_view::npos) element.remove_prefix(colon + 1);
    if (element != "Application") continue;
    const auto program = attribute(tag, "Executable");
    const auto id = attribute(tag, "Id");
    if (program && id && !id->empty() && path_key(*program) == wanted) return id;
  }
  return std::nullopt;
}

std::optional<std::string> packaged_app_target(std::string_view program) {
  // Find the WindowsApps component, then the package folder and the program below it.
  std::size_t start = 0;
  while (start < program.size()) {
    std::size_t end = start;
    while (end < program.size() && !base::win_path::is_separator(program[end])) ++end;
    if (end < program.size() && base::ascii_iequals(program.substr(start, end - start), "WindowsApps")) {
      const std::size_t package_start = end + 1;
      std::size_t package_end = package_start;
      while (package_end < program.size() && !base::win_path::is_separator(program[package_end])) ++package_end;
      if (package_end + 1 >= program.size()) return std::nullopt;
      const auto family = package_family_name(program.substr(package_start, package_end - package_start));
      if (!family) return std::nullopt;
      const std::string manifest_path =
          std::string(program.substr(0, package_end + 1)) + "AppxManifest.xml";
      auto manifest = base::read_text_file(manifest_path, kPackageManifestMaxBytes);
      if (!manifest) return std::nullopt;
      const auto id = application_id(*manifest, program.substr(package_end + 1));
      if (!id) return std::nullopt;
      return std::string(bundle::kAppsFolderPrefix) + *family + "!" + *id;
    }
    start = end + 1;
  }
  return std::nullopt;
}

}  // namespace detect
