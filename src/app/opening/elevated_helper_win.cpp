#include "app/opening/elevated_helper_win.h"

#include <windows.h>
#include <sddl.h>
#include <shellapi.h>

#include <string>

#include "app/opening/elevated_handoff.h"
#include "app/opening/open.h"
#include "app/opening/shell_opener_win.h"
#include "app/state/program_names_win.h"
#include "base/cmdline.h"
#include "base/digest.h"
#include "base/file.h"
#include "base/handle_win.h"
#include "base/program_path.h"
#include "base/system_error.h"
#include "base/unicode.h"
#include "base/utf.h"
#include "lang/lang.h"

namespace app {
namespace {

// After Stop the helper ends within a step of its waits; one that does not
// is no longer waited for.
constexpr DWORD kHelperAfterStopMs = 15000;

OpenResult every_item(std::size_t count, ItemState state, const std::string& reason = {}) {
  OpenResult result;
  result.items.assign(count, ItemOutcome{state, reason});
  return result;
}

std::string no_answer_text() {
  return std::string(lang::text("관리자 권한 도우미가 응답하지 않았습니다", "The administrator helper didn't answer"));
}

std::string system_text(DWORD code) {
  return base::system_error_text(static_cast<std::uint32_t>(HRESULT_FROM_WIN32(code)));
}

// A new file that nothing else has made first: a link planted under the
// name is refused, not followed.
base::Status write_new_file(const std::string& path, const std::string& bytes) {
  base::UniqueFileHandle file(CreateFileW(base::widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return base::fail(system_text(GetLastError()));
  DWORD written = 0;
  if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size()) {
    return base::fail(system_text(GetLastError()));
  }
  return {};
}

// The two files of one hand-over, deleted when it is done.
class Handoff {
 public:
  explicit Handoff(std::string items_path)
      : items_(std::move(items_path)), answer_(elevated_answer_path(items_)) {}
  Handoff(const Handoff&) = delete;
  Handoff& operator=(const Handoff&) = delete;
  ~Handoff() {
    held_.reset();
    DeleteFileW(base::widen(items_).c_str());
    DeleteFileW(base::widen(answer_).c_str());
  }

  const std::string& items() const { return items_; }
  const std::string& answer() const { return answer_; }
  // While the helper runs, the items file is held open for reading only, so
  // that nobody can change it after its digest was taken.
  void hold() {
    held_.reset(CreateFileW(base::widen(items_).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
  }

 private:
  std::string items_;
  std::string answer_;
  base::UniqueFileHandle held_;
};

std::string unique_name() {
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  return std::to_string(GetCurrentProcessId()) + "-" + std::to_string(now.QuadPart);
}

// The event the opening sets on Stop. The helper may run with another
// account's token (consent given by an administrator), so everyone signed in
// may wait on it; only this process can set it.
base::UniqueHandle make_stop_event(const std::wstring& name) {
  base::UniqueLocalMemory descriptor;
  PSECURITY_DESCRIPTOR raw = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;0x00100000;;;AU)", SDDL_REVISION_1, &raw,
                                                            nullptr)) {
    return {};
  }
  descriptor.reset(raw);
  SECURITY_ATTRIBUTES attributes{sizeof(attributes), raw, FALSE};
  base::UniqueHandle event(CreateEventW(&attributes, TRUE, FALSE, name.c_str()));
  // One made before under this name is somebody else's.
  if (event && GetLastError() == ERROR_ALREADY_EXISTS) return {};
  return event;
}

}  // namespace

OpenResult start_with_elevated_helper(const std::vector<bundle::Item>& items, HANDLE stop) {
  const std::optional<std::string> program = base::program_path();
  const std::string folder = base::join_path(base::temp_folder(), "tolvik");
  if (!program || base::temp_folder().empty()) return every_item(items.size(), ItemState::failed, no_answer_text());
  if (base::Status made = base::create_directories(folder); !made) {
    return every_item(items.size(), ItemState::failed, made.error().text);
  }
  const std::string name = unique_name();
  Handoff files(base::join_path(folder, "elevated-" + name + ".json"));
  const std::string text = serialize_elevated_items(items);
  base::Result<std::string> digest = base::sha256_hex(text);
  if (!digest) return every_item(items.size(), ItemState::failed, digest.error().text);
  if (base::Status written = write_new_file(files.items(), text); !written) {
    return every_item(items.size(), ItemState::failed, written.error().text);
  }
  files.hold();

  const std::wstring event_name = L"Local\\tolvik-stop-" + base::widen(name);
  base::UniqueHandle helper_stop = make_stop_event(event_name);
  std::vector<std::string> arguments = {"--run-elevated", files.items(), *digest};
  if (helper_stop) arguments.push_back(base::narrow(event_name));
  std::string parameters;
  for (const std::string& argument : arguments) {
    if (!parameters.empty()) parameters += ' ';
    parameters += base::quote_argument(argument);
  }
  const std::wstring file = base::widen(*program);
  const std::wstring wide_parameters = base::widen(parameters);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC;
  info.lpVerb = L"runas";
  info.lpFile = file.c_str();
  info.lpParameters = wide_parameters.c_str();
  info.nShow = SW_HIDE;
  if (!ShellExecuteExW(&info)) {
    const DWORD error = GetLastError();
    if (error == ERROR_CANCELLED) return every_item(items.size(), ItemState::declined);
    return every_item(items.size(), ItemState::failed, system_text(error));
  }
  const base::UniqueHandle helper(info.hProcess);
  if (!helper) return every_item(items.size(), ItemState::failed, no_answer_text());

  const HANDLE handles[] = {helper.get(), stop};
  const DWORD woke = WaitForMultipleObjects(stop ? 2 : 1, handles, FALSE, INFINITE);
  if (woke == WAIT_OBJECT_0 + 1) {
    if (helper_stop) SetEvent(helper_stop.get());
    // Not reached items come back "stopped" when it gives no answer in time.
    if (WaitForSingleObject(helper.get(), kHelperAfterStopMs) != WAIT_OBJECT_0) {
      return every_item(items.size(), ItemState::not_reached);
    }
  } else if (woke != WAIT_OBJECT_0) {
    return every_item(items.size(), ItemState::failed, system_text(GetLastError()));
  }
  auto answer_text = base::read_text_file(files.answer(), kHandoffMaxBytes);
  if (!answer_text) return every_item(items.size(), ItemState::failed, no_answer_text());
  base::Result<OpenResult> answer = parse_elevated_answer(*answer_text, items.size());
  if (!answer) return every_item(items.size(), ItemState::failed, no_answer_text());
  return std::move(*answer);
}

int run_elevated_helper(const ElevatedRun& run) {
  auto refuse = [](const std::string& detail) {
    std::string text(lang::text("관리자 권한으로 시작할 항목을 읽지 못했습니다.",
                                "Couldn't read the items to start as administrator."));
    if (!detail.empty()) text += "\n\n" + detail;
    MessageBoxW(nullptr, base::widen(text).c_str(), kWindowTitle, MB_ICONWARNING | MB_SETFOREGROUND);
    return 1;
  };
  if (run.file.empty()) return refuse({});
  auto text = base::read_text_file(run.file, kHandoffMaxBytes);
  if (!text) return refuse(text.error().text);
  // Only the file the opening wrote, as it wrote it: the digest came on the
  // command line that the consent was given for, and nobody can change that.
  base::Result<std::string> digest = base::sha256_hex(*text);
  if (!digest || !base::ascii_iequals(*digest, run.digest)) return refuse(run.file);
  base::Result<std::vector<bundle::Item>> items = parse_elevated_items(*text);
  if (!items) return refuse(items.error().text);

  base::ComScope com(COINIT_APARTMENTTHREADED);
  base::UniqueHandle stop(run.stop_event.empty() ? nullptr
                                                 : OpenEventW(SYNCHRONIZE, FALSE, base::widen(run.stop_event).c_str()));
  ShellOpener opener(stop.get());
  const OpenResult result = open_items(*items, opener, /*expand=*/false);
  return write_new_file(elevated_answer_path(run.file), serialize_elevated_answer(result)) ? 0 : 2;
}

}  // namespace app
