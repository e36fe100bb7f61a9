#include <algorithm>
#include <array>
#include <string_view>

#include "base/unicode.h"
#include "detect/detect.h"

namespace detect {
namespace {

// Opening a file of one of these types runs what it holds: programs and
// installers, scripts and their hosts, shortcuts to anything, registry and
// setup files, help and application packages. Sorted, for the binary search.
constexpr std::array<std::string_view, 58> kProgramExtensions = {
    "ade", "adp", "appinstaller", "application", "appref-ms", "appx", "appxbundle", "bat", "chm", "cmd",
    "com", "cpl", "diagcab", "exe", "gadget", "hlp", "hta", "inf", "ins", "isp", "jar", "js", "jse",
    "library-ms", "lnk", "mde", "msc", "msh", "msi", "msix", "msixbundle", "msp", "mst", "pif", "ps1",
    "ps1xml", "ps2", "psc1", "psd1", "psm1", "py", "pyw", "pyz", "reg", "scf", "scr", "sct",
    "searchconnector-ms", "settingcontent-ms", "shb", "url", "vb", "vbe", "vbs", "website", "ws", "wsf",
    "wsh"};

static_assert(std::is_sorted(kProgramExtensions.begin(), kProgramExtensions.end()));

}  // namespace

bool is_program_extension(std::string_view extension) {
  return std::binary_search(kProgramExtensions.begin(), kProgramExtensions.end(), base::ascii_lower(extension));
}

}  // namespace detect
