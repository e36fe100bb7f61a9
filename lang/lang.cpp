#include "lang/lang.h"

#include <array>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

#include <nlohmann/json.hpp>

#include "lang/language_source.h"

namespace lang {
namespace {

struct EmbeddedTable {
  const char* code;
  const unsigned char* data;
  std::size_t size;
};

#include "lang_tables.inc"

constexpr std::array<Language, 10> kLanguages{{
    {"en", "English"},
    {"ko", "한국어"},
    {"ja", "日本語"},
    {"zh-Hans", "简体中文"},
    {"zh-Hant", "繁體中文"},
    {"es", "Español"},
    {"fr", "Français"},
    {"de", "Deutsch"},
    {"pt", "Português"},
    {"ru", "Русский"},
}};

// Lets the map be searched with a string_view, so a lookup allocates nothing.
struct TransparentHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};
using TableMap = std::unordered_map<std::string, std::string, TransparentHash, std::equal_to<>>;

struct ParsedTable {
  std::once_flag once;
  TableMap map;
};

std::array<ParsedTable, kEmbeddedTableCount == 0 ? 1 : kEmbeddedTableCount>& parsed_tables() {
  static std::array<ParsedTable, kEmbeddedTableCount == 0 ? 1 : kEmbeddedTableCount> tables;
  return tables;
}

std::string_view embedded_text(std::size_t index) {
  const EmbeddedTable& t = kEmbeddedTables[index];
  return {reinterpret_cast<const char*>(t.data), t.size};
}

const TableMap* table_for(std::string_view code) {
  for (std::size_t i = 0; i < kEmbeddedTableCount; ++i) {
    if (code != kEmbeddedTables[i].code) continue;
    ParsedTable& table = parsed_tables()[i];
    std::call_once(table.once, [&] {
      // The built-in tables are checked by the tests; a broken one leaves the
      // map empty, so the English forms show.
      nlohmann::json parsed = nlohmann::json::parse(embedded_text(i), nullptr, false);
      if (!parsed.is_object()) return;
      for (auto& [key, value] : parsed.items()) {
        if (value.is_string()) table.map.insert_or_assign(key, value.get<std::string>());
      }
    });
    return &table.map;
  }
  return nullptr;
}

// A placeholder "{N}" at the start of a text: N in plain decimal (no sign,
// no leading zero) and the placeholder's length.
struct Placeholder {
  std::size_t index;
  std::size_t length;
};

std::optional<Placeholder> placeholder_at(std::string_view text) {
  constexpr std::size_t kMaxDigits = 4;  // far beyond any argument list
  std::size_t index = 0;
  std::size_t at = 1;
  for (; at < text.size() && at <= kMaxDigits && text[at] >= '0' && text[at] <= '9'; ++at) {
    index = index * 10 + static_cast<std::size_t>(text[at] - '0');
  }
  const std::size_t digits = at - 1;
  if (digits == 0 || at >= text.size() || text[at] != '}') return std::nullopt;
  if (digits > 1 && text[1] == '0') return std::nullopt;
  return Placeholder{index, at + 1};
}

}  // namespace

std::span<const Language> languages() { return kLanguages; }

std::string_view choose_language(std::optional<std::string_view> stored, std::uint16_t ui_language) {
  if (stored) {
    for (const Language& l : kLanguages) {
      if (*stored == l.code) return l.code;
    }
  }
  switch (ui_language & 0x3FF) {
    case 0x04: return (ui_language == 0x0804 || ui_language == 0x1004) ? "zh-Hans" : "zh-Hant";
    case 0x07: return "de";
    case 0x0A: return "es";
    case 0x0C: return "fr";
    case 0x11: return "ja";
    case 0x12: return "ko";
    case 0x16: return "pt";
    case 0x19: return "ru";
    default: return "en";
  }
}

