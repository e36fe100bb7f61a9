// Arbitrary UTF-16 as a command line: splitting must not crash, and every
// argument after the program path must survive quoting and splitting again.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "base/cmdline.h"
#include "base/utf.h"
#include "require.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::u16string line(size / 2, u'\0');
  if (!line.empty()) std::memcpy(line.data(), data, line.size() * 2);
  const std::vector<std::string> args = base::split_command_line(line);
  fuzz::require(!args.empty(), "there is always a program path");
  for (const std::string& arg : args) fuzz::require(base::is_valid_utf8(arg), "every argument is UTF-8");

  // Arguments as they came, quoted behind a plain program path, read back.
  // Only text without NUL can be a Win32 command line.
  std::vector<std::string> quoted{"prog.exe"};
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i].find('\0') != std::string::npos) return 0;
    quoted.push_back(args[i]);
  }
  const std::string joined = base::join_command_line(quoted);
  const std::vector<std::string> back = base::split_command_line(base::utf8_to_utf16(joined));
  fuzz::require(back == quoted, "quoted arguments split back unchanged");
  return 0;
}
