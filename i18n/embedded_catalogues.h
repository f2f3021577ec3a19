// The catalogues built into the program: one per language of po/LINGUAS,
// compiled by msgfmt and written into the build's generated code, with each
// language's plural rule (the Plural-Forms of its .po, as code).
#pragma once

#include <span>
#include <string_view>

namespace vostrel {

struct EmbeddedCatalogue {
  std::string_view language;         // "pl", or with a territory "pt_BR"
  std::span<const unsigned char> mo;  // the compiled catalogue
  unsigned pluralForms;              // how many forms a text with a count has
  unsigned long long (*pluralForm)(unsigned long long count);  // which of them says `count`
};

std::span<const EmbeddedCatalogue> EmbeddedCatalogues();

}  // namespace vostrel
