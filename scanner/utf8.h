// UTF-8 under one rule (RFC 3629): a character is a well-formed sequence of
// one to four bytes; overlong forms, surrogates (U+D800..U+DFFF) and code
// points past U+10FFFF are not. A byte that does not begin a well-formed
// sequence is one invalid unit of its own, so that every reader of a text
// that is not UTF-8 steps over it the same way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vostrel::utf8 {

namespace detail {

// What a byte allows as the first of a sequence: the sequence's length (0:
// it begins none) and the range of the second byte, which rules out overlong
// forms (after E0, F0), surrogates (after ED) and code points past U+10FFFF
// (after F4).
struct LeadRule {
  std::uint8_t length = 0;
  std::uint8_t secondLow = 0x80;
  std::uint8_t secondHigh = 0xBF;
};

constexpr LeadRule RuleOf(unsigned lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return {2, 0x80, 0xBF};
  if (lead == 0xE0) return {3, 0xA0, 0xBF};
  if (lead == 0xED) return {3, 0x80, 0x9F};
  if (lead >= 0xE1 && lead <= 0xEF) return {3, 0x80, 0xBF};
  if (lead == 0xF0) return {4, 0x90, 0xBF};
  if (lead >= 0xF1 && lead <= 0xF3) return {4, 0x80, 0xBF};
  if (lead == 0xF4) return {4, 0x80, 0x8F};
  return {};  // ASCII (a character of its own), 80..C1, F5..FF
}

constexpr bool IsContinuation(unsigned byte) { return (byte & 0xC0) == 0x80; }

}  // namespace detail

// The character whose sequence begins at `position` (less than text.size()),
// with `position` moved past it; or none, with `position` moved past the one
// byte there, when no well-formed sequence begins at it. Inline, and a case
// per length rather than a loop: the sort and the escape call it for every
// character of every row.
inline std::optional<char32_t> DecodeNext(std::string_view text, std::size_t& position) {
  const auto byte = [&](std::size_t i) -> unsigned { return static_cast<unsigned char>(text[position + i]); };
  const unsigned lead = byte(0);
  if (lead < 0x80) {
    ++position;
    return lead;
  }
  const detail::LeadRule rule = detail::RuleOf(lead);
  const std::size_t left = text.size() - position;
  const bool secondFits = rule.length >= 2 && left >= rule.length && byte(1) >= rule.secondLow &&
                          byte(1) <= rule.secondHigh;
  // The lead byte holds 7 - length bits of the code point, each other byte 6.
  char32_t character = 0;
  switch (secondFits ? rule.length : 0) {
    case 2:
      character = (lead & 0x1Fu) << 6 | (byte(1) & 0x3Fu);
      position += 2;
      return character;
    case 3:
      if (!detail::IsContinuation(byte(2))) break;
      character = (lead & 0x0Fu) << 12 | (byte(1) & 0x3Fu) << 6 | (byte(2) & 0x3Fu);
      position += 3;
      return character;
    case 4:
      if (!detail::IsContinuation(byte(2)) || !detail::IsContinuation(byte(3))) break;
      character = (lead & 0x07u) << 18 | (byte(1) & 0x3Fu) << 12 | (byte(2) & 0x3Fu) << 6 | (byte(3) & 0x3Fu);
      position += 4;
      return character;
    default:
      break;
  }
  ++position;
  return std::nullopt;
}

// The length of the well-formed sequence that `text` (not empty) begins
// with; 0 when it begins none.
inline std::size_t SequenceLength(std::string_view text) {
  std::size_t position = 0;
  return DecodeNext(text, position) ? position : 0;
}

// Whether the whole text is well-formed.
inline bool IsValid(std::string_view text) {
  for (std::size_t position = 0; position < text.size();) {
    if (!DecodeNext(text, position)) return false;
  }
  return true;
}

// Appends the UTF-8 of `character`, a Unicode scalar value. Inline: the
// decoders call it for every character of a text.
inline void Append(char32_t character, std::string& utf8) {
  const auto byte = [](char32_t bits) { return static_cast<char>(bits); };
  if (character >= 0x10000) {  // tested first, so the chain the decoders' BMP characters take stays short
    const char bytes[] = {byte(0xF0 | character >> 18), byte(0x80 | (character >> 12 & 0x3F)),
                          byte(0x80 | (character >> 6 & 0x3F)), byte(0x80 | (character & 0x3F))};
    utf8.append(bytes, sizeof bytes);
  } else if (character < 0x80) {
    utf8 += byte(character);
  } else if (character < 0x800) {
    utf8 += byte(0xC0 | character >> 6);
    utf8 += byte(0x80 | (character & 0x3F));
  } else {
    utf8 += byte(0xE0 | character >> 12);
    utf8 += byte(0x80 | (character >> 6 & 0x3F));
    utf8 += byte(0x80 | (character & 0x3F));
  }
}

// The length of the longest start of `text` that does not end inside a
// well-formed sequence whose last bytes have yet to come: all of it, short of
// a last one to three bytes that begin a character the text cuts short.
std::size_t WholeCharacters(std::string_view text);

}  // namespace vostrel::utf8
