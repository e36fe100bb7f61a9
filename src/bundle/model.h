#pragma once
// The records the whole program works on: the store, its bundles, their items.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bundle/hotkey.h"

namespace bundle {

// Order matters where a numeric form is used: app = 0 ... url = 3.
enum class Kind : std::uint8_t { app, file, folder, url };

std::string_view kind_name(Kind kind);
std::optional<Kind> kind_from_name(std::string_view name);

// What an item does when it is already running (apps and folders).
enum class IfRunning : std::uint8_t { start_another, focus, skip };
// The show command an item is started with.
enum class WindowState : std::uint8_t { normal, minimized, maximized };

// The stored words: "focus", "skip"; "minimized", "maximized". The defaults
// have names too ("start", "normal") but are never written.
std::string_view if_running_name(IfRunning value);
std::optional<IfRunning> if_running_from_name(std::string_view name);
std::string_view window_state_name(WindowState value);
std::optional<WindowState> window_state_from_name(std::string_view name);

// The ranges of the seconds options, wherever items are read: a delay of 0 to
// kMaxDelaySeconds, a wait of 0 (none) or kMinWaitSeconds to kMaxWaitSeconds
// (a wait below a second cannot be told from none).
inline constexpr double kMaxDelaySeconds = 600;
inline constexpr double kMinWaitSeconds = 1;
inline constexpr double kMaxWaitSeconds = 600;
// The wait a newly ticked "wait until its window is ready" starts with.
inline constexpr double kDefaultWaitSeconds = 30;

// How an item is opened. Every member is stored only while it differs from
// its default, so older versions skip them and plain items keep their form.
struct ItemOptions {
  double delay = 0;  // seconds before it starts, 0-600; 0: the usual short gap
  double wait = 0;   // seconds to wait for its window before the next item; 0: no wait
  IfRunning if_running = IfRunning::start_another;
  WindowState window = WindowState::normal;
  bool admin = false;      // apps: started elevated
  std::string dir;         // apps: the folder it starts in; empty: the app's own folder
  bool keep_open = false;  // left alone when the bundle is closed

  bool operator==(const ItemOptions&) const = default;
};

struct Item {
  Kind kind = Kind::file;
  std::string target;  // a file-system path, or a web address / other URI for url
  std::string args;    // command-line parameters, used only for kind app
  std::string name;    // a label chosen by the user; empty means the derived label
  // Came from someone else's bundle file and starts a program or hands its
  // target to a handler other than the browser: the user is asked once before
  // it is first started. Stored only while set ("unreviewed": true), so older
  // versions skip it and stores without imports keep their exact form.
  bool unreviewed = false;
  ItemOptions options;

  bool operator==(const Item&) const = default;
};

inline constexpr double kMaxSignInDelaySeconds = 600;

struct Bundle {
  std::string id;
  std::string name;
  std::vector<Item> items;
  // How it is reached from outside the window. Stored only while set, and
  // never carried by an export, an import or a copy: a shared file must not
  // take a key or start at sign-in, and two bundles never share a key.
  std::optional<Hotkey> hotkey;
  bool at_sign_in = false;
  double sign_in_delay = 0;  // seconds after sign-in before it opens, 0-600

  bool operator==(const Bundle&) const = default;
};

struct Store {
  std::uint32_t version = 1;
  std::vector<Bundle> bundles;

  bool operator==(const Store&) const = default;
};

// A packaged (Store) app: "shell:AppsFolder\<AppUserModelID>", the prefix in
// any ASCII case. The shell opens it; it has no file to check for.
inline constexpr std::string_view kAppsFolderPrefix = "shell:AppsFolder\\";
bool is_packaged_app(std::string_view target);
// The AppUserModelID of such a target; empty for any other.
std::string_view packaged_app_id(std::string_view target);

// Whether the item names something the file system can be asked about: any
// kind but url, and not a packaged app.
bool has_file_target(const Item& item);

// The text shown for an item and used in summaries.
std::string item_label(const Item& item);

// The key of the missing-target set and the icon cache: the target without
// trailing backslashes, lower-cased by full Unicode rules.
std::string item_key(std::string_view target);
// What makes two path items (any kind but url) of a bundle the same entry,
// with their arguments: the target without trailing backslashes, lower-cased
// in ASCII only.
std::string duplicate_key(std::string_view target);

// A fresh bundle id: "b" + microseconds (hex) + process-wide counter (4 hex
// digits) + process id & 0xFFF (hex). Unique within the process across threads.
std::string new_bundle_id();

}  // namespace bundle
