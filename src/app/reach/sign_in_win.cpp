#include "app/reach/sign_in_win.h"

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <cwchar>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/reach/sign_in.h"
#include "app/reach/windowless_opening_win.h"
#include "base/program_path.h"
#include "base/system_error.h"
#include "base/utf.h"

namespace app {
namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kStartupApprovedKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

std::wstring value_name() { return base::widen(kRunValueName); }

std::optional<std::string> read_run_value() {
  const std::wstring name = value_name();
  DWORD size = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, name.c_str(), RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                   nullptr, nullptr, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
  DWORD read = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
  if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, name.c_str(), RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                   nullptr, buffer.data(), &read) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  buffer.resize(wcsnlen(buffer.c_str(), buffer.size()));
  return base::narrow(buffer);
}

}  // namespace

base::Status keep_run_value(bool wanted) {
  const std::optional<std::string> program = base::program_path();
  // Without its own path the value could only be wrong; the one there stays.
  if (!program) return {};
  const std::string data = run_value_data(*program);
  LSTATUS done = ERROR_SUCCESS;
  switch (run_value_change(read_run_value(), wanted, data)) {
    case RunValueChange::none:
      break;
    case RunValueChange::write: {
      const std::wstring wide = base::widen(data);
      done = RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, value_name().c_str(), REG_SZ, wide.c_str(),
                             static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
      break;
    }
    case RunValueChange::remove:
      done = RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, value_name().c_str());
      // Deleted meanwhile by someone else: gone all the same.
      if (done == ERROR_FILE_NOT_FOUND) done = ERROR_SUCCESS;
      break;
  }
  if (done != ERROR_SUCCESS) return base::fail(base::system_error_text(static_cast<std::uint32_t>(done)));
  return {};
}

bool run_value_turned_off() {
  const std::wstring name = value_name();
  std::vector<std::uint8_t> data(64);
  DWORD size = static_cast<DWORD>(data.size());
  if (RegGetValueW(HKEY_CURRENT_USER, kStartupApprovedKey, name.c_str(), RRF_RT_REG_BINARY, nullptr, data.data(),
                   &size) != ERROR_SUCCESS) {
    return false;
  }
  data.resize(size);
  return startup_turned_off(data);
}

void delete_run_value() {
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, value_name().c_str());
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kStartupApprovedKey, value_name().c_str());
}

int run_sign_in_opening() {
  // The waits count from this start, which Windows makes right after sign-in.
  const auto started = std::chrono::steady_clock::now();
  const WaitUntil wait_until = [started](double seconds) {
    std::this_thread::sleep_until(started + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                                std::chrono::duration<double>(seconds)));
  };
  WindowlessOpening kit;
  if (auto message = open_at_sign_in(kit.bundles().bundles, kit.opener(), wait_until, kit.record())) {
    show_windowless_message(*message);
  }
  return 0;
}

}  // namespace app
