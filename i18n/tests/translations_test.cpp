// Every text the programs say, in every shipped language, with the
// placeholders it has; the catalogues' plural rules; the reader on damaged
// bytes; and the language followed from the locale.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "i18n/catalogue.h"
#include "i18n/embedded_catalogues.h"
#include "i18n/translation.h"

namespace vostrel {

std::span<const EmbeddedCatalogue> TemplateCatalogue();  // generated from the template, for this test

namespace {

std::vector<std::string_view> Split(std::string_view forms) {
  std::vector<std::string_view> parts;
  for (std::size_t zero; (zero = forms.find('\0')) != std::string_view::npos; forms.remove_prefix(zero + 1)) {
    parts.push_back(forms.substr(0, zero));
  }
  parts.push_back(forms);
  return parts;
}

// The names of the "{name}" placeholders of each text.
std::set<std::string> Placeholders(const std::vector<std::string_view>& texts) {
  std::set<std::string> names;
  for (std::string_view text : texts) {
    for (std::size_t open = text.find('{'); open != std::string_view::npos; open = text.find('{', open + 1)) {
      const std::size_t close = text.find_first_of("{}", open + 1);
      if (close != std::string_view::npos && text[close] == '}') names.emplace(text.substr(open + 1, close - open - 1));
    }
  }
  return names;
}

Catalogue Read(const EmbeddedCatalogue& embedded) {
  const std::optional<Catalogue> catalogue = Catalogue::Read(std::as_bytes(embedded.mo));
  if (!catalogue) throw std::runtime_error("catalogue " + std::string(embedded.language) + " cannot be read");
  return *catalogue;
}

TEST(Translations, EveryTextInEveryLanguageWithItsPlaceholders) {
  const Catalogue texts = Read(TemplateCatalogue()[0]);
  ASSERT_GT(texts.size(), 50u);  // the template holds the programs' texts
  std::string faults;
  for (const EmbeddedCatalogue& language : EmbeddedCatalogues()) {
    const Catalogue catalogue = Read(language);
    for (std::uint32_t entry = 1; entry < texts.size(); ++entry) {  // entry 0 is the header
      const std::vector<std::string_view> original = Split(texts.Original(entry).value());
      const std::string said = std::string(language.language) + ": \"" + std::string(original[0]) + "\" ";
      const std::optional<std::string_view> translation = catalogue.Find(original[0]);
      if (!translation) {
        faults += said + "has no translation (or only a fuzzy one)\n";
        continue;
      }
      const std::vector<std::string_view> forms = Split(*translation);
      const std::size_t formsWanted = original.size() > 1 ? language.pluralForms : 1;
      if (forms.size() != formsWanted) {
        faults += said + "has " + std::to_string(forms.size()) + " forms, not " + std::to_string(formsWanted) + "\n";
      }
      for (std::string_view form : forms) {
        if (form.empty()) faults += said + "has an empty form\n";
        if (Placeholders({form}) != Placeholders(original)) {
          faults += said + "has placeholders that differ in \"" + std::string(form) + "\"\n";
        }
      }
    }
  }
  EXPECT_EQ(faults, "") << "After `cmake --build BUILD --target update-translations`, translate these in po/*.po";
}

TEST(Translations, PluralRulesPickEachLanguagesForm) {
  struct Case {
    std::string_view language;
    std::vector<unsigned long long> counts;
    std::vector<unsigned long long> forms;
  };
  const std::vector<Case> cases{
      {"pl", {1, 2, 4, 5, 12, 22, 25, 112, 1002}, {0, 1, 1, 2, 2, 1, 2, 2, 1}},
      {"ru", {1, 2, 5, 11, 21, 22, 111, 1001}, {0, 1, 2, 2, 0, 1, 2, 0}},
      {"cs", {1, 2, 4, 5, 21}, {0, 1, 1, 2, 2}},
      {"fr", {0, 1, 2}, {0, 0, 1}},
      {"de", {0, 1, 2}, {1, 0, 1}},
      {"es", {0, 1, 2}, {1, 0, 1}},
  };
  for (const Case& c : cases) {
    const EmbeddedCatalogue* catalogue = nullptr;
    for (const EmbeddedCatalogue& embedded : EmbeddedCatalogues()) {
      if (embedded.language == c.language) catalogue = &embedded;
    }
    ASSERT_NE(catalogue, nullptr) << c.language;
    for (std::size_t i = 0; i < c.counts.size(); ++i) {
      EXPECT_EQ(catalogue->pluralForm(c.counts[i]), c.forms[i]) << c.language << " " << c.counts[i];
    }
  }
}

// A catalogue cut short or whose fields point outside it gives no
// translation, never a read past its bytes (the sanitizers' build sees one).
TEST(Catalogue, DamagedBytesGiveNoTranslation) {
  const EmbeddedCatalogue& embedded = EmbeddedCatalogues()[0];
  const std::vector<std::byte> whole(std::as_bytes(embedded.mo).begin(), std::as_bytes(embedded.mo).end());
  const Catalogue intact = Read(embedded);
  const std::string original(Split(intact.Original(intact.size() - 1).value())[0]);
  ASSERT_TRUE(intact.Find(original));

  const auto withU32 = [&](std::size_t offset, std::uint32_t value) {
    std::vector<std::byte> bytes = whole;
    for (std::size_t i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::byte>(value >> (8 * i));
    return bytes;
  };
  const std::uint32_t originals = std::to_integer<std::uint32_t>(whole[12]) | std::to_integer<std::uint32_t>(whole[13]) << 8 |
                                  std::to_integer<std::uint32_t>(whole[14]) << 16 | std::to_integer<std::uint32_t>(whole[15]) << 24;
  const std::uint32_t last = originals + 8 * (intact.size() - 1);
  struct Case {
    const char* what;
    std::vector<std::byte> bytes;
  };
  const std::vector<Case> cases{
      {"empty", {}},
      {"cut in its header", {whole.begin(), whole.begin() + 19}},
      {"cut in its tables", {whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(originals + 8)}},
      {"cut before its last string ends", {whole.begin(), whole.end() - 1}},
      {"another magic number", withU32(0, 0xde120495)},
      {"a count past its bytes", withU32(8, 0x20000000)},
      {"a string's length past its bytes", withU32(last, 0xFFFFFFF0)},
      {"a string's offset past its bytes", withU32(last + 4, 0xFFFFFFF0)},
  };
  for (const Case& c : cases) {
    const std::optional<Catalogue> catalogue = Catalogue::Read(c.bytes);
    if (catalogue) {
      EXPECT_FALSE(catalogue->Find(original)) << c.what;
    }
  }
}

TEST(Translation, FillsPlaceholdersByName) {
  EXPECT_EQ(Filled("Cannot read {file}: {reason}", {{"reason", "gone"}, {"file", "{reason}.dll"}}),
            "Cannot read {reason}.dll: gone");
  EXPECT_EQ(Filled("{ {x} {file}} {", {{"file", "a"}}), "{ {x} a} {");
}

// Sets the message locale and LANGUAGE for the test's length, as a user's
// environment would, then puts back what the test program had.
class UserLanguage {
 public:
  UserLanguage(const char* locale, const char* language) : locale_(std::setlocale(LC_MESSAGES, nullptr)) {
    if (const char* had = std::getenv("LANGUAGE")) language_ = had;
    std::setlocale(LC_MESSAGES, locale);
    ::setenv("LANGUAGE", language, 1);
  }
  ~UserLanguage() {
    std::setlocale(LC_MESSAGES, locale_.c_str());
    if (language_) {
      ::setenv("LANGUAGE", language_->c_str(), 1);
    } else {
      ::unsetenv("LANGUAGE");
    }
  }

 private:
  std::string locale_;
  std::optional<std::string> language_;
};

// gettext's rules, which the C library's own messages follow: LANGUAGE
// first, unless the message locale is C; English where no catalogue serves.
TEST(Translation, FollowsTheUsersLanguage) {
  struct Case {
    const char* locale;
    const char* language;
    std::string_view chosen;
    std::string finished;
    std::string added;
  };
  const std::vector<Case> cases{
      {"C.UTF-8", "pl_PL:de", "pl", "Skanowanie zakończone.", "Dodano 22 misje."},
      {"C.UTF-8", "el:de_AT", "de", "Scan abgeschlossen.", "22 Missionen hinzugefügt."},
      {"C.UTF-8", "en:ru", "", "Scan finished.", "22 missions added."},
      {"C.UTF-8", "el", "", "Scan finished.", "22 missions added."},
      {"C", "ru", "", "Scan finished.", "22 missions added."},
  };
  for (const Case& c : cases) {
    const UserLanguage user(c.locale, c.language);
    EXPECT_EQ(TextLanguage(), c.chosen) << c.language;
    EXPECT_EQ(Translated("Scan finished."), c.finished) << c.language;
    EXPECT_EQ(TranslatedCount("{count} mission added.", "{count} missions added.", 22), c.added) << c.language;
  }
}

}  // namespace
}  // namespace vostrel
