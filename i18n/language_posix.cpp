#include <clocale>
#include <cstdlib>
#include <string_view>

#include "i18n/language.h"

namespace vostrel {
namespace {

// "pl_PL.UTF-8@euro" is "pl_PL".
std::string WithoutCodeset(std::string_view locale) { return std::string(locale.substr(0, locale.find_first_of(".@"))); }

}  // namespace

std::vector<std::string> PreferredLanguages() {
  const char* messages = std::setlocale(LC_MESSAGES, nullptr);
  const std::string_view name = messages != nullptr ? messages : "C";
  // gettext, and so the C library's own messages, ignore LANGUAGE under C
  // (but not under C.UTF-8).
  if (name == "C" || name == "POSIX") return {};
  const std::string locale = WithoutCodeset(name);
  std::vector<std::string> languages;
  const char* wanted = std::getenv("LANGUAGE");
  for (std::string_view list = wanted != nullptr ? wanted : ""; !list.empty();) {
    const std::size_t colon = list.find(':');
    if (const std::string language = WithoutCodeset(list.substr(0, colon)); !language.empty()) {
      languages.push_back(language);
    }
    list.remove_prefix(colon == std::string_view::npos ? list.size() : colon + 1);
  }
  languages.push_back(locale);
  return languages;
}

}  // namespace vostrel
