#pragma once
// Starting items the way Explorer does, through ShellExecuteExW.
// Defined in shell_opener_win.cpp.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <utility>

#include "base/handle_win.h"

#include "app/opening/open.h"

namespace app {

// Starts one item (its target already expanded): an app with its arguments in
// its "start in" folder or else its own, anything else with its default verb;
// each with its show command. The process comes back when the shell started
// one. The error text is the system's message.
StartOutcome start_item_with_shell(const bundle::Item& item);

// The same, keeping the handle of the process the shell started (none when
// it started none).
struct ShellStart {
  StartOutcome outcome;
  base::UniqueHandle process;
};
ShellStart start_with_shell(const bundle::Item& item);

// True when both name the same file or folder the way Windows compares paths:
// full and long forms, either slash, trailing separators, any letter case. An
// opening finds a shown folder by it, and Close the window it opened.
bool same_path(const std::string& a, const std::string& b);

// ShellExecuteW(open) of a path, result ignored ("Open file location").
void open_with_default_verb(const std::string& path);

class ShellOpener final : public Opener {
 public:
  using Progress = std::function<void(std::size_t done, std::size_t total)>;
  // `stop`: a manual-reset event that Stop sets (none: the opening cannot be
  // stopped); `progress` is called on the opening's thread after each item.
  explicit ShellOpener(HANDLE stop = nullptr, Progress progress = {}) : stop_(stop), progress_(std::move(progress)) {}

  bool target_exists(const std::string& target) override;
  bool pause(double seconds) override;
  bool stop_requested() override;
  bool already_running(const bundle::Item& item, bool bring_to_front) override;
  StartOutcome start(const bundle::Item& item) override;
  WaitResult wait_for_window(const StartedProcess& process, double timeout_seconds) override;
  OpenResult start_elevated(const std::vector<bundle::Item>& items) override;
  void progress(std::size_t done, std::size_t total) override {
    if (progress_) progress_(done, total);
  }

 private:
  HANDLE stop_;
  Progress progress_;
  // The processes this opening started, by id, held for its life so that
  // waiting for one never reaches another that got its id.
  std::map<std::uint32_t, base::UniqueHandle> started_;
};

}  // namespace app
