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
  base::Status start(const bundle::Item& item) override;
  // 150 ms on a high-resolution waitable timer, Sleep(150) when that fails.
  void wait_between_starts() override;
};

}  // namespace app
