// The platform's collation at primary strength, one character at a time:
// which characters are the same letter once letter case, accents, strokes
// (ł, đ, ø) and width are disregarded. One implementation per platform:
// ICU's root collation on Linux, Windows' own sort keys on Windows.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace vostrel {

class PrimaryCollation {
 public:
  PrimaryCollation();
  ~PrimaryCollation();
  PrimaryCollation(const PrimaryCollation&) = delete;
  PrimaryCollation& operator=(const PrimaryCollation&) = delete;

  // The primary weights of character `c` in order: equal for "l" and "ł",
  // "е" and "ё", "ss" and "ß"; none for a character the collation passes
  // over (a combining accent). Weights compare only with this collation's.
  // Nothing when the collation cannot be had.
  std::optional<std::vector<std::uint32_t>> Weights(char32_t c);

 private:
  struct Collator;
  std::unique_ptr<Collator> collator_;  // opened on first use
};

}  // namespace vostrel
