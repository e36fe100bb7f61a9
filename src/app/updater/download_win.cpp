#include "app/updater/download_win.h"

#include <windows.h>

#include "app/updater/installer_check.h"
#include "base/cmdline.h"
#include "base/handle_win.h"
#include "base/process_win.h"
#include "base/system_error.h"
#include "base/utf.h"
#include "base/win_path.h"

namespace app {
namespace {

// How often the file is looked at while curl writes it, and how often the
// listener hears of it.
constexpr DWORD kWatchIntervalMs = 200;
constexpr ULONGLONG kProgressIntervalMs = 1000;
// How long an ended curl is given to go, so that its handle of the file is
// closed (and the file deleted) before the failure is told.
constexpr DWORD kEndWaitMs = 5000;

// The mark makes the system delete the file once the last handle to it
// closes, whoever closes it: this process, curl, or the system when either
// ends without a word.
bool mark_for_deletion(HANDLE file, bool marked) {
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = marked ? TRUE : FALSE;
  return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof(disposition)) != FALSE;
}

std::uint64_t written_size(HANDLE file) {
  LARGE_INTEGER size{};
  return GetFileSizeEx(file, &size) ? static_cast<std::uint64_t>(size.QuadPart) : 0;
}

// A job that ends every process in it when its last handle closes, which at
// the latest is when this process ends.
base::Result<base::UniqueHandle> make_kill_on_close_job() {
  base::UniqueHandle job(CreateJobObjectW(nullptr, nullptr));
  if (!job) return base::fail(base::last_error_text());
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (!SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof(limits))) {
    return base::fail(base::last_error_text());
  }
  return job;
}

void end_curl(HANDLE job, HANDLE process) {
  TerminateJobObject(job, ERROR_CANCELLED);
  WaitForSingleObject(process, kEndWaitMs);
}

}  // namespace

std::string system_curl_path() {
  wchar_t folder[MAX_PATH + 1] = {};
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) return {};
  const std::string system = base::narrow(std::wstring_view(folder, length));
  return std::string(base::win_path::without_trailing_separators(system)) + "\\curl.exe";
}

std::vector<std::string> curl_arguments(const std::string& url, std::uint64_t max_bytes) {
  return {"-q",    "--globoff", "--max-filesize", std::to_string(max_bytes), "-fsSL", "--proto", "=https",
          "--max-time", "600", url};
}

base::Status download_with_curl(const DownloadRequest& request) {
  const std::string curl = system_curl_path();
  if (curl.empty()) return base::fail(base::last_error_text());
  return download_with_program(curl, request);
}

base::Status download_with_program(const std::string& curl, const DownloadRequest& request) {
  // The file is made here, not by curl: System32's curl takes its paths in
  // the ANSI code page, which cannot spell every user's temporary folder.
  const std::wstring wide_path = base::widen(request.path);
  base::UniqueFileHandle file(CreateFileW(wide_path.c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES | DELETE,
                                          FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return base::fail(base::last_error_text());
  if (!mark_for_deletion(file.get(), true)) {
    const std::string text = base::last_error_text();
    file.reset();
    DeleteFileW(wide_path.c_str());
    return base::fail(text);
  }

  base::Result<base::UniqueHandle> job = make_kill_on_close_job();
  if (!job) return base::fail(job.error().text);
  std::vector<std::string> line = {curl};
  for (std::string& argument : curl_arguments(request.url, request.max_bytes)) line.push_back(std::move(argument));
  base::ProcessOptions options;
  options.creation_flags = CREATE_NO_WINDOW;
  options.standard_output = file.get();
  // Suspended until it is in the job, so that not one byte comes before it.
  options.suspended = true;
  base::Result<base::StartedProcess> child = base::start_process(curl, base::join_command_line(line), options);
  if (!child) return base::fail(child.error().text);
  const HANDLE process = child->process.get();
  if (!AssignProcessToJobObject(job->get(), process)) {
    const std::string text = base::last_error_text();
    TerminateProcess(process, ERROR_CANCELLED);
    WaitForSingleObject(process, kEndWaitMs);
    return base::fail(text);
  }
  if (ResumeThread(child->thread.get()) == static_cast<DWORD>(-1)) {
    const std::string text = base::last_error_text();
    end_curl(job->get(), process);
    return base::fail(text);
  }
  child->thread.reset();

  // curl's --max-filesize needs the length from the server; without one only
  // the file itself tells.
  ULONGLONG next_progress = GetTickCount64() + kProgressIntervalMs;
  std::uint64_t received = 0;
  for (;;) {
    const DWORD waited = WaitForSingleObject(process, kWatchIntervalMs);
    if (waited == WAIT_FAILED) {
      const std::string text = base::last_error_text();
      end_curl(job->get(), process);
      return base::fail(text);
    }
    received = written_size(file.get());
    if (received > request.max_bytes) {
      end_curl(job->get(), process);
      return base::fail(download_failed_text());
    }
    if (waited == WAIT_OBJECT_0) break;
    if (request.progress && GetTickCount64() >= next_progress) {
      request.progress(received);
      next_progress = GetTickCount64() + kProgressIntervalMs;
    }
  }
  DWORD exit_code = 0;
  if (!GetExitCodeProcess(process, &exit_code)) return base::fail(base::last_error_text());
  if (exit_code != 0) return base::fail(download_failed_text());
  if (request.progress) request.progress(received);
  if (!mark_for_deletion(file.get(), false)) return base::fail(base::last_error_text());
  return {};
}

}  // namespace app
