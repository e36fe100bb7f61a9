#pragma once
// A platform that records what the application asked of the window and the
// system, with a clock the test moves by hand.

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/bundles/installed_apps_host.h"
#include "app/opening/open.h"
#include "app/opening/opening_host.h"
#include "app/reach/notification_host.h"
#include "app/reach/sign_in_host.h"
#include "app/state/hotkey_host.h"
#include "app/state/platform.h"
#include "app/updater/update_host.h"
#include "app/updater/update_results.h"

namespace testing_support {

class FakePlatform final : public app::Platform,
                          public app::HotkeyHost,
                          public app::NotificationHost,
                          public app::SignInHost,
                          public app::InstalledAppsHost,
                          public app::OpeningHost,
                          public app::UpdateHost {
 public:
  app::HotkeyHost& hotkey_host() override { return *this; }
  app::NotificationHost& notification_host() override { return *this; }
  app::SignInHost& sign_in_host() override { return *this; }
  app::InstalledAppsHost& installed_apps_host() override { return *this; }
  app::OpeningHost& opening_host() override { return *this; }
  app::UpdateHost& update_host() override { return *this; }
  std::map<std::string, std::string> settings;
  int invalidations = 0;
  std::optional<gfx::SystemColours> high_contrast;  // what high_contrast_colours() answers
  std::optional<std::uint32_t> text_scale_percent;   // what text_scale_setting() answers
  std::vector<std::pair<app::TimerId, unsigned>> timers;
  double now = 100.0;
  std::vector<std::vector<std::string>> target_checks;
  struct OpenRequest {
    std::string bundle_id;
    std::vector<bundle::Item> items;
    std::vector<std::size_t> positions;
  };
  std::vector<OpenRequest> open_requests;
  std::vector<std::string> close_requests;
  app::CloseReport close_report;
  bool fail_open_worker = false;
  int stops = 0;  // stop_opening calls
  std::set<std::string> existing;  // targets that exist
  std::vector<bundle::Item> started;
  std::set<std::string> failing_starts;

  // Settings whose writes fail, as a registry that refuses them would.
  std::set<std::string> refused_settings;
  base::Status write_setting_text(std::string_view name, std::string_view value) override {
    if (refused_settings.count(std::string(name))) return base::fail("Access is denied.");
    settings[std::string(name)] = std::string(value);
    return {};
  }
  std::optional<gfx::SystemColours> high_contrast_colours() override { return high_contrast; }
  std::optional<std::uint32_t> text_scale_setting() override { return text_scale_percent; }
  void invalidate() override { ++invalidations; }
  void set_timer(app::TimerId id, unsigned ms) override {
    timers.emplace_back(id, ms);
    if (on_set_timer) on_set_timer(id, ms);
  }
  double monotonic_seconds() override { return now; }
  void start_target_check(std::vector<std::string> targets) override { target_checks.push_back(std::move(targets)); }
  base::Status start_open_worker(std::string bundle_id, std::vector<bundle::Item> items,
                                 std::vector<std::size_t> positions) override {
    if (fail_open_worker) return base::fail("no thread");
    open_requests.push_back({std::move(bundle_id), std::move(items), std::move(positions)});
    return {};
  }
  app::CloseReport close_last_opening(const std::string& bundle_id) override {
    close_requests.push_back(bundle_id);
    return close_report;
  }
  void stop_opening() override { ++stops; }
  bool target_exists(const std::string& target) override { return existing.count(target) > 0; }
  // The Applications folder, and the position the user picks from the list shown.
  std::vector<app::InstalledApp> apps_folder;
  std::vector<std::vector<app::InstalledApp>> app_lists_shown;
  std::optional<std::size_t> app_picked;
  std::vector<app::InstalledApp> installed_apps() override { return apps_folder; }
  std::optional<std::size_t> choose_installed_app(const std::vector<app::InstalledApp>& apps) override {
    app_lists_shown.push_back(apps);
    return app_picked;
  }
  base::Status start_item(const bundle::Item& item) override {
    started.push_back(item);
    if (failing_starts.count(item.target)) return base::fail("Access is denied.");
    return {};
  }

  // The inline field: what it was opened with, the text the user "typed".
  bool edit_field_fails = false;
  std::optional<app::ActiveEdit> edit_field;
  std::string edit_field_initial;
  std::string edit_field_cue;
  std::string edit_field_text;
  int edit_fields_closed = 0;
  int search_box_cleared = 0;

  bool open_edit_field(const app::ActiveEdit& edit, std::string_view initial, std::string_view cue) override {
    if (edit_field_fails) return false;
    edit_field = edit;
    edit_field_initial = std::string(initial);
    edit_field_cue = std::string(cue);
    edit_field_text = edit_field_initial;
    return true;
  }
  std::string close_edit_field() override {
    edit_field.reset();
    ++edit_fields_closed;
    return edit_field_text;
  }
  void clear_search_box() override { ++search_box_cleared; }

  // The dialogs answer with what the test put here, and record what they were asked.
  struct DialogCall {
    std::string kind;  // "open", "folder", "save"
    std::string title;
    std::vector<app::FileFilter> filters;
    app::StartFolder start = app::StartFolder::none;
    std::string default_extension;
    std::string initial_name;
  };
  std::vector<DialogCall> dialogs;
  // Runs inside each dialog, as other messages do during their modal loop.
  std::function<void()> during_dialog;
  // Called after each timer is recorded (a toast sets timer 1 once its text is in place).
  std::function<void(app::TimerId, unsigned)> on_set_timer;
  std::vector<std::string> open_answer;
  std::optional<std::string> folder_answer;
  std::optional<std::string> save_answer;

  std::vector<std::string> open_files_dialog(std::string_view title, const std::vector<app::FileFilter>& filters,
                                             app::StartFolder start) override {
    dialogs.push_back({"open", std::string(title), filters, start, {}, {}});
    if (during_dialog) during_dialog();
    return open_answer;
  }
  std::optional<std::string> pick_folder_dialog(std::string_view title) override {
    dialogs.push_back({"folder", std::string(title), {}, app::StartFolder::none, {}, {}});
    if (during_dialog) during_dialog();
    return folder_answer;
  }
  std::optional<std::string> save_file_dialog(std::string_view title, const std::vector<app::FileFilter>& filters,
                                              std::string_view default_extension,
                                              std::string_view initial_name) override {
    dialogs.push_back({"save", std::string(title), filters, app::StartFolder::none, std::string(default_extension),
                       std::string(initial_name)});
    if (during_dialog) during_dialog();
    return save_answer;
  }

  std::vector<std::string> forgotten_icons;
  void forget_icon(const std::string& item_key) override { forgotten_icons.push_back(item_key); }

  gfx::TextMeasure* measure = nullptr;
  gfx::TextMeasure* text_measure() override { return measure; }

  // Pointer and focus calls, in order: "capture", "release", "track", "focus", "search".
  std::vector<std::string> pointer_calls;
  void capture_pointer() override { pointer_calls.push_back("capture"); }
  void release_pointer() override { pointer_calls.push_back("release"); }
  void track_pointer_leave() override { pointer_calls.push_back("track"); }
  void focus_window() override { pointer_calls.push_back("focus"); }
  void focus_search_box() override { pointer_calls.push_back("search"); }

  // Menus record what they showed and answer with the next queued choice (0: dismissed).
  struct MenuCall {
    float x = 0, y = 0;
    std::vector<app::MenuEntry> entries;
  };
  std::vector<MenuCall> menus;
  std::vector<int> menu_choices;
  // Runs inside each menu, as other messages do during its modal loop.
  std::function<void()> during_menu;
  int next_choice() {
    if (during_menu) during_menu();
    if (menu_choices.empty()) return 0;
    const int id = menu_choices.front();
    menu_choices.erase(menu_choices.begin());
    return id;
  }
  int show_menu(float x, float y, const std::vector<app::MenuEntry>& entries) override {
    menus.push_back({x, y, entries});
    return next_choice();
  }
  std::vector<std::pair<std::string, std::string>> informations;  // text, caption
  void show_information(std::string_view text, std::string_view caption) override {
    informations.emplace_back(std::string(text), std::string(caption));
  }

  // Yes/no questions record their text and take the next queued answer (No
  // when none is left), running `during_question` as their modal loop would.
  std::vector<std::string> questions;
  std::vector<bool> answers;
  std::function<void()> during_question;
  bool ask_yes_no(std::string_view text) override {
    questions.emplace_back(text);
    if (during_question) during_question();
    const bool yes = !answers.empty() && answers.front();
    if (!answers.empty()) answers.erase(answers.begin());
    return yes;
  }

  // The options dialog records the item it showed and answers
  // `options_answer` (none: cancelled), running `during_options` as its
  // modal loop would.
  std::vector<bundle::Item> options_shown;
  std::optional<bundle::ItemOptions> options_answer;
  std::function<void()> during_options;
  std::optional<bundle::ItemOptions> edit_item_options(const bundle::Item& item) override {
    options_shown.push_back(item);
    if (during_options) during_options();
    return options_answer;
  }

  // The hotkey dialog records what it was shown with and answers
  // `hotkey_answer` (none: cancelled), running `during_hotkey_dialog` as its
  // modal loop would.
  std::vector<app::HotkeyDialogInput> hotkey_dialogs;
  std::optional<app::HotkeyChoice> hotkey_answer;
  std::function<void()> during_hotkey_dialog;
  std::optional<app::HotkeyChoice> edit_bundle_hotkey(const app::HotkeyDialogInput& input) override {
    hotkey_dialogs.push_back(input);
    if (during_hotkey_dialog) during_hotkey_dialog();
    return hotkey_answer;
  }

  // The system's hotkeys: keys in `held_elsewhere` are refused, as when
  // another program holds them; every call is logged ("+b1 Ctrl+Alt+1", "-b1").
  std::vector<app::HotkeyRegistration> registrations;
  std::vector<bundle::Hotkey> held_elsewhere;
  std::vector<std::string> hotkey_calls;
  std::vector<app::HotkeyRegistration> hotkey_registrations() override { return registrations; }
  void register_hotkey(const std::string& bundle_id, const bundle::Hotkey& hotkey) override {
    hotkey_calls.push_back("+" + bundle_id + " " + bundle::hotkey_text(hotkey));
    std::erase_if(registrations, [&](const app::HotkeyRegistration& r) { return r.bundle_id == bundle_id; });
    const bool refused = std::find(held_elsewhere.begin(), held_elsewhere.end(), hotkey) != held_elsewhere.end();
    registrations.push_back({bundle_id, hotkey, !refused});
  }
  void unregister_hotkey(const std::string& bundle_id) override {
    hotkey_calls.push_back("-" + bundle_id);
    std::erase_if(registrations, [&](const app::HotkeyRegistration& r) { return r.bundle_id == bundle_id; });
  }

  std::map<std::string, std::uint32_t> numbers;
  std::optional<std::string> read_setting_text(std::string_view name) override {
    const auto found = settings.find(std::string(name));
    if (found == settings.end()) return std::nullopt;
    return found->second;
  }
  std::optional<std::uint32_t> read_setting_number(std::string_view name) override {
    const auto found = numbers.find(std::string(name));
    if (found == numbers.end()) return std::nullopt;
    return found->second;
  }
  base::Status write_setting_number(std::string_view name, std::uint32_t value) override {
    if (refused_settings.count(std::string(name))) return base::fail("Access is denied.");
    numbers[std::string(name)] = value;
    return {};
  }

  // The shell: "folder:<path>", "explorer:<arguments>", "address:<url>", "update:<by user>".
  std::set<std::string> directories;
  std::vector<std::string> shell_calls;
  bool is_directory(const std::string& path) override { return directories.count(path) > 0; }
  void open_folder(const std::string& path) override { shell_calls.push_back("folder:" + path); }
  void start_explorer(const std::string& arguments) override { shell_calls.push_back("explorer:" + arguments); }
  void open_address(std::string_view address) override { shell_calls.push_back("address:" + std::string(address)); }
  std::optional<std::string> check_start_error;
  base::Status start_update_check(bool by_user) override {
    if (check_start_error) return base::fail(*check_start_error);
    shell_calls.push_back(by_user ? "update:user" : "update:daily");
    return {};
  }

  // The updater: the offer's question takes the next queued answer like
  // ask_yes_no; downloads and installer starts are recorded.
  std::vector<std::string> offers;
  std::vector<app::UpdateOffer> downloads;
  std::optional<std::string> download_start_error;
  std::vector<std::string> installers;  // paths started
  bool installer_starts = true;
  int window_closes = 0;
  std::function<void()> on_offer;  // runs while the question is open
  bool offer_update(std::string_view text) override {
    offers.emplace_back(text);
    if (on_offer) on_offer();
    const bool yes = !answers.empty() && answers.front();
    if (!answers.empty()) answers.erase(answers.begin());
    return yes;
  }
  base::Status start_update_download(app::UpdateOffer offer) override {
    if (download_start_error) return base::fail(*download_start_error);
    downloads.push_back(std::move(offer));
    return {};
  }
  std::vector<std::pair<std::uint64_t, std::uint64_t>> taskbar_progress;  // received, size; (0,0) when hidden
  void show_download_progress(std::uint64_t received, std::uint64_t size) override {
    taskbar_progress.emplace_back(received, size);
  }
  void hide_download_progress() override { taskbar_progress.emplace_back(0, 0); }
  base::Status start_installer(const app::VerifiedInstaller& installer) override {
    installers.push_back(installer.path);
    if (!installer_starts) return base::fail("The system cannot find the file specified.");
    return {};
  }
  void close_for_update() override { ++window_closes; }

  // Desktop shortcuts: the files "on the Desktop" are `existing`; a path in
  // `taken_on_create` is found taken only when written.
  std::optional<std::string> desktop = std::string("C:\\Users\\me\\Desktop");
  std::optional<std::string> program = std::string("C:\\Programs\\tolvik\\tolvik.exe");
  struct ShortcutCall {
    std::string path, target, arguments, description;
  };
  std::vector<ShortcutCall> shortcuts;
  std::set<std::string> taken_on_create;
  std::optional<std::string> shortcut_error;
  base::Result<std::string> desktop_folder() override {
    if (desktop) return *desktop;
    return base::fail("The system cannot find the path specified.");
  }
  base::Result<std::string> program_path() override {
    if (program) return *program;
    return base::fail("The filename or extension is too long.");
  }
  app::ShortcutOutcome create_shortcut(const std::string& path, const std::string& target, const std::string& arguments,
                                       const std::string& description) override {
    if (taken_on_create.count(path)) return {app::ShortcutOutcome::Kind::name_taken, {}};
    if (shortcut_error) return {app::ShortcutOutcome::Kind::failed, *shortcut_error};
    shortcuts.push_back({path, target, arguments, description});
    existing.insert(path);
    return {app::ShortcutOutcome::Kind::created, {}};
  }
  std::vector<std::string> open_explorer_folders;
  std::vector<std::string> explorer_folders() override { return open_explorer_folders; }
  int brought_to_front = 0;
  void bring_to_front() override { ++brought_to_front; }

  // Task Manager's start-up switch, and each Run value the program asked
  // for; while `run_key_refusal` is set, the Run key refuses with that text.
  bool startup_switched_off = false;
  std::vector<bool> run_values;
  std::optional<std::string> run_key_refusal;
  bool sign_in_turned_off() override { return startup_switched_off; }
  base::Status keep_run_value(bool wanted) override {
    run_values.push_back(wanted);
    if (run_key_refusal) return base::fail(*run_key_refusal);
    return {};
  }
  // The notification area: the menus shown (at a screen point), the icon as
  // the program left it, the balloons, and whether the window is hidden.
  std::vector<MenuCall> notification_menus;
  bool notification_icon = false;
  bool hidden = false;
  std::vector<std::string> balloons;
  int windows_shown = 0;
  int quits = 0;
  int show_notification_menu(int x, int y, const std::vector<app::MenuEntry>& entries) override {
    notification_menus.push_back({static_cast<float>(x), static_cast<float>(y), entries});
    return next_choice();
  }
  void show_notification_icon(bool shown) override { notification_icon = shown; }
  bool window_hidden() override { return hidden; }
  void show_balloon(std::string_view text) override { balloons.emplace_back(text); }
  void show_window() override { ++windows_shown; }
  void quit() override { ++quits; }

  bool timer_set(app::TimerId id, unsigned ms) const {
    for (const auto& t : timers) {
      if (t.first == id && t.second == ms) return true;
    }
    return false;
  }
};

// An opener that records the order of checks, waits and starts.
class FakeOpener final : public app::Opener {
 public:
  std::set<std::string> existing;
  std::set<std::string> failing;
  std::vector<std::string> events;  // "exists:<t>", "wait", "start:<t>"

