#pragma once
// Byte offsets of JSON parse events, turned into the line and column the
// parser's own messages use.

#include <cstddef>
#include <iterator>
#include <string>
#include <string_view>

namespace bundle::json {

// Walks the text for the JSON lexer and publishes how far it has read, so the
// receiver of parse events knows the byte offset of each event.
class CountingIterator {
 public:
  using iterator_category = std::input_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;

  CountingIterator(const char* at, const char** cursor) : at_(at), cursor_(cursor) {}

  reference operator*() const { return *at_; }
  CountingIterator& operator++() {
    *cursor_ = ++at_;
    return *this;
  }
  CountingIterator operator++(int) {
    CountingIterator before = *this;
    ++*this;
    return before;
  }
  bool operator==(const CountingIterator& other) const { return at_ == other.at_; }
  bool operator!=(const CountingIterator& other) const { return at_ != other.at_; }

 private:
  const char* at_;
  const char** cursor_;
};

// The lexer reads one character past a number before it reports it; this gives
// the offset just after the number itself.
std::size_t number_end(std::string_view text, std::size_t read);

// "parse error at line L, column C: <message>" for the byte just before
// `offset` (line and column from 1, the column counted in bytes).
std::string error_at(std::string_view text, std::size_t offset, std::string_view message);

}  // namespace bundle::json
