#include "scanner/code_pages.h"

#include <algorithm>
#include <string>

namespace vostrel {
namespace {

// A POSIX locale name: language[_territory][.codeset][@modifier].
struct LocaleName {
  std::string language;
  std::string territory;
  std::string modifier;
};

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
  return lower;
}

LocaleName Parse(std::string_view name) {
  LocaleName parsed;
  if (const auto at = name.find('@'); at != std::string_view::npos) {
    parsed.modifier = Lower(name.substr(at + 1));
    name = name.substr(0, at);
  }
  name = name.substr(0, name.find('.'));
  const auto underscore = name.find('_');
  parsed.language = Lower(name.substr(0, underscore));
  if (underscore != std::string_view::npos) parsed.territory = Lower(name.substr(underscore + 1));
  return parsed;
}

template <std::size_t N>
bool OneOf(const std::string& value, const std::array<std::string_view, N>& values) {
  return std::find(values.begin(), values.end(), value) != values.end();
}

// Languages written in two scripts, each a locale of its own on Windows:
// glibc names Serbian's Latin form (sr_RS@latin) and Uzbek's Cyrillic one
// (uz_UZ@cyrillic) by a modifier; a plain name is Cyrillic for Serbian
// (sr_RS, sr_ME), Latin for the others.
bool IsCyrillicForm(const LocaleName& locale) {
  if (locale.modifier == "cyrillic") return true;
  if (locale.modifier == "latin") return false;
  return locale.language == "sr";
}

}  // namespace

std::optional<CodePageName> FindCodePage(CodePage number) {
  for (const CodePageName& codePage : kCodePages) {
    if (codePage.number == number) return codePage;
  }
  return std::nullopt;
}

CodePage AnsiCodePageOfLocale(std::string_view localeName) {
  const LocaleName locale = Parse(localeName);
  const std::string& language = locale.language;

  // Sindhi's and Kashmiri's Devanagari forms: Windows gives its Devanagari
  // locales no ANSI code page.
  if (locale.modifier == "devanagari") return 1252;
  if (OneOf(language, std::array<std::string_view, 3>{"sr", "bs", "tk"})) return IsCyrillicForm(locale) ? 1251 : 1250;
  if (OneOf(language, std::array<std::string_view, 2>{"az", "uz"})) {
    if (locale.territory == "ir") return 1256;  // az_IR: South Azerbaijani, in Arabic script
    return IsCyrillicForm(locale) ? 1251 : 1254;
  }
  if (language == "pa" && locale.territory == "pk") return 1256;  // Punjabi in Arabic script
  if (language == "zh") {
    return OneOf(locale.territory, std::array<std::string_view, 3>{"tw", "hk", "mo"}) ? 950 : 936;
  }

  struct Languages {
    CodePage codePage;
    std::array<std::string_view, 12> languages;
  };
  static constexpr std::array<Languages, 11> kByLanguage{{
      {1250, {"cs", "hr", "hu", "pl", "ro", "sk", "sl", "sq"}},
      {1251, {"ru", "uk", "be", "bg", "mk", "kk", "ky", "mn", "tg", "tt", "ba", "sah"}},
      {1253, {"el"}},
      {1254, {"tr"}},
      {1255, {"he", "iw", "yi"}},
      {1256, {"ar", "fa", "ur", "ug", "sd", "ckb", "ks"}},
      {1257, {"et", "lt", "lv"}},
      {1258, {"vi"}},
      {874, {"th"}},
      {932, {"ja"}},
      {949, {"ko"}},
  }};
  for (const Languages& entry : kByLanguage) {
    if (!language.empty() && OneOf(language, entry.languages)) return entry.codePage;
  }
  return 1252;
}

}  // namespace vostrel