  bool target_exists(const std::string& target) override {
    events.push_back("exists:" + target);
    return existing.count(target) > 0;
  }
  app::StartOutcome start(const bundle::Item& item) override {
    ++starts;
    events.push_back("start:" + item.target);
    if (failing.count(item.target)) return {base::fail("The system cannot find the file specified."), std::nullopt};
    return {};
  }
  bool pause(double seconds) override {
    events.push_back(seconds == 0.15 ? std::string("wait") : "wait:" + std::to_string(seconds));
    return true;
  }
  // Stop is pressed once this many items have started.
  std::optional<std::size_t> stop_after_starts;
  std::size_t starts = 0;
  bool stop_requested() override { return stop_after_starts && starts >= *stop_after_starts; }
  bool already_running(const bundle::Item&, bool) override { return false; }
  app::WaitResult wait_for_window(const app::StartedProcess&, double) override { return app::WaitResult::ready; }
  app::OpenResult start_elevated(const std::vector<bundle::Item>&) override { return {}; }
  std::vector<std::string> progress_reports;  // "done/total"
  void progress(std::size_t done, std::size_t total) override {
    progress_reports.push_back(std::to_string(done) + "/" + std::to_string(total));
  }
};

// An opening's result from the state of each item, in list order.
inline app::OpenResult result_of(std::initializer_list<app::ItemState> states) {
  app::OpenResult result;
  for (app::ItemState state : states) result.items.push_back({state, {}});
  return result;
}

inline bundle::Item app_item(std::string target, std::string args = {}) {
  return bundle::Item{bundle::Kind::app, std::move(target), std::move(args), {}};
}
inline bundle::Item file_item(std::string target) { return bundle::Item{bundle::Kind::file, std::move(target), {}, {}}; }
inline bundle::Item url_item(std::string target) { return bundle::Item{bundle::Kind::url, std::move(target), {}, {}}; }

}  // namespace testing_support
