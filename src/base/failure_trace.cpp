#include "base/failure_trace.h"

#include <cstdio>

namespace base {

std::string failure_line(std::string_view step, std::int32_t hr) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(static_cast<std::uint32_t>(hr)));
  std::string line = "tolvik: ";
  line += step;
  line += " failed with HRESULT ";
  line += code;
  line += '\n';
  return line;
}

}  // namespace base
