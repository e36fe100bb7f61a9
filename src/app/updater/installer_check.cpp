#include "app/updater/installer_check.h"

#include "app/updater/version.h"
#include "base/digest.h"
#include "lang/lang.h"

namespace app {

std::string download_failed_text() { return std::string(lang::text("다운로드하지 못했습니다", "Download failed")); }

std::string size_mismatch_text() { return std::string(lang::text("받은 파일 크기가 다릅니다", "Downloaded size mismatch")); }

std::string signature_failed_text() {
  return std::string(lang::text("설치 파일의 디지털 서명을 확인할 수 없습니다",
                                "The installer's digital signature could not be verified"));
}

std::optional<std::string> installer_bytes_failure(std::string_view bytes, const UpdateOffer& offer) {
  if (offer.size != 0 && bytes.size() != offer.size) {
    return size_mismatch_text();
  }
  base::Result<std::string> digest = base::sha256_hex(bytes);
  if (!digest) return digest.error().text;
  if (*digest != offer.sha256) {
    return std::string(lang::text("받은 파일이 손상되었습니다 (해시 불일치)", "Downloaded file is corrupt (hash mismatch)"));
  }
  return std::nullopt;
}

std::optional<std::string> installer_record_failure(const InstallerRecord& record, const UpdateOffer& offer,
                                                    std::string_view current) {
  const bool ours = record.product_name == kInstallerProduct;
  const bool offered = compare_versions(record.file_version, offer.version) == 0;
  const bool newer = compare_versions(record.file_version, current) > 0;
  if (ours && offered && newer) return std::nullopt;
  return signature_failed_text();
}

}  // namespace app
