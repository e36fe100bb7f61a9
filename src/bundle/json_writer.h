#pragma once
// Writes JSON objects in the form the store and export files are saved in:
// two-space indent, one member a line, no trailing newline. Text that is not
// UTF-8 is written with U+FFFD in place of its bad bytes, so that the file
// stays readable on the next start.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bundle::json {

// One object at `depth` levels of indent; its members follow one another and
// close() ends it. The opening brace is written at the current position.
class ObjectWriter {
 public:
  ObjectWriter(std::string& out, int depth);

  void text(std::string_view key, std::string_view value);
  void number(std::string_view key, std::uint32_t value);
  // A finite double in its shortest form that reads back the same ("2", "0.5").
  void real(std::string_view key, double value);
  void boolean(std::string_view key, bool value);
  // A member whose value `write(out, depth)` writes, `depth` being the
  // member's own level (an object written there ends in line with the key).
  template <typename Write>
  void value(std::string_view key, Write&& write) {
    begin_member(key);
    write(out_, depth_ + 1);
  }
  // An array member, one element a line, each written by `write(element, out, depth)`.
  template <typename Element, typename Write>
  void array(std::string_view key, const std::vector<Element>& elements, Write&& write) {
    begin_member(key);
    if (elements.empty()) {
      out_ += "[]";
      return;
    }
    out_ += "[\n";
    for (std::size_t i = 0; i < elements.size(); ++i) {
      if (i > 0) out_ += ",\n";
      indent(depth_ + 2);
      write(elements[i], out_, depth_ + 2);
    }
    out_ += '\n';
    indent(depth_ + 1);
    out_ += ']';
  }
  void close();

 private:
  void begin_member(std::string_view key);
  void indent(int depth);

  std::string& out_;
  int depth_;
  bool first_ = true;
};

}  // namespace bundle::json
