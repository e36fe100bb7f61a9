#pragma once
// Starting items the way Explorer does, through ShellExecuteExW.

#include "app/act/open.h"

namespace app {

// Starts one item: an app with its arguments in its own folder, anything else
// with its default verb. The error text is the system's message.
base::Status start_item_with_shell(const bundle::Item& item);

// ShellExecuteW(open) of a path, result ignored ("Open file location").
void open_with_default_verb(const std::string& path);

class ShellOpener final : public Opener {
 public:
  bool target_exists(const std::string& target) override;
  bool pause(double seconds) override;
  bool stop_requested() override { return false; }
  bool already_running(const bundle::Item&, bool) override { return false; }
  StartOutcome start(const bundle::Item& item) override;
  WaitResult wait_for_window(const StartedProcess&, double) override { return WaitResult::ready; }
  OpenResult start_elevated(const std::vector<bundle::Item>& items) override;
  void progress(std::size_t, std::size_t) override {}
};

}  // namespace app
