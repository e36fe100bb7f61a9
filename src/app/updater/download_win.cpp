#include "app/updater/download_win.h"

#include <windows.h>

#include "app/updater/installer_check.h"
#include "base/cmdline.h"
#include "base/file.h"
#include "base/handle_win.h"
#include "base/process_win.h"
#include "base/utf.h"
#include "base/win_path.h"

namespace app {

std::string system_curl_path() {
  auto root = base::environment_variable("SystemRoot");
  const std::string_view folder = root && !root->empty() ? std::string_view(*root) : std::string_view("C:\\Windows");
  return std::string(base::win_path::without_trailing_separators(folder)) + "\\System32\\curl.exe";
}

std::vector<std::string> curl_arguments(const std::string& url, const std::string& path) {
  return {"-fsSL", "--proto", "=https", "--max-time", "600", "-o", path, url};
}

base::Status download_with_curl(const DownloadRequest& request) {
  const std::string program = system_curl_path();
  std::vector<std::string> line = {program};
  for (std::string& argument : curl_arguments(request.url, request.path)) line.push_back(std::move(argument));
  // No handles are inherited and no console is made: curl's output is not used.
  base::Result<base::UniqueHandle> child =
      base::start_process(program, base::join_command_line(line), CREATE_NO_WINDOW);
  if (!child) return base::fail(child.error().text);
  DWORD exit_code = 0;
  if (WaitForSingleObject(child->get(), INFINITE) != WAIT_OBJECT_0 || !GetExitCodeProcess(child->get(), &exit_code)) {
    return base::fail(base::last_error_text());
  }
  if (exit_code != 0) return base::fail(download_failed_text());
  return {};
}

}  // namespace app
