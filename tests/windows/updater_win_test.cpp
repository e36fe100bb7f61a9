// The updater's Win32 parts: BCrypt's SHA-256, the WinTrust signer test on
// copies of recorder.exe signed at build time with throw-away certificates
// (tools/signed/, made by scripts/sign-test-files.sh), the held installer,
// and curl's command line through the stand-in tools/curl.exe.
//
// Wine's WinVerifyTrust does not check that a certificate chains to a trusted
// root, so the self-signed test certificates pass here; on Windows they would
// not. What these tests show under Wine is the signer-name rule and the
// handling around it, not the chain of trust.

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/updater/digest.h"
#include "app/updater/download_win.h"
#include "app/updater/installer_check.h"
#include "app/updater/installer_win.h"
#include "app/updater/version_record_win.h"
#include "app/updater/signature_win.h"
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
  EXPECT_EQ(app::sha256_hex("").value(), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(app::sha256_hex("abc").value(), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(app::sha256_hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq").value(),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(app::sha256_hex(std::string(1000000, 'a')).value(),
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

  // Serves `source` for every address.
  app::Downloader serve(const std::string& source) {
    return [this, source](const app::DownloadRequest& request) -> base::Status {
      const std::string& path = request.path;
      downloaded_to.push_back(path);
      if (!CopyFileW(base::widen(source).c_str(), base::widen(path).c_str(), FALSE)) return base::fail("copy");
      return {};
    };
  }
  app::UpdateOffer offer_for(const std::string& source, std::uint64_t size) {
    return {"0.1.1", "https://u.example/tolvik-Setup-0.1.1.exe", app::sha256_hex(read_bytes(source)).value(), size};
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
  // A failed download leaves nothing either.
  const app::Downloader failing = [](const app::DownloadRequest& request) -> base::Status {
    std::ofstream(std::filesystem::path(base::widen(request.path)), std::ios::binary) << "partial";
    return base::fail(app::download_failed_text());
  };
  app::InstallResult result = app::fetch_installer(failing, folder, offer_for(good, 0));
  EXPECT_EQ(std::get<app::UpdateFailure>(result.outcome).text, "Download failed");
  EXPECT_TRUE(files().empty());
}

// curl.exe runs from a stand-in system folder: SystemRoot points at it.
class CurlDownload : public ::testing::Test {
 protected:
  testing_support::TempFolder temp;
  std::string served = temp.path("served");
  std::string log = temp.path("curl.log");
  void SetUp() override {
    CreateDirectoryW(base::widen(temp.path("root")).c_str(), nullptr);
    CreateDirectoryW(base::widen(temp.path("root\\System32")).c_str(), nullptr);
    CreateDirectoryW(base::widen(served).c_str(), nullptr);
    CreateDirectoryW(base::widen(served + "\\tolvik").c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(base::widen(tool(L"curl.exe")).c_str(), base::widen(temp.path("root\\System32\\curl.exe")).c_str(),
                          FALSE));
  }
};

TEST_F(CurlDownload, RunsSystemCurlWithExactlyTheArgumentsAndNoConsole) {
  std::ofstream(std::filesystem::path(base::widen(served + "\\tolvik\\update.json")), std::ios::binary) << "{}";
  ScopedEnvironment root(L"SystemRoot", base::widen(temp.path("root")));
  ScopedEnvironment serve(L"TOLVIK_CURL_ROOT", base::widen(served));
  ScopedEnvironment curl_log(L"TOLVIK_CURL_LOG", base::widen(log));
  EXPECT_EQ(app::system_curl_path(), temp.path("root") + "\\System32\\curl.exe");

  const std::string out = temp.path("my folder\\update 1.json");
  CreateDirectoryW(base::widen(temp.path("my folder")).c_str(), nullptr);
  const base::Status done = app::download_with_curl({"https://u.example/tolvik/update.json?v=0.1.0&lang=en", out, 1u << 20, {}});
  ASSERT_TRUE(done) << done.error().text;
  EXPECT_EQ(read_bytes(out), "{}");
  // JSON of the argument list: backslashes and quotation marks escaped.
  auto escaped = [](std::string text) {
    std::string json;
    for (char c : text) json += c == '\\' || c == '"' ? std::string("\\") + c : std::string(1, c);
    return json;
  };
  const std::string expected = "{\"argv\":[\"" + escaped(app::system_curl_path()) +
                               "\",\"-fsSL\",\"--proto\",\"=https\",\"--max-time\",\"600\",\"-o\",\"" + escaped(out) +
                               "\",\"https://u.example/tolvik/update.json?v=0.1.0&lang=en\"],\"console\":false}\n";
  EXPECT_EQ(read_bytes(log), expected);

  const base::Status missing = app::download_with_curl({"https://u.example/tolvik/nothing.json", temp.path("x"), 1u << 20, {}});
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.error().text, "Download failed");
  EXPECT_FALSE(app::download_with_curl({"https://u.example/timeout.json", temp.path("y"), 1u << 20, {}}));
}

TEST_F(CurlDownload, WithoutCurlTheSystemSaysWhy) {
  // A system folder without curl.exe (Windows before 10 1803).
  CreateDirectoryW(base::widen(temp.path("bare")).c_str(), nullptr);
  CreateDirectoryW(base::widen(temp.path("bare\\System32")).c_str(), nullptr);
  ScopedEnvironment root(L"SystemRoot", base::widen(temp.path("bare")));
  const base::Status failed = app::download_with_curl({"https://u.example/a", temp.path("a"), 1u << 20, {}});
  ASSERT_FALSE(failed);
  EXPECT_EQ(failed.error().text, base::system_error_text(ERROR_FILE_NOT_FOUND));
}

}  // namespace
