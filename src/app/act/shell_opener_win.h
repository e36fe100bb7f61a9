#pragma once
// Starting items the way Explorer does, through ShellExecuteExW.

#include <windows.h>

#include <functional>
#include <utility>

#include "app/act/open.h"

namespace app {

// Starts one item (its target already expanded): an app with its arguments in
// its "start in" folder or else its own, anything else with its default verb;
// each with its show command. The process comes back when the shell started
// one. The error text is the system's message.
StartOutcome start_item_with_shell(const bundle::Item& item);

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
  bool stop_requested() override { return stop_ && WaitForSingleObject(stop_, 0) == WAIT_OBJECT_0; }
  bool already_running(const bundle::Item&, bool) override { return false; }
  StartOutcome start(const bundle::Item& item) override;
  WaitResult wait_for_window(const StartedProcess&, double) override { return WaitResult::ready; }
  OpenResult start_elevated(const std::vector<bundle::Item>& items) override;
  void progress(std::size_t done, std::size_t total) override {
    if (progress_) progress_(done, total);
  }

 private:
  HANDLE stop_;
  Progress progress_;
};

}  // namespace app
