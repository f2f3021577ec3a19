// The program's own texts in the user's language. A text is written in
// English where it is said, inside one of the calls below; the catalogues'
// template is extracted from those calls (xgettext), and each language's
// translations live in po/<language>.po. Adding a text: write it inside
// Translated(...), then `cmake --build BUILD --target update-translations`
// and translate it in every po/*.po; the test `translations` fails until
// each language has it.
//
// A placeholder is a name in braces, "Cannot read {file}: {reason}", filled
// from the fields given; a translation keeps every placeholder of its text,
// in any order. The language is the one PreferredLanguages() names first
// that has a catalogue; English (the text as written) where none has.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace vostrel {

struct TextField {
  std::string_view name;   // "file" fills "{file}"
  std::string_view value;  // taken as it is: braces in it are no placeholders
};
using TextFields = std::initializer_list<TextField>;

// Marks a text for the catalogues where it is only declared (a table of
// captions), to be translated where it is shown: Translated(kCopyCaption).
constexpr std::string_view MarkedText(std::string_view text) { return text; }

// The text in the user's language, its placeholders filled.
std::string Translated(std::string_view text, TextFields fields = {});

// A text that says a count, in the form the language gives `count`
// ("{count} mission added.", "{count} missions added."); "{count}" is
// filled with the number (unless `fields` names it too: the number written
// otherwise), other placeholders from `fields`.
std::string TranslatedCount(std::string_view singular, std::string_view plural, std::uint64_t count,
                            TextFields fields = {});

// A text that means something else in `context` than elsewhere (a thousands
// separator, a key's name).
std::string TranslatedIn(std::string_view context, std::string_view text);

// Each "{name}" of `text` whose name a field has, replaced by its value.
std::string Filled(std::string_view text, TextFields fields);

// The language of the catalogue the texts come from ("pl"); empty for English.
std::string_view TextLanguage();

}  // namespace vostrel
