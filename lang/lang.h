#pragma once
// Every user-visible text is written in the code as a Korean/English pair and
// goes through `text`; eight more languages come from tables built into the
// program. The language is decided at the first lookup and fixed for the run.

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace lang {

struct Language {
  std::string_view code;
  std::string_view name;  // as shown in the settings menu
};

// The ten languages in menu order.
std::span<const Language> languages();

// The text to show in the current language; lives for the whole run.
std::string_view text(std::string_view korean, std::string_view english);

// Replaces "{0}", "{1}", ... in one pass over `text`: placeholders are found
// in the template only, never in the inserted arguments.
std::string fill(std::string_view text, std::initializer_list<std::string_view> args);

// The current language's code (decided on first use, then fixed).
std::string_view current_language();

// The rule behind the decision: the stored "Language" value when it is exactly
// one of the ten codes, else the Windows display language's primary language.
std::string_view choose_language(std::optional<std::string_view> stored, std::uint16_t ui_language);

// Looks a pair up in a given language, for tests and tools that need another
// language than the current one.
std::string_view text_in(std::string_view code, std::string_view korean, std::string_view english);

// The plural forms a count picks between; each language uses some of them.
enum class Plural { one, few, many, other };

// The form a whole count takes in the language with `code` (the rules of
// CLDR for whole numbers; one form for Korean, Japanese and Chinese).
Plural plural_form(std::string_view code, std::uint64_t count);
std::string_view plural_name(Plural form);

// The key of a form in the tables: the English "other" text for `other`,
// else that text with the form's name in brackets ("{0} items (one)").
std::string plural_key(std::string_view english_other, Plural form);

// A count with its noun in the current language, "{0}" filled in with the
// count: English picks `english_one` for 1; the tables hold the forms their
// language needs under plural_key.
std::string count_text(std::uint64_t count, std::string_view korean, std::string_view english_one,
                       std::string_view english_other);
std::string count_text_in(std::string_view code, std::uint64_t count, std::string_view korean,
                          std::string_view english_one, std::string_view english_other);

// The codes of the translation tables built into the program.
std::span<const std::string_view> table_codes();
// A built-in table's stored text; empty when there is no table for `code`.
std::string_view table_text(std::string_view code);

}  // namespace lang
