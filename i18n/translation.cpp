#include "i18n/translation.h"

#include <algorithm>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "i18n/catalogue.h"
#include "i18n/embedded_catalogues.h"
#include "i18n/language.h"

namespace vostrel {
namespace {

// "en", "en_GB": the texts as written.
bool IsEnglish(std::string_view language) {
  return language.starts_with("en") && (language.size() == 2 || language[2] == '_');
}

const EmbeddedCatalogue* FindEmbedded(std::string_view language) {
  for (const EmbeddedCatalogue& catalogue : EmbeddedCatalogues()) {
    if (catalogue.language == language) return &catalogue;
  }
  return nullptr;
}

// The catalogue of the first language wanted that has one ("pl_PL" is
// served by "pl"); none for English, or when no language wanted has one.
const EmbeddedCatalogue* ChosenCatalogue() {
  for (const std::string& language : PreferredLanguages()) {
    if (IsEnglish(language)) return nullptr;
    if (const EmbeddedCatalogue* exact = FindEmbedded(language)) return exact;
    if (const EmbeddedCatalogue* general = FindEmbedded(std::string_view(language).substr(0, language.find('_')))) {
      return general;
    }
  }
  return nullptr;
}

// The translation of `key` in the user's catalogue: its forms, each ending
// in a zero byte but the last.
std::optional<std::string_view> Lookup(std::string_view key, const EmbeddedCatalogue*& chosen) {
  chosen = ChosenCatalogue();
  if (chosen == nullptr) return std::nullopt;
  const std::optional<Catalogue> catalogue = Catalogue::Read(std::as_bytes(chosen->mo));
  if (!catalogue) return std::nullopt;
  const std::optional<std::string_view> translation = catalogue->Find(key);
  if (!translation || translation->empty()) return std::nullopt;
  return translation;
}

// Form `index` of the zero-separated forms; the first when there are fewer.
std::string_view Form(std::string_view forms, unsigned long long index) {
  std::string_view rest = forms;
  for (unsigned long long i = 0; i < index; ++i) {
    const std::size_t zero = rest.find('\0');
    if (zero == std::string_view::npos) return forms.substr(0, forms.find('\0'));
    rest.remove_prefix(zero + 1);
  }
  return rest.substr(0, rest.find('\0'));
}

std::string FillFields(std::string_view text, std::span<const TextField> fields) {
  std::string filled;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t open = text.find('{', at);
    const std::size_t close = open == std::string_view::npos ? open : text.find('}', open);
    if (close == std::string_view::npos) break;
    filled.append(text.substr(at, open - at));
    const std::string_view name = text.substr(open + 1, close - open - 1);
    const TextField* field = nullptr;
    for (const TextField& candidate : fields) {
      if (candidate.name == name) field = &candidate;
    }
    if (field != nullptr) {
      filled.append(field->value);
      at = close + 1;
    } else {
      filled += '{';  // no placeholder: the brace stays, and what follows is looked at again
      at = open + 1;
    }
  }
  filled.append(text.substr(std::min(at, text.size())));
  return filled;
}

}  // namespace

std::string Filled(std::string_view text, TextFields fields) { return FillFields(text, fields); }

std::string Translated(std::string_view text, TextFields fields) {
  const EmbeddedCatalogue* chosen = nullptr;
  return Filled(Lookup(text, chosen).value_or(text), fields);
}

std::string TranslatedCount(std::string_view singular, std::string_view plural, std::uint64_t count,
                            TextFields fields) {
  const EmbeddedCatalogue* chosen = nullptr;
  const std::optional<std::string_view> forms = Lookup(singular, chosen);
  const std::string_view text =
      forms ? Form(*forms, chosen->pluralForm(count)) : count == 1 ? singular : plural;
  const std::string number = std::to_string(count);
  std::vector<TextField> all{{"count", number}};
  all.insert(all.end(), fields.begin(), fields.end());
  return FillFields(text, all);
}

std::string TranslatedIn(std::string_view context, std::string_view text) {
  std::string key(context);
  key += '\x04';  // gettext's separator of a context from its text
  key.append(text);
  const EmbeddedCatalogue* chosen = nullptr;
  return std::string(Lookup(key, chosen).value_or(text));
}

std::string_view TextLanguage() {
  const EmbeddedCatalogue* chosen = ChosenCatalogue();
  return chosen != nullptr ? chosen->language : std::string_view();
}

}  // namespace vostrel
