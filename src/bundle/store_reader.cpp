#include "bundle/store_reader.h"

#include <charconv>
#include <cstdint>
#include <iterator>
#include <limits>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "bundle/json_positions.h"
#include "bundle/limits.h"

namespace bundle::json {
namespace {

// The parser's error id for a number beyond the range of a double.
constexpr int kNumberOverflow = 406;

// The part the next JSON value plays: the field it fills, the record or list
// it opens, or none (skipped).
enum class Role : std::uint8_t {
  store,
  version,
  bundles,
  bundle,
  id,
  name,
  items,
  item,
  kind,
  target,
  args,
  item_name,
  unreviewed,
  // The item's options: a value of the wrong type or out of range leaves the
  // default, so a file another tool wrote never costs the user the store.
  delay,
  wait,
  if_running,
  window,
  admin,
  dir,
  keep_open,
  // The bundle's own settings, as lenient as the item's options.
  hotkey,
  at_sign_in,
  sign_in_delay,
  exported,
  format,
  exported_version,
  skip,  // the value of an unknown key
};

struct Field {
  std::string_view key;
  Role role;
  bool required;
};

struct Record {
  std::string_view what;
  const Field* fields;
  std::size_t count;
};

constexpr Field kStoreFields[] = {{"version", Role::version, false}, {"bundles", Role::bundles, false}};
constexpr Field kBundleFields[] = {{"id", Role::id, true},
                                   {"name", Role::name, true},
                                   {"items", Role::items, false},
                                   {"hotkey", Role::hotkey, false},
                                   {"at_sign_in", Role::at_sign_in, false},
                                   {"sign_in_delay", Role::sign_in_delay, false}};
constexpr Field kItemFields[] = {{"kind", Role::kind, true},
                                 {"target", Role::target, true},
                                 {"args", Role::args, false},
                                 {"name", Role::item_name, false},
                                 {"unreviewed", Role::unreviewed, false},
                                 {"delay", Role::delay, false},
                                 {"wait", Role::wait, false},
                                 {"if_running", Role::if_running, false},
                                 {"window", Role::window, false},
                                 {"admin", Role::admin, false},
                                 {"dir", Role::dir, false},
                                 {"keep_open", Role::keep_open, false}};
constexpr Field kExportedFields[] = {
    {"format", Role::format, true}, {"version", Role::exported_version, true}, {"bundle", Role::bundle, true}};

constexpr Record kStoreRecord{"the store", kStoreFields, std::size(kStoreFields)};
constexpr Record kBundleRecord{"a bundle", kBundleFields, std::size(kBundleFields)};
constexpr Record kItemRecord{"an item", kItemFields, std::size(kItemFields)};
constexpr Record kExportedRecord{"an exported bundle", kExportedFields, std::size(kExportedFields)};

bool is_option(Role role) { return role >= Role::delay && role <= Role::sign_in_delay; }

std::string_view expected(Role role) {
  switch (role) {
    case Role::store: return "the store (an object or an array)";
    case Role::version: return "an unsigned 32-bit integer";
    case Role::bundles: return "an array of bundles";
    case Role::bundle: return "a bundle (an object or an array)";
    case Role::items: return "an array of items";
    case Role::item: return "an item (an object or an array)";
    case Role::kind: return "one of `app`, `file`, `folder`, `url`";
    case Role::exported: return "an exported bundle (an object or an array)";
    case Role::exported_version: return "a number";
    case Role::unreviewed: return "a boolean";
    default: return "a string";
  }
}

// Receives the parser's events and builds the records in place.
class Reader {
 public:
  using Json = nlohmann::json;

  Reader(std::string_view text, const char* const* cursor, Role root) : text_(text), cursor_(cursor), root_(root) {
    frames_.reserve(8);
  }

  bool null() { return scalar("null"); }
  bool boolean(bool value) {
    if (skip_depth_ > 0) return true;
    const std::size_t at = offset();
    Role role;
    if (!take_role(role, at)) return false;
    if (role == Role::unreviewed) {
      item_->unreviewed = value;
      return true;
    }
    if (role == Role::admin) item_->options.admin = value;
    if (role == Role::keep_open) item_->options.keep_open = value;
    if (role == Role::at_sign_in) bundle_->at_sign_in = value;
    return role == Role::skip || wrong_type(role, "a boolean", at);
  }

