#pragma once
// Replaces a file so that a crash at any moment leaves either the old or the
// new complete file: parents created, "<name>.<pid>.tmp" sibling written and
// flushed, then renamed over the target; the sibling is removed on failure.

#include <string>
#include <string_view>

#include "base/result.h"

namespace bundle {

base::Status write_file_atomically(const std::string& path, std::string_view bytes);

}  // namespace bundle