std::string_view current_language() {
  static std::once_flag once;
  static std::string_view code;
  std::call_once(once, [] {
    std::optional<std::string> stored = stored_language_setting();
    code = stored ? choose_language(std::string_view(*stored), user_ui_language())
                  : choose_language(std::nullopt, user_ui_language());
  });
  return code;
}

std::string_view text_in(std::string_view code, std::string_view korean, std::string_view english) {
  if (code == "ko") return korean;
  if (code == "en") return english;
  if (const TableMap* table = table_for(code)) {
    if (auto it = table->find(english); it != table->end()) return it->second;
  }
  return english;
}

std::string_view text(std::string_view korean, std::string_view english) {
  return text_in(current_language(), korean, english);
}

std::string fill(std::string_view text, std::initializer_list<std::string_view> args) {
  // One pass over the template: a name such as "Budget {1}" is inserted as it
  // is, never read again for placeholders.
  std::string result;
  result.reserve(text.size());
  std::size_t from = 0;
  for (std::size_t open; (open = text.find('{', from)) != std::string_view::npos;) {
    result.append(text, from, open - from);
    from = open + 1;
    if (const auto placeholder = placeholder_at(text.substr(open)); placeholder && placeholder->index < args.size()) {
      result.append(args.begin()[placeholder->index]);
      from = open + placeholder->length;
    } else {
      result += '{';
    }
  }
  result.append(text, from, std::string_view::npos);
  return result;
}

Plural plural_form(std::string_view code, std::uint64_t count) {
  if (code == "en" || code == "de" || code == "es") return count == 1 ? Plural::one : Plural::other;
  // Brazilian Portuguese and French name nothing and one thing alike.
  if (code == "pt" || code == "fr") return count <= 1 ? Plural::one : Plural::other;
  if (code == "ru") {
    const std::uint64_t last = count % 10;
    const std::uint64_t last_two = count % 100;
    if (last == 1 && last_two != 11) return Plural::one;
    if (last >= 2 && last <= 4 && (last_two < 12 || last_two > 14)) return Plural::few;
    return Plural::many;
  }
  return Plural::other;
}

std::string_view plural_name(Plural form) {
  switch (form) {
    case Plural::one: return "one";
    case Plural::few: return "few";
    case Plural::many: return "many";
    case Plural::other: break;
  }
  return "other";
}

std::string plural_key(std::string_view english_other, Plural form) {
  std::string key(english_other);
  if (form != Plural::other) {
    key += " (";
    key += plural_name(form);
    key += ')';
  }
  return key;
}

std::string count_text_in(std::string_view code, std::uint64_t count, std::string_view korean,
                          std::string_view english_one, std::string_view english_other) {
  const std::string number = std::to_string(count);
  const Plural form = plural_form(code, count);
  if (code == "ko") return fill(korean, {number});
  if (code == "en") return fill(form == Plural::one ? english_one : english_other, {number});
  if (const TableMap* table = table_for(code)) {
    if (auto it = table->find(plural_key(english_other, form)); it != table->end()) return fill(it->second, {number});
    if (auto it = table->find(english_other); it != table->end()) return fill(it->second, {number});
  }
  return fill(form == Plural::one ? english_one : english_other, {number});
}

std::string count_text(std::uint64_t count, std::string_view korean, std::string_view english_one,
                       std::string_view english_other) {
  return count_text_in(current_language(), count, korean, english_one, english_other);
}

std::span<const std::string_view> table_codes() {
  static const auto codes = [] {
    std::array<std::string_view, kEmbeddedTableCount == 0 ? 1 : kEmbeddedTableCount> list{};
    for (std::size_t i = 0; i < kEmbeddedTableCount; ++i) list[i] = kEmbeddedTables[i].code;
    return list;
  }();
  return std::span<const std::string_view>(codes.data(), kEmbeddedTableCount);
}

std::string_view table_text(std::string_view code) {
  for (std::size_t i = 0; i < kEmbeddedTableCount; ++i) {
    if (code == kEmbeddedTables[i].code) return embedded_text(i);
  }
  return {};
}

}  // namespace lang
