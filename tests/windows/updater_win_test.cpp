// The updater's Win32 parts: BCrypt's SHA-256, the WinTrust signer test on
// copies of recorder.exe signed at build time with throw-away certificates
// (tools/signed/, made by scripts/sign-test-files.sh), the held installer,
// and downloads through the stand-in tools/curl.exe.
//
// Wine's WinVerifyTrust does not check that a certificate chains to a trusted
// root, so the self-signed test certificates pass here; on Windows they would
// not. What these tests show under Wine is the signer-name rule and the
// handling around it, not the chain of trust.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>
#include <string>

#include "app/updater/download_win.h"
#include "app/updater/installer_check.h"
#include "app/updater/installer_win.h"
#include "app/updater/signature_win.h"
#include "app/updater/update_files.h"
#include "app/updater/version_record_win.h"
#include "base/digest.h"
#include "base/file.h"
#include "base/utf.h"
#include "support_win.h"

namespace {

constexpr wchar_t kSigner[] = L"Velmora Co., Ltd.";

std::wstring build_folder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder = path;
  return folder.substr(0, folder.find_last_of(L"\\/"));
}

std::string tool(const std::wstring& relative) { return base::narrow(build_folder() + L"\\tools\\" + relative); }
std::string signed_file(const std::wstring& name) { return tool(L"signed\\" + name); }

