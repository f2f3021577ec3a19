#include <windows.h>

#include "i18n/language.h"

namespace vostrel {

// The language Windows shows its own interface in (Wine takes it from
// LC_MESSAGES, else LANG), named "pl-PL": ASCII letters and hyphens.
std::vector<std::string> PreferredLanguages() {
  wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
  if (::LCIDToLocaleName(MAKELCID(::GetUserDefaultUILanguage(), SORT_DEFAULT), name, LOCALE_NAME_MAX_LENGTH, 0) == 0) {
    return {};
  }
  std::string language;
  for (const wchar_t* c = name; *c != L'\0'; ++c) language += *c == L'-' ? '_' : static_cast<char>(*c & 0x7F);
  return {language};
}

}  // namespace vostrel
