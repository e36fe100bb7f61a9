#pragma once
// What the updater needs from the window: its workers, the offer's question,
// the taskbar's progress and the hand-over to the installer (WinPlatform in
// app/window/win_platform_win.h; FakePlatform in the tests).

#include <cstdint>
#include <string_view>

#include "app/updater/manifest.h"
#include "app/updater/update_results.h"
#include "base/result.h"

namespace app {

class UpdateHost {
 public:
  virtual ~UpdateHost() = default;

  // Each worker answers through its mailbox and a message.
  virtual base::Status start_update_check(bool requested_by_user) = 0;
  // The offer's Yes/No question, an information box owned by the window (a
  // modal loop, like the dialogs): true for Yes; false when the window went
  // away meanwhile.
  virtual bool offer_update(std::string_view text) = 0;
  virtual base::Status start_update_download(UpdateOffer offer) = 0;
  // The download's progress on the taskbar button: `received` of `size`
  // bytes (size 0: going on, end unknown); `hide_download_progress` ends it.
  virtual void show_download_progress(std::uint64_t received, std::uint64_t size) = 0;
  virtual void hide_download_progress() = 0;
  // Starts the checked installer silently, its file still held; the error is
  // the system's text.
  virtual base::Status start_installer(const VerifiedInstaller& installer) = 0;
  // Ends the program for the installer, without asking: the window placement
  // is saved as when the user closes it.
  virtual void close_for_update() = 0;
};

}  // namespace app
