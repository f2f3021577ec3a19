// Texts folded for the table's filter, which finds words as a search engine
// does: letter case, accents and strokes disregarded ("lodz" finds "Łódź",
// "wisla" "Wisłą", "елка" "ёлка", "αθηνα" "Αθήνα", "gross" "groß"). Which
// characters are alike is the platform's collation's answer at primary
// strength (PrimaryCollation); each character's fold is asked once and kept,
// so that folding a table's texts costs little more than copying them.
// Knows no toolkit.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ui/core/primary_collation.h"

namespace vostrel {

class SearchFold {
 public:
  // `text` folded, appended to `folded`: a word's fold lies within a text's
  // fold when the word is found in the text. Alike characters fold alike:
  // ASCII letters to small ones, a character the collation weighs as ASCII
  // letters to those ("ł" to "l", "ß" to "ss"), any other to the first
  // character met that the collation weighs alike; a combining accent to
  // nothing. Bytes that are not UTF-8 stay as they are. Used from one thread.
  void Append(std::string_view text, std::string& folded);
  std::string Fold(std::string_view text) {
    std::string folded;
    Append(text, folded);
    return folded;
  }

 private:
  // A fold short enough to be kept in place, for the characters of two
  // UTF-8 bytes (below U+0800: Latin, Greek, Cyrillic, Hebrew, Arabic), which
  // are most of a table's non-ASCII text: found by their code, not hashed.
  struct ShortFold {
    static constexpr std::uint8_t kNotYet = 0xFF;
    static constexpr std::uint8_t kLonger = 0xFE;  // kept in characters_ instead
    std::uint8_t size = kNotYet;
    std::array<char, 7> bytes{};
  };
  static constexpr char32_t kShortFolds = 0x800;

  void AppendFoldOf(char32_t c, std::string& folded);
  const std::string& FoldCharacter(char32_t c);
  // The ASCII characters the weights spell, if they spell any.
  bool SpellInAscii(const std::vector<std::uint32_t>& weights, std::string& folded);

  PrimaryCollation collation_;
  std::vector<ShortFold> shortFolds_;                           // by code below kShortFolds; made on first use
  std::unordered_map<char32_t, std::string> characters_;       // each non-ASCII character's fold
  std::map<std::vector<std::uint32_t>, std::string> letters_;  // the fold of each weighing met
  std::unordered_map<std::uint32_t, char> asciiWeights_;       // each ASCII character's one weight
  bool asciiWeighed_ = false;
};

}  // namespace vostrel
