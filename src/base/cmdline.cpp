#include "base/cmdline.h"

#include <cstddef>

#include "base/program_path.h"
#include "base/utf.h"

namespace base {
namespace {

bool is_blank(char16_t c) { return c == u' ' || c == u'\t'; }

}  // namespace

// The rules below are those of shell32's CommandLineToArgvW as Windows applies
// them, which differ in places from the C runtime's argv parsing:
// - The program path is not unescaped. When it starts with a quote it runs to
//   the next quote, and the next argument may start right after that quote;
//   otherwise it runs to the first character at or below U+0020, which is
//   dropped.
// - Later arguments are separated by spaces and tabs outside quotes.
//   Backslashes are literal unless a run of them ends at a quote: 2n of them
//   give n backslashes and the quote opens or closes a quoted run; 2n+1 give
//   n backslashes and a literal quote.
// - Inside a quoted run, a doubled quote gives one literal quote and ends the
//   run (so `"a""b c"` is `a"b` and `c`).
std::vector<std::string> split_command_line(std::u16string_view command_line) {
  // The Win32 string ends at its first NUL.
  command_line = command_line.substr(0, command_line.find(u'\0'));
  // CommandLineToArgvW answers an empty command line with the running program's path.
  if (command_line.empty()) return {program_path().value_or(std::string())};

  std::vector<std::string> args;
  const std::size_t n = command_line.size();
  std::size_t i = 0;
  if (command_line[0] == u'"') {
    const std::size_t close = command_line.find(u'"', 1);
    const std::size_t end = close == std::u16string_view::npos ? n : close;
    args.push_back(utf16_to_utf8(command_line.substr(1, end - 1)));
    i = end == n ? n : end + 1;
  } else {
    std::size_t end = 0;
    while (end < n && command_line[end] > u' ') ++end;
    args.push_back(utf16_to_utf8(command_line.substr(0, end)));
    i = end == n ? n : end + 1;
  }

  std::u16string arg;
  bool in_quotes = false;
  for (;;) {
    while (i < n && is_blank(command_line[i])) ++i;
    if (i == n) break;
    arg.clear();
    for (;;) {
      std::size_t backslashes = 0;
      while (i < n && command_line[i] == u'\\') {
        ++backslashes;
        ++i;
      }
      bool copy = true;
      if (i < n && command_line[i] == u'"') {
        if (backslashes % 2 == 0) {
          if (in_quotes && i + 1 < n && command_line[i + 1] == u'"') {
            ++i;  // the second quote of the pair is copied below
          } else {
            copy = false;
          }
          in_quotes = !in_quotes;
        }
        backslashes /= 2;
      }
      arg.append(backslashes, u'\\');
      if (i == n || (!in_quotes && is_blank(command_line[i]))) break;
      if (copy) arg.push_back(command_line[i]);
      ++i;
    }
    args.push_back(utf16_to_utf8(arg));
  }
  return args;
}

std::string quote_argument(std::string_view argument) {
  if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string_view::npos) return std::string(argument);
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes count only before a quotation mark: doubled there, plus one for the mark.
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  // The closing quotation mark follows: the backslashes before it are doubled too.
  quoted.append(backslashes * 2, '\\');
  quoted += '"';
  return quoted;
}

std::string join_command_line(const std::vector<std::string>& arguments) {
  std::string line;
  for (const std::string& argument : arguments) {
    if (!line.empty()) line += ' ';
    line += quote_argument(argument);
  }
  return line;
}

}  // namespace base
