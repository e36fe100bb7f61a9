#include "base/process_identity_win.h"

#include "base/utf.h"

namespace base {

std::wstring process_image(HANDLE process) {
  // Long enough for any path Windows can start a program from.
  std::wstring image(32768, L'\0');
  DWORD size = static_cast<DWORD>(image.size());
  if (!QueryFullProcessImageNameW(process, 0, image.data(), &size)) return {};
  image.resize(size);
  return image;
}

std::optional<ProcessIdentity> process_identity(HANDLE process) {
  ProcessIdentity identity;
  identity.id = GetProcessId(process);
  FILETIME created, exited, kernel, user;
  if (identity.id == 0 || !GetProcessTimes(process, &created, &exited, &kernel, &user)) return std::nullopt;
  identity.created = (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
  identity.image = narrow(process_image(process));
  return identity;
}

}  // namespace base