  bool number_unsigned(Json::number_unsigned_t value) {
    if (skip_depth_ > 0) return true;
    const std::size_t at = number_offset();
    Role role;
    if (!take_role(role, at)) return false;
    if (role == Role::version) {
      if (value > std::numeric_limits<std::uint32_t>::max()) {
        return fail_at(at, "invalid value: " + std::to_string(value) + ", expected " + std::string(expected(role)));
      }
      store_.version = static_cast<std::uint32_t>(value);
      return true;
    }
    if (role == Role::delay || role == Role::wait || role == Role::sign_in_delay) {
      return seconds(role, static_cast<double>(value));
    }
    return role == Role::exported_version || role == Role::skip || wrong_type(role, "a number", at);
  }

  bool number_integer(Json::number_integer_t value) {
    // Negative numbers arrive here; so does "-0", which is zero.
    if (value >= 0) return number_unsigned(static_cast<Json::number_unsigned_t>(value));
    if (skip_depth_ > 0) return true;
    const std::size_t at = number_offset();
    Role role;
    if (!take_role(role, at)) return false;
    if (role == Role::version) {
      return fail_at(at, "invalid value: " + std::to_string(value) + ", expected " + std::string(expected(role)));
    }
    return role == Role::exported_version || role == Role::skip || wrong_type(role, "a number", at);
  }

  bool number_float(Json::number_float_t value, const Json::string_t&) {
    if (skip_depth_ > 0) return true;
    const std::size_t at = number_offset();
    Role role;
    if (!take_role(role, at)) return false;
    if (role == Role::delay || role == Role::wait || role == Role::sign_in_delay) return seconds(role, value);
    return role == Role::exported_version || role == Role::skip || wrong_type(role, "a floating-point number", at);
  }

  bool string(Json::string_t& value) {
    if (skip_depth_ > 0) return true;
    const std::size_t at = offset();
    Role role;
    if (!take_role(role, at)) return false;
    // The parser lets the text be moved out; it starts a new one for the next token.
    switch (role) {
      case Role::id: bundle_->id = std::move(value); return true;
      case Role::name: bundle_->name = std::move(value); return true;
      case Role::target: item_->target = std::move(value); return true;
      case Role::args: item_->args = std::move(value); return true;
      case Role::item_name: item_->name = std::move(value); return true;
      case Role::format: format_ = std::move(value); return true;
      case Role::if_running:
        if (const auto choice = if_running_from_name(value)) item_->options.if_running = *choice;
        return true;
      case Role::window:
        if (const auto choice = window_state_from_name(value)) item_->options.window = *choice;
        return true;
      case Role::hotkey:
        bundle_->hotkey = parse_hotkey(value);
        return true;
      case Role::dir:
        if (utf16_length(value) <= kMaxTargetUnits) item_->options.dir = std::move(value);
        return true;
      case Role::kind:
        if (const auto kind = kind_from_name(value)) {
          item_->kind = *kind;
          return true;
        }
        return fail_at(at, "unknown kind `" + value + "`, expected " + std::string(expected(role)));
      case Role::skip: return true;
      default: return wrong_type(role, "a string", at);
    }
  }

  bool binary(Json::binary_t&) { return scalar("binary data"); }

  // A record begins (an object, or an array of its field values in declaration
  // order), or a list of bundles or items (arrays only).
  bool start_container(bool array) {
    if (skip_depth_ > 0) {
      ++skip_depth_;
      return true;
    }
    const std::size_t at = offset();
    Role role;
    if (!take_role(role, at)) return false;
    switch (role) {
      case Role::store: return open_record(kStoreRecord, array);
      case Role::exported: return open_record(kExportedRecord, array);
      case Role::bundle: begin_bundle(); return open_record(kBundleRecord, array);
      case Role::item: begin_item(); return open_record(kItemRecord, array);
      case Role::bundles:
        if (array) return open_list(Role::bundle);
        break;
      case Role::items:
        if (array) return open_list(Role::item);
        break;
      case Role::skip: skip_depth_ = 1; return true;
      default:
        if (is_option(role)) {
          skip_depth_ = 1;
          return true;
        }
        break;
    }
    return wrong_type(role, array ? "an array" : "an object", at);
  }

  bool start_object(std::size_t) { return start_container(false); }
  bool start_array(std::size_t) { return start_container(true); }

  bool key(Json::string_t& name) {
    if (skip_depth_ > 0) return true;
    // Keys arrive only inside record objects: other objects are skipped whole.
    Frame& frame = frames_.back();
    frame.pending = Role::skip;
    for (std::size_t i = 0; i < frame.record->count; ++i) {
      const Field& field = frame.record->fields[i];
      if (field.key != name) continue;
      const std::uint32_t bit = 1u << i;
      if ((frame.seen & bit) != 0) return fail_at(offset(), "duplicate field `" + name + "`");
      frame.seen |= bit;
      frame.pending = field.role;
      break;
    }
    return true;
  }

