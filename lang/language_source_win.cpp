#include <windows.h>

#include "base/settings_store_win.h"
#include "lang/language_source.h"

namespace lang {

std::optional<std::string> stored_language_setting() { return base::read_setting_text("Language"); }

std::uint16_t user_ui_language() { return GetUserDefaultUILanguage(); }

}  // namespace lang
