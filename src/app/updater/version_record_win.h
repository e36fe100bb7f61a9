#pragma once
// What a Windows program says about itself in its version record.
// Defined in version_record_win.cpp.

#include <string>

#include "app/updater/installer_check.h"
#include "base/result.h"

namespace app {

// The record's product name (its first language) and its four-part file
// version from the fixed part; an error when the file has no record.
base::Result<InstallerRecord> read_version_record(const std::string& path);

}  // namespace app
