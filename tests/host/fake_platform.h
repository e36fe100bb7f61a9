#pragma once
// A platform that records what the application asked of the window and the
// system, with a clock the test moves by hand.

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/act/open.h"
#include "app/platform.h"

namespace testing_support {

class FakePlatform final : public app::Platform {
 public:
  std::map<std::string, std::string> settings;
  int invalidations = 0;
  std::vector<std::pair<app::TimerId, unsigned>> timers;
  double now = 100.0;
  std::vector<std::vector<std::string>> target_checks;
  struct OpenRequest {
    std::string bundle_id;
    std::vector<bundle::Item> items;
  };
  std::vector<OpenRequest> open_requests;
  bool fail_open_worker = false;
  std::set<std::string> existing;  // targets that exist
  std::vector<bundle::Item> started;
  std::set<std::string> failing_starts;

  void write_setting_text(std::string_view name, std::string_view value) override {
    settings[std::string(name)] = std::string(value);
  }
  void invalidate() override { ++invalidations; }
  void set_timer(app::TimerId id, unsigned ms) override { timers.emplace_back(id, ms); }
  double monotonic_seconds() override { return now; }
  void start_target_check(std::vector<std::string> targets) override { target_checks.push_back(std::move(targets)); }
  base::Status start_open_worker(std::string bundle_id, std::vector<bundle::Item> items) override {
    if (fail_open_worker) return base::fail("no thread");
    open_requests.push_back({std::move(bundle_id), std::move(items)});
    return {};
  }
  bool target_exists(const std::string& target) override { return existing.count(target) > 0; }
  base::Status start_item(const bundle::Item& item) override {
    started.push_back(item);
    if (failing_starts.count(item.target)) return base::fail("Access is denied.");
    return {};
  }

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
  base::Status start(const bundle::Item& item) override {
    events.push_back("start:" + item.target);
    if (failing.count(item.target)) return base::fail("The system cannot find the file specified.");
    return {};
  }
  void wait_between_starts() override { events.push_back("wait"); }
};

inline bundle::Item app_item(std::string target, std::string args = {}) {
  return bundle::Item{bundle::Kind::app, std::move(target), std::move(args), {}};
}
inline bundle::Item file_item(std::string target) { return bundle::Item{bundle::Kind::file, std::move(target), {}, {}}; }
inline bundle::Item url_item(std::string target) { return bundle::Item{bundle::Kind::url, std::move(target), {}, {}}; }

}  // namespace testing_support
