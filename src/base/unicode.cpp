#include "base/unicode.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>

#include "base/utf.h"

namespace base {
namespace {

struct LowerRun {
  std::uint32_t first;
  std::uint32_t last;
  std::int32_t delta;
  std::uint32_t stride;
};

struct LowerSequence {
  std::uint32_t cp;
  std::uint32_t length;
  std::uint32_t lower[3];
};

struct CodeRange {
  std::uint32_t first;
  std::uint32_t last;
};

#include "base/unicode_tables.inc"

constexpr char32_t kCapitalSigma = 0x03A3;
constexpr char32_t kSmallSigma = 0x03C3;
constexpr char32_t kFinalSigma = 0x03C2;

template <std::size_t N>
bool in_ranges(const CodeRange (&ranges)[N], char32_t cp) {
  // The last range whose first code point is not above cp is the only candidate.
  const CodeRange* after = std::upper_bound(
      std::begin(ranges), std::end(ranges), cp,
      [](char32_t value, const CodeRange& r) { return value < r.first; });
  return after != std::begin(ranges) && cp <= std::prev(after)->last;
}

bool is_cased(char32_t cp) { return in_ranges(kCased, cp); }
bool is_case_ignorable(char32_t cp) { return in_ranges(kCaseIgnorable, cp); }

char32_t simple_lower(char32_t cp) {
  if (cp < 0x80) return (cp >= 'A' && cp <= 'Z') ? cp + 32 : cp;
  if (cp < std::begin(kLowerRuns)->first || cp > std::prev(std::end(kLowerRuns))->last) return cp;
  const LowerRun* after = std::upper_bound(
      std::begin(kLowerRuns), std::end(kLowerRuns), cp,
      [](char32_t value, const LowerRun& r) { return value < r.first; });
  const LowerRun& run = *std::prev(after);
  if (cp > run.last || (cp - run.first) % run.stride != 0) return cp;
  return static_cast<char32_t>(static_cast<std::int32_t>(cp) + run.delta);
}

const LowerSequence* lower_sequence(char32_t cp) {
  for (const LowerSequence& s : kLowerSequences) {
    if (s.cp == cp) return &s;
  }
  return nullptr;
}

// Final_Sigma, after-part: true when a cased letter follows, case-ignorable
// characters skipped.
bool cased_follows(std::string_view text, std::size_t pos) {
  while (pos < text.size()) {
    const char32_t cp = decode_utf8(text, pos);
    if (!is_case_ignorable(cp)) return is_cased(cp);
  }
  return false;
}

void append_lower_slow(std::string& out, std::string_view text, std::size_t pos) {
  // The context of a capital sigma is only needed when the text holds one
  // (UTF-8 CE A3); otherwise the per-character property look-ups are skipped.
  const bool has_sigma = text.find("\xCE\xA3", pos) != std::string_view::npos;
  // Final_Sigma, before-part: the last character that is not case-ignorable
  // was cased. The ASCII prefix already copied counts too.
  bool cased_before = false;
  if (has_sigma) {
    for (std::size_t i = 0; i < pos; ++i) {
      const char32_t c = static_cast<unsigned char>(text[i]);
      if (!is_case_ignorable(c)) cased_before = is_cased(c);
    }
  }
  while (pos < text.size()) {
    const unsigned char byte = static_cast<unsigned char>(text[pos]);
    char32_t cp;
    if (byte < 0x80) {
      ++pos;
      cp = byte;
      out.push_back(static_cast<char>((byte >= 'A' && byte <= 'Z') ? byte + 32 : byte));
    } else {
      cp = decode_utf8(text, pos);
      if (cp == kCapitalSigma) {
        const bool word_final = cased_before && !cased_follows(text, pos);
        append_utf8(out, word_final ? kFinalSigma : kSmallSigma);
      } else if (const LowerSequence* seq = lower_sequence(cp)) {
        for (std::uint32_t k = 0; k < seq->length; ++k) append_utf8(out, seq->lower[k]);
      } else {
        append_utf8(out, simple_lower(cp));
      }
    }
    if (has_sigma && !is_case_ignorable(cp)) cased_before = is_cased(cp);
  }
}

bool is_ascii_space(char32_t cp) { return cp == ' ' || (cp >= 0x09 && cp <= 0x0D); }

// Length of the white-space character that ends `text`, or 0. White space is
// at most three bytes long in UTF-8, and a lead byte cannot be a continuation,
// so a complete sequence at the end decodes the same as it would going forward.
std::size_t trailing_white_space(std::string_view text) {
  const std::size_t n = text.size();
  if (n == 0) return 0;
  if (static_cast<unsigned char>(text[n - 1]) < 0x80) {
    return is_ascii_space(static_cast<unsigned char>(text[n - 1])) ? 1 : 0;
  }
  for (std::size_t length = 2; length <= 3 && length <= n; ++length) {
    std::size_t pos = n - length;
    const unsigned char lead = static_cast<unsigned char>(text[pos]);
    if ((lead & 0xC0) == 0x80) continue;  // a continuation byte: look one further back
    const char32_t cp = decode_utf8(text, pos);
    return (pos == n && is_white_space(cp)) ? length : 0;
  }
  return 0;
}

char ascii_lower_char(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

}  // namespace

void append_lower_full(std::string& out, std::string_view text) {
  // ASCII runs are lowered in place; the first non-ASCII byte hands the rest
  // to the general path.
  std::size_t pos = 0;
  while (pos < text.size()) {
    const char c = text[pos];
    if (static_cast<unsigned char>(c) >= 0x80) {
      append_lower_slow(out, text, pos);
      return;
    }
    out.push_back(ascii_lower_char(c));
    ++pos;
  }
}

std::string to_lower_full(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 8);
  append_lower_full(out, text);
  return out;
}

bool is_white_space(char32_t cp) {
  if (cp < 0x80) return is_ascii_space(cp);
  if (cp < 0x85) return false;
  return in_ranges(kWhiteSpace, cp);
}

std::string_view trim(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t next = start;
    if (!is_white_space(decode_utf8(text, next))) break;
    // An invalid byte decodes as U+FFFD, which is not white space, so `next`
    // always covers a real white-space character here.
    start = next;
  }
  std::string_view rest = text.substr(start);
  while (const std::size_t length = trailing_white_space(rest)) {
    rest.remove_suffix(length);
  }
  return rest;
}

std::string ascii_lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = ascii_lower_char(c);
  return out;
}

bool ascii_iequals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (ascii_lower_char(a[i]) != ascii_lower_char(b[i])) return false;
  }
  return true;
}

bool ascii_istarts_with(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && ascii_iequals(text.substr(0, prefix.size()), prefix);
}

std::string_view unicode_version() { return kUnicodeVersion; }

}  // namespace base