std::string read_bytes(const std::string& path) {
  std::ifstream in(std::filesystem::path(base::widen(path)), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// JSON of a string: backslashes and quotation marks escaped.
std::string json_escaped(const std::string& text) {
  std::string json;
  for (char c : text) json += c == '\\' || c == '"' ? std::string("\\") + c : std::string(1, c);
  return json;
}

bool exists(const std::string& path) { return GetFileAttributesW(base::widen(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

// Sets an environment variable for the test's length, then restores it.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const wchar_t* name, const std::wstring& value) : name_(name) {
    wchar_t old[32768];
    const DWORD n = GetEnvironmentVariableW(name, old, 32768);
    if (n > 0 && n < 32768) old_ = std::wstring(old, n);
    had_ = n > 0;
    SetEnvironmentVariableW(name, value.c_str());
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
  ~ScopedEnvironment() { SetEnvironmentVariableW(name_, had_ ? old_.c_str() : nullptr); }

 private:
  const wchar_t* name_;
  std::wstring old_;
  bool had_ = false;
};

TEST(UpdaterDigest, BCryptSha256OfKnownVectors) {
  EXPECT_EQ(base::sha256_hex("").value(), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(base::sha256_hex("abc").value(), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(base::sha256_hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq").value(),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(base::sha256_hex(std::string(1000000, 'a')).value(),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(UpdaterSignature, OnlyTheExactSignerNameIsAccepted) {
  ASSERT_TRUE(exists(signed_file(L"signed.exe"))) << "the build makes tools\\signed";
  EXPECT_TRUE(app::signed_by(signed_file(L"signed.exe"), kSigner));
  EXPECT_FALSE(app::signed_by(signed_file(L"signed.exe"), L"Velmora Co., Ltd"));
  EXPECT_FALSE(app::signed_by(signed_file(L"wrong-case.exe"), kSigner));
  EXPECT_FALSE(app::signed_by(signed_file(L"unsigned.exe"), kSigner));
  EXPECT_FALSE(app::signed_by(signed_file(L"missing.exe"), kSigner));
}

TEST(UpdaterSignature, AFileChangedAfterSigningIsRejected) {
  EXPECT_FALSE(app::signed_by(signed_file(L"tampered.exe"), kSigner));
}

class InstallerFetch : public ::testing::Test {
 protected:
  testing_support::TempFolder temp;
  std::string folder = temp.path("tolvik");
  std::string installer = folder + "\\tolvik-Setup-0.1.1.exe";
  std::vector<std::string> downloaded_to;
  std::vector<std::uint64_t> limits;

  // Serves `source` for every address.
  app::Downloader serve(const std::string& source) {
    return [this, source](const app::DownloadRequest& request) -> base::Status {
      const std::string& path = request.path;
      downloaded_to.push_back(path);
      limits.push_back(request.max_bytes);
      if (!CopyFileW(base::widen(source).c_str(), base::widen(path).c_str(), FALSE)) return base::fail("copy");
      return {};
    };
  }
  app::UpdateOffer offer_for(const std::string& source, std::uint64_t size) {
    return {"0.1.1", "https://u.example/tolvik-Setup-0.1.1.exe", base::sha256_hex(read_bytes(source)).value(), size};
  }
  std::vector<std::string> files() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW(base::widen(folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
      const std::wstring name = data.cFileName;
      if (name != L"." && name != L"..") names.push_back(base::narrow(name));
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
  }
};

TEST_F(InstallerFetch, AVerifiedInstallerIsHeldUntilItHasStarted) {
  const std::string source = signed_file(L"signed.exe");
  app::InstallResult result = app::fetch_installer(serve(source), folder, offer_for(source, 0));
  ASSERT_TRUE(std::holds_alternative<app::VerifiedInstaller>(result.outcome))
      << std::get<app::UpdateFailure>(result.outcome).text;
  const auto& verified = std::get<app::VerifiedInstaller>(result.outcome);
  EXPECT_EQ(verified.path, installer);
  // Curl wrote a name of its own, moved into place before the tests.
  ASSERT_EQ(downloaded_to.size(), 1u);
  EXPECT_NE(downloaded_to[0], installer);
  // Nothing offered: at most what any installer may weigh.
  EXPECT_EQ(limits, (std::vector<std::uint64_t>{app::kInstallerMaxBytes}));
  EXPECT_EQ(files(), (std::vector<std::string>{"tolvik-Setup-0.1.1.exe"}));

  // While held, the file can be read but not written, replaced or deleted.
  const std::wstring wide = base::widen(installer);
  {
    base::UniqueFileHandle reader(CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE |
                                                  FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_TRUE(reader);
  }
  base::UniqueFileHandle writer(CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE |
                                                FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_FALSE(writer);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_FALSE(DeleteFileW(wide.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  const std::wstring other = base::widen(signed_file(L"unsigned.exe"));
  const std::wstring copy = base::widen(folder + "\\other.tmp");
  ASSERT_TRUE(CopyFileW(other.c_str(), copy.c_str(), FALSE));
  EXPECT_FALSE(MoveFileExW(copy.c_str(), wide.c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(read_bytes(installer), read_bytes(source));

  // The installer starts with the file still held, with the silent arguments.
  const std::string log = temp.path("recorder.log");
  {
    ScopedEnvironment recorder_log(L"TOLVIK_RECORDER_LOG", base::widen(log));
    ASSERT_TRUE(app::start_installer_process(verified));
  }
  for (int i = 0; i < 200 && read_bytes(log).empty(); ++i) Sleep(50);
  const std::string line = read_bytes(log);
  EXPECT_NE(line.find("\"argv\":[\"" + std::string("C:") ), std::string::npos) << line;
  EXPECT_NE(line.find("\"/SILENT\",\"/SUPPRESSMSGBOXES\",\"/NORESTART\",\"/UPDATE=1\"]"), std::string::npos) << line;
  // It runs in its own folder, not in the test's.
  EXPECT_NE(line.find("\"cwd\":\"" + json_escaped(folder) + "\""), std::string::npos) << line;

  // Once the hold goes, the file is free again.
  result.outcome = app::UpdateFailure{};
  EXPECT_TRUE(DeleteFileW(wide.c_str()));
}

TEST_F(InstallerFetch, AFailedTestDeletesTheFile) {
  const std::string good = signed_file(L"signed.exe");
  auto failure_of = [&](const std::string& source, const app::UpdateOffer& offer) {
    app::InstallResult result = app::fetch_installer(serve(source), folder, offer);
    EXPECT_TRUE(files().empty()) << files().front();
    return std::holds_alternative<app::UpdateFailure>(result.outcome)
               ? std::get<app::UpdateFailure>(result.outcome).text
               : std::string("verified");
  };
  const std::uint64_t size = read_bytes(good).size();
  EXPECT_EQ(failure_of(good, offer_for(good, size + 1)), "Downloaded size mismatch");
  app::UpdateOffer wrong_digest = offer_for(good, size);
  wrong_digest.sha256[0] = wrong_digest.sha256[0] == '0' ? '1' : '0';
  EXPECT_EQ(failure_of(good, wrong_digest), "Downloaded file is corrupt (hash mismatch)");
  for (const wchar_t* name : {L"wrong-case.exe", L"unsigned.exe", L"tampered.exe"}) {
    const std::string source = signed_file(name);
    EXPECT_EQ(failure_of(source, offer_for(source, 0)), "The installer's digital signature could not be verified")
        << base::narrow(name);
  }
  // Validly signed by the maker, but its version record is not the offered
  // tolvik: an older tolvik, another program, or another version than offered.
  for (const wchar_t* name : {L"older.exe", L"other-product.exe"}) {
    const std::string source = signed_file(name);
    EXPECT_EQ(failure_of(source, offer_for(source, 0)), "The installer's digital signature could not be verified")
        << base::narrow(name);
  }
  app::UpdateOffer other_version = offer_for(good, 0);
  other_version.version = "0.1.2";
  EXPECT_EQ(failure_of(good, other_version), "The installer's digital signature could not be verified");
  // What the record says, as read from the signed file.
  const base::Result<app::InstallerRecord> record = app::read_version_record(signed_file(L"older.exe"));
  ASSERT_TRUE(record) << record.error().text;
  EXPECT_EQ(record->product_name, "tolvik");
  EXPECT_EQ(record->file_version, "0.0.9.0");
  EXPECT_FALSE(app::read_version_record(temp.path("missing.exe")));
  // More than offered, or past what any installer may weigh when nothing was
  // offered: refused on the size alone (the 1 GiB + 1 file is sparse, its
  // bytes are never read) and deleted.
  EXPECT_EQ(failure_of(good, offer_for(good, size - 1)), "Downloaded size mismatch");
  const app::Downloader huge = [](const app::DownloadRequest& request) -> base::Status {
    EXPECT_EQ(request.max_bytes, app::kInstallerMaxBytes);
    base::UniqueFileHandle file(CreateFileW(base::widen(request.path).c_str(), GENERIC_WRITE, 0, nullptr,
                                            CREATE_ALWAYS, 0, nullptr));
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(app::kInstallerMaxBytes) + 1;
    if (!file || !SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) || !SetEndOfFile(file.get())) {
      return base::fail("no room");
    }
    return {};
  };
  app::InstallResult too_large = app::fetch_installer(huge, folder, offer_for(good, 0));
  EXPECT_EQ(std::get<app::UpdateFailure>(too_large.outcome).text, base::system_error_text(ERROR_FILE_TOO_LARGE));
  EXPECT_TRUE(files().empty());

  // A failed download leaves nothing either.
  const app::Downloader failing = [](const app::DownloadRequest& request) -> base::Status {
    std::ofstream(std::filesystem::path(base::widen(request.path)), std::ios::binary) << "partial";
    return base::fail(app::download_failed_text());
  };
  app::InstallResult result = app::fetch_installer(failing, folder, offer_for(good, 0));
  EXPECT_EQ(std::get<app::UpdateFailure>(result.outcome).text, "Download failed");
  EXPECT_TRUE(files().empty());
}

// The stand-in tools/curl.exe is run from where the build put it; which
// curl the updater picks is the system folder's (system_curl_path).
class CurlDownload : public ::testing::Test {
 protected:
  testing_support::TempFolder temp;
  std::string served = temp.path("served");
  std::string log = temp.path("curl.log");
  std::string curl = tool(L"curl.exe");
  ScopedEnvironment serve_root{L"TOLVIK_CURL_ROOT", base::widen(served)};
  ScopedEnvironment curl_log{L"TOLVIK_CURL_LOG", base::widen(log)};

  void SetUp() override {
    CreateDirectoryW(base::widen(served).c_str(), nullptr);
    CreateDirectoryW(base::widen(served + "\\files").c_str(), nullptr);
  }
  void serve_file(const std::string& name, const std::string& bytes) {
    std::ofstream(std::filesystem::path(base::widen(served + "\\files\\" + name)), std::ios::binary) << bytes;
  }
  base::Status fetch(const std::string& name, const std::string& path, std::uint64_t max_bytes,
                     std::function<void(std::uint64_t)> progress = {}) {
    return app::download_with_program(curl, {"https://u.example/files/" + name, path, max_bytes, std::move(progress)});
  }
  // The stand-in's log lines that hold `key`.
  std::vector<std::string> log_lines(const std::string& key) {
    std::vector<std::string> lines;
    std::istringstream in(read_bytes(log));
    for (std::string line; std::getline(in, line);) {
      if (line.find("\"" + key + "\"") != std::string::npos) lines.push_back(line);
    }
    return lines;
  }
};

TEST_F(CurlDownload, WritesIntoAFolderCurlCouldNotNameWithExactlyTheArguments) {
  // Korean is outside the ANSI code page of the test's English Wine: curl
  // could not open this path itself, so it must never get it.
  const std::string folder = temp.path("\xEB\xB0\x9B\xEA\xB8\xB0 \xED\x8F\xB4\xEB\x8D\x94");  // "받기 폴더"
  ASSERT_TRUE(CreateDirectoryW(base::widen(folder).c_str(), nullptr));
  const std::string out = folder + "\\update 1.json";
  serve_file("update.json", "{\"a\":1}");
  std::vector<std::uint64_t> heard;
  const base::Status done =
      fetch("update.json?v=0.1.0&lang=en", out, 1u << 20, [&](std::uint64_t received) { heard.push_back(received); });
  ASSERT_TRUE(done) << done.error().text;
  EXPECT_EQ(read_bytes(out), "{\"a\":1}");
  EXPECT_EQ(heard.back(), 7u);

  const std::vector<std::string> starts = log_lines("argv");
  ASSERT_EQ(starts.size(), 1u) << read_bytes(log);
  const std::string expected = "{\"argv\":[\"" + json_escaped(curl) +
                               "\",\"-q\",\"--globoff\",\"--max-filesize\",\"1048576\",\"-fsSL\",\"--proto\","
                               "\"=https\",\"--max-time\",\"600\",\"https://u.example/files/update.json?v=0.1.0&"
                               "lang=en\"],\"console\":false,\"pid\":";
  EXPECT_EQ(starts[0].substr(0, expected.size()), expected);
  // Its standard output was the file made here.
  const std::vector<std::string> ends = log_lines("exit");
  ASSERT_EQ(ends.size(), 1u);
  EXPECT_NE(ends[0].find("\"output\":\"" + json_escaped(out) + "\""), std::string::npos) << ends[0];
}

TEST_F(CurlDownload, PastTheLimitFailsAndLeavesNoFile) {
  serve_file("big.bin", std::string(3000, 'x'));
  serve_file("unsized-big.bin", std::string(3000, 'x'));
  serve_file("slow-unsized-big.bin", std::string(300000, 'x'));
  const std::string out = temp.path("big.part");

  // The length known beforehand: curl itself refuses (63).
  base::Status failed = fetch("big.bin", out, 2999);
  ASSERT_FALSE(failed);
  EXPECT_EQ(failed.error().text, "Download failed");
  EXPECT_FALSE(exists(out));
  EXPECT_NE(log_lines("exit").back().find("\"code\":63"), std::string::npos) << read_bytes(log);

  // No length: curl writes it all, and the file's size tells.
  failed = fetch("unsized-big.bin", out, 2999);
  ASSERT_FALSE(failed);
  EXPECT_EQ(failed.error().text, "Download failed");
  EXPECT_FALSE(exists(out));

  // No length and slow: curl is ended long before it would have finished.
  const ULONGLONG before = GetTickCount64();
  failed = fetch("slow-unsized-big.bin", out, 5000);
  const ULONGLONG took = GetTickCount64() - before;
  ASSERT_FALSE(failed);
  EXPECT_EQ(failed.error().text, "Download failed");
  EXPECT_LT(took, 10000u);
  EXPECT_FALSE(exists(out));
  EXPECT_EQ(log_lines("argv").size(), 3u);
  EXPECT_EQ(log_lines("exit").size(), 2u) << "the slow curl ended by itself: " << read_bytes(log);

  // Exactly the limit is allowed.
  ASSERT_TRUE(fetch("unsized-big.bin", out, 3000));
  EXPECT_EQ(read_bytes(out).size(), 3000u);
}

TEST_F(CurlDownload, ProgressComesWhileCurlWrites) {
  serve_file("slow-setup.exe", std::string(100000, 'x'));
  ScopedEnvironment three_seconds(L"TOLVIK_CURL_SLOW_MS", L"3000");
  std::vector<std::uint64_t> heard;
  const std::string out = temp.path("setup.part");
  ASSERT_TRUE(fetch("slow-setup.exe", out, 100000, [&](std::uint64_t received) { heard.push_back(received); }));
  ASSERT_GE(heard.size(), 3u);
  EXPECT_LT(heard.front(), 100000u);
  EXPECT_TRUE(std::is_sorted(heard.begin(), heard.end()));
  EXPECT_EQ(heard.back(), 100000u);
  EXPECT_EQ(read_bytes(out).size(), 100000u);
}

TEST_F(CurlDownload, FailuresLeaveNoFile) {
  const std::string out = temp.path("x.part");
  base::Status failed = fetch("nothing.json", out, 1u << 20);
  ASSERT_FALSE(failed);
  EXPECT_EQ(failed.error().text, "Download failed");
  EXPECT_FALSE(exists(out));
  EXPECT_FALSE(fetch("timeout.json", out, 1u << 20));
  EXPECT_FALSE(exists(out));

  // A missing curl (Windows before 10 1803): the system says why.
  CreateDirectoryW(base::widen(temp.path("bare")).c_str(), nullptr);
  failed = app::download_with_program(temp.path("bare\\curl.exe"), {"https://u.example/a", out, 1u << 20, {}});
  ASSERT_FALSE(failed);
  EXPECT_EQ(failed.error().text, base::system_error_text(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(exists(out));
}

TEST_F(CurlDownload, TheSystemFoldersCurlWhateverTheEnvironmentSays) {
  wchar_t system[MAX_PATH] = {};
  ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
  ScopedEnvironment root(L"SystemRoot", base::widen(temp.path()));
  ScopedEnvironment windir(L"windir", base::widen(temp.path()));
  EXPECT_EQ(app::system_curl_path(), base::narrow(system) + "\\curl.exe");
}

TEST(UpdateFiles, FilesOlderThanADayAreRemoved) {
  testing_support::TempFolder temp;
  auto make = [&](const std::string& name, int hours_old) {
    const std::wstring path = base::widen(temp.path(name));
    base::UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER ticks{{now.dwLowDateTime, now.dwHighDateTime}};
    ticks.QuadPart -= static_cast<ULONGLONG>(hours_old) * 3600 * 10'000'000;
    const FILETIME written{ticks.LowPart, ticks.HighPart};
    EXPECT_TRUE(SetFileTime(file.get(), nullptr, nullptr, &written));
  };
  make("update-1-1.json", 25);
  make("tolvik-Setup-0.1.1.exe.77-1.part", 48);
  make("tolvik-Setup-0.1.0.exe", 23);
  make("update-2-1.json", 0);
  CreateDirectoryW(base::widen(temp.path("old folder")).c_str(), nullptr);
  app::remove_stale_downloads(temp.path());
  EXPECT_FALSE(exists(temp.path("update-1-1.json")));
  EXPECT_FALSE(exists(temp.path("tolvik-Setup-0.1.1.exe.77-1.part")));
  EXPECT_TRUE(exists(temp.path("tolvik-Setup-0.1.0.exe")));
  EXPECT_TRUE(exists(temp.path("update-2-1.json")));
  EXPECT_TRUE(exists(temp.path("old folder")));
  // A folder that is not there is no failure.
  app::remove_stale_downloads(temp.path("missing"));
}

}  // namespace
