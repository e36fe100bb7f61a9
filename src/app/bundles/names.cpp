#include "app/bundles/names.h"

#include "base/unicode.h"

namespace app {
namespace {

bool name_taken(const bundle::Store& store, std::string_view candidate) {
  for (const bundle::Bundle& b : store.bundles) {
    if (base::ascii_iequals(base::trim(b.name), candidate)) return true;
  }
  return false;
}

}  // namespace

std::string unique_name(const bundle::Store& store, std::string_view proposed) {
  const std::string_view trimmed = base::trim(proposed);
  if (!name_taken(store, trimmed)) return std::string(trimmed);
  for (unsigned long long n = 2;; ++n) {
    std::string candidate = std::string(trimmed) + " " + std::to_string(n);
    if (!name_taken(store, candidate)) return candidate;
  }
}

}  // namespace app
