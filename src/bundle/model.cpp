#include "bundle/model.h"

#include <array>
#include <atomic>
#include <charconv>

#include "base/clock.h"
#include "base/file.h"
#include "base/unicode.h"
#include "base/win_path.h"

namespace bundle {
namespace {

constexpr std::array<std::string_view, 4> kKindNames = {"app", "file", "folder", "url"};
constexpr std::array<std::string_view, 3> kIfRunningNames = {"start", "focus", "skip"};
constexpr std::array<std::string_view, 3> kWindowNames = {"normal", "minimized", "maximized"};

template <class Enum, std::size_t N>
std::optional<Enum> from_name(const std::array<std::string_view, N>& names, std::string_view name) {
  for (std::size_t i = 0; i < N; ++i) {
    if (names[i] == name) return static_cast<Enum>(i);
  }
  return std::nullopt;
}

// "Microsoft.WindowsCalculator_8wekyb3d8bbwe!App" shows as
// "Microsoft.WindowsCalculator": the package's name without its publisher.
std::string packaged_app_label(std::string_view id) {
  std::string_view shown = id.substr(0, id.find('!'));
  if (const std::size_t underscore = shown.rfind('_'); underscore != std::string_view::npos && underscore > 0) {
    shown = shown.substr(0, underscore);
  }
  return std::string(shown.empty() ? id : shown);
}

std::string url_label(std::string_view target) {
  std::string_view rest = target;
  if (const std::size_t scheme_end = rest.find("://"); scheme_end != std::string_view::npos) {
    rest.remove_prefix(scheme_end + 3);
  }
  if (rest.starts_with("mailto:")) rest.remove_prefix(7);
  rest = rest.substr(0, rest.find_first_of("/?#"));
  if (const std::size_t at = rest.rfind('@'); at != std::string_view::npos) rest.remove_prefix(at + 1);
  return std::string(rest.empty() ? target : rest);
}

std::string path_label(Kind kind, std::string_view target) {
  std::string_view component = base::win_path::last_component(target);
  // Nothing left, or a drive such as "C:": the whole target says more.
  if (component.empty() || component.back() == ':') return std::string(target);
  if (kind == Kind::app) {
    // notepad.exe shows as notepad; a name that only begins with a dot stays whole.
    const std::size_t dot = component.rfind('.');
    if (dot != std::string_view::npos && dot > 0) component = component.substr(0, dot);
  }
  return std::string(component);
}

void append_hex(std::string& out, std::uint64_t value, int min_digits) {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, value, 16).ptr;
  const int count = static_cast<int>(end - digits);
  if (count < min_digits) out.append(static_cast<std::size_t>(min_digits - count), '0');
  out.append(digits, end);
}

}  // namespace

std::string_view kind_name(Kind kind) { return kKindNames[static_cast<std::size_t>(kind)]; }

std::optional<Kind> kind_from_name(std::string_view name) { return from_name<Kind>(kKindNames, name); }

std::string_view if_running_name(IfRunning value) { return kIfRunningNames[static_cast<std::size_t>(value)]; }

std::optional<IfRunning> if_running_from_name(std::string_view name) {
  return from_name<IfRunning>(kIfRunningNames, name);
}

std::string_view window_state_name(WindowState value) { return kWindowNames[static_cast<std::size_t>(value)]; }

std::optional<WindowState> window_state_from_name(std::string_view name) {
  return from_name<WindowState>(kWindowNames, name);
}

bool is_packaged_app(std::string_view target) {
  return target.size() > kAppsFolderPrefix.size() &&
         base::ascii_lower(target.substr(0, kAppsFolderPrefix.size())) == base::ascii_lower(kAppsFolderPrefix);
}

std::string_view packaged_app_id(std::string_view target) {
  return is_packaged_app(target) ? target.substr(kAppsFolderPrefix.size()) : std::string_view();
}

bool has_file_target(const Item& item) { return item.kind != Kind::url && !is_packaged_app(item.target); }

std::string item_label(const Item& item) {
  if (const std::string_view name = base::trim(item.name); !name.empty()) return std::string(name);
  if (item.kind == Kind::url) return url_label(item.target);
  if (item.kind == Kind::app && is_packaged_app(item.target)) return packaged_app_label(packaged_app_id(item.target));
  return path_label(item.kind, item.target);
}

std::string item_key(std::string_view target) {
  return base::to_lower_full(base::win_path::without_trailing_backslashes(target));
}

std::string duplicate_key(std::string_view target) {
  return base::ascii_lower(base::win_path::without_trailing_backslashes(target));
}

std::string new_bundle_id() {
  // Process-wide, so ids made in the same microsecond (on any thread) still differ.
  static std::atomic<std::uint16_t> counter{0};
  const std::uint16_t sequence = counter.fetch_add(1, std::memory_order_relaxed);
  std::string id = "b";
  id.reserve(24);
  append_hex(id, base::unix_micros(), 1);
  append_hex(id, sequence, 4);
  append_hex(id, base::process_id() & 0xFFFu, 1);
  return id;
}

}  // namespace bundle