  bool end_object() { return close(); }
  bool end_array() { return close(); }

  bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& error) {
    // "[json.exception.parse_error.101] parse error at line 1, column 2: ..." without its id.
    std::string_view message = error.what();
    if (message.starts_with('[')) {
      if (const std::size_t end = message.find("] "); end != std::string_view::npos) message.remove_prefix(end + 2);
    }
    if (error.id == kNumberOverflow) overflowed_ = true;
    // Only the parser's syntax errors name their place; the others get it here.
    if (message.starts_with("parse error at line ")) {
      error_ = message;
    } else {
      error_ = error_at(text_, position, message);
    }
    return false;
  }

  Store& store() { return store_; }
  Bundle& root_bundle() { return root_bundle_; }
  std::string& format() { return format_; }
  const std::string& error() const { return error_; }
  // The parser met a number too large for a double.
  bool overflowed() const { return overflowed_; }

 private:
  struct Frame {
    const Record* record;  // nothing for a list
    Role element;          // lists: what every element is
    bool array_form;
    std::uint32_t seen = 0;
    Role pending = Role::skip;  // object form: what the last key named
    std::size_t index = 0;      // array form: the next field
  };

  std::size_t offset() const { return static_cast<std::size_t>(*cursor_ - text_.data()); }
  std::size_t number_offset() const { return number_end(text_, offset()); }

  bool fail_at(std::size_t at, std::string_view message) {
    error_ = error_at(text_, at, message);
    return false;
  }

  // Seconds within their range are taken; anything else leaves the default.
  bool seconds(Role role, double value) {
    if (role == Role::delay && value >= 0 && value <= kMaxDelaySeconds) item_->options.delay = value;
    if (role == Role::sign_in_delay && value >= 0 && value <= kMaxSignInDelaySeconds) bundle_->sign_in_delay = value;
    // A wait below a second cannot be told from none; 0 says none.
    if (role == Role::wait && (value == 0 || (value >= kMinWaitSeconds && value <= kMaxWaitSeconds))) {
      item_->options.wait = value;
    }
    return true;
  }

  bool wrong_type(Role role, std::string_view found, std::size_t at) {
    if (is_option(role)) return true;
    return fail_at(at, "invalid type: found " + std::string(found) + ", expected " + std::string(expected(role)));
  }

  bool scalar(std::string_view found) {
    if (skip_depth_ > 0) return true;
    const std::size_t at = offset();
    Role role;
    if (!take_role(role, at)) return false;
    return role == Role::skip || wrong_type(role, found, at);
  }

  // Which role the next value plays. A record in array form takes its fields in
  // declaration order and no more values than it has fields.
  bool take_role(Role& role, std::size_t at) {
    if (frames_.empty()) {
      role = root_;
      return true;
    }
    Frame& frame = frames_.back();
    if (frame.record == nullptr) {
      role = frame.element;
    } else if (!frame.array_form) {
      role = std::exchange(frame.pending, Role::skip);
    } else {
      if (frame.index >= frame.record->count) {
        return fail_at(at, "too many elements: " + std::string(frame.record->what) + " has " +
                               std::to_string(frame.record->count) + " fields");
      }
      frame.seen |= 1u << frame.index;
      role = frame.record->fields[frame.index++].role;
    }
    return true;
  }

  bool open_record(const Record& record, bool array_form) {
    frames_.push_back(Frame{&record, Role::skip, array_form});
    return true;
  }

  bool open_list(Role element) {
    frames_.push_back(Frame{nullptr, element, true});
    return true;
  }

  bool close() {
    if (skip_depth_ > 0) {
      --skip_depth_;
      return true;
    }
    const Frame frame = frames_.back();
    frames_.pop_back();
    if (frame.record == nullptr) return true;
    for (std::size_t i = 0; i < frame.record->count; ++i) {
      const Field& field = frame.record->fields[i];
      if (field.required && (frame.seen & (1u << i)) == 0) {
        return fail_at(offset(), "missing field `" + std::string(field.key) + "`");
      }
    }
    return true;
  }

  // A bundle in the store's list is built in place; the bundle of an export
  // record (or a lone bundle) is the root bundle.
  void begin_bundle() {
    if (!frames_.empty() && frames_.back().record == nullptr) {
      bundle_ = &store_.bundles.emplace_back();
    } else {
      bundle_ = &root_bundle_;
    }
  }

