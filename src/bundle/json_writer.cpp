#include "bundle/json_writer.h"

#include <charconv>
#include <system_error>

#include "base/utf.h"

namespace bundle::json {
namespace {

void append_escaped(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  std::size_t run = 0;  // start of the bytes not yet copied
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c != '"' && c != '\\') continue;
    out.append(text.data() + run, i - run);
    run = i + 1;
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        out += "\\u00";
        out += kHex[c >> 4];
        out += kHex[c & 0xF];
    }
  }
  out.append(text.data() + run, text.size() - run);
  out += '"';
}

void append_string(std::string& out, std::string_view text) {
  if (base::is_valid_utf8(text)) {
    append_escaped(out, text);
  } else {
    append_escaped(out, base::sanitize_utf8(text));
  }
}

}  // namespace

ObjectWriter::ObjectWriter(std::string& out, int depth) : out_(out), depth_(depth) { out_ += '{'; }

void ObjectWriter::text(std::string_view key, std::string_view value) {
  begin_member(key);
  append_string(out_, value);
}

void ObjectWriter::number(std::string_view key, std::uint32_t value) {
  begin_member(key);
  out_ += std::to_string(value);
}

void ObjectWriter::real(std::string_view key, double value) {
  begin_member(key);
  char digits[32];
  const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
  out_.append(digits, error == std::errc{} ? end : digits);
}

void ObjectWriter::boolean(std::string_view key, bool value) {
  begin_member(key);
  out_ += value ? "true" : "false";
}

void ObjectWriter::close() {
  out_ += '\n';
  indent(depth_);
  out_ += '}';
}

void ObjectWriter::begin_member(std::string_view key) {
  out_ += first_ ? "\n" : ",\n";
  first_ = false;
  indent(depth_ + 1);
  out_ += '"';
  out_ += key;
  out_ += "\": ";
}

void ObjectWriter::indent(int depth) { out_.append(static_cast<std::size_t>(depth) * 2, ' '); }

}  // namespace bundle::json