  void begin_item() { item_ = &bundle_->items.emplace_back(); }

  std::string_view text_;
  const char* const* cursor_;
  Role root_;
  std::vector<Frame> frames_;
  std::size_t skip_depth_ = 0;  // nesting depth inside a skipped value
  Store store_;
  Bundle root_bundle_;
  std::string format_;
  Bundle* bundle_ = nullptr;
  Item* item_ = nullptr;
  std::string error_;
  bool overflowed_ = false;
};

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The end of the JSON number that starts at `at`, by the grammar
// -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?, taking as much as the parser
// does; `at` itself when no whole number starts there.
std::size_t number_token_end(std::string_view text, std::size_t at) {
  std::size_t i = at;
  auto digits = [&] {
    const std::size_t first = i;
    while (i < text.size() && is_digit(text[i])) ++i;
    return i > first;
  };
  if (i < text.size() && text[i] == '-') ++i;
  if (i < text.size() && text[i] == '0') {
    ++i;
  } else if (!digits()) {
    return at;
  }
  if (i < text.size() && text[i] == '.') {
    ++i;
    if (!digits()) return at;
  }
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (!digits()) return at;
  }
  return i;
}

bool overflows_double(std::string_view number) {
  double value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  return error == std::errc::result_out_of_range;
}

// A copy of the text in which every number beyond the range of a double is a
// zero of the same length ("1e9999" becomes "0e0000"): still a floating-point
// number, so it is refused where a record expects anything else, and every
// line and column stays where it was.
std::string with_tamed_numbers(std::string_view text) {
  std::string copy(text);
  std::size_t i = 0;
  while (i < copy.size()) {
    const char c = copy[i];
    if (c == '"') {
      for (++i; i < copy.size() && copy[i] != '"'; ++i) {
        if (copy[i] == '\\') ++i;
      }
      ++i;
    } else if (c == '-' || is_digit(c)) {
      const std::size_t end = number_token_end(copy, i);
      if (end == i) {
        ++i;
        continue;
      }
      // Out-of-range numbers are at least five characters long ("1e309").
      if (end - i >= 3 && overflows_double(std::string_view(copy).substr(i, end - i))) {
        copy.replace(i, end - i, "0e" + std::string(end - i - 2, '0'));
      }
      i = end;
    } else {
      ++i;
    }
  }
  return copy;
}

base::Status run(std::string_view text, Reader& reader, const char** cursor) {
  *cursor = text.data();
  CountingIterator first(text.data(), cursor);
  CountingIterator last(text.data() + text.size(), cursor);
  if (!nlohmann::json::sax_parse(first, last, &reader)) {
    if (!reader.error().empty()) return base::fail(reader.error());
    return base::fail(error_at(text, static_cast<std::size_t>(*cursor - text.data()), "parse error"));
  }
  return {};
}

// Parses the text, its top value playing `root`, and hands the finished reader to `take`.
template <class Take>
auto read_root(std::string_view text, Role root, Take take) -> decltype(take(std::declval<Reader&>())) {
  const char* cursor = nullptr;
  Reader reader(text, &cursor, root);
  auto done = run(text, reader, &cursor);
  if (done) return take(reader);
  if (!reader.overflowed()) return base::fail(done.error().text);
  // Such a number is valid JSON that the parser refuses all the same; where a
  // record skips it or ignores its value it must do no harm. Its value is never
  // used, so a second pass reads the text with each of them as zero.
  const std::string tamed = with_tamed_numbers(text);
  Reader again(tamed, &cursor, root);
  if (auto redone = run(tamed, again, &cursor); !redone) return base::fail(redone.error().text);
  return take(again);
}

}  // namespace

std::string_view without_byte_order_marks(std::string_view text) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  while (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  return text;
}

base::Result<Store> read_store(std::string_view text) {
  return read_root(text, Role::store, [](Reader& reader) -> base::Result<Store> { return std::move(reader.store()); });
}

base::Result<Bundle> read_bundle(std::string_view text) {
  return read_root(text, Role::bundle,
                   [](Reader& reader) -> base::Result<Bundle> { return std::move(reader.root_bundle()); });
}

base::Result<ExportedRecord> read_exported(std::string_view text) {
  return read_root(text, Role::exported, [](Reader& reader) -> base::Result<ExportedRecord> {
    return ExportedRecord{std::move(reader.format()), std::move(reader.root_bundle())};
  });
}

}  // namespace bundle::json
