#include "ui/core/row_order.h"

#include <cstdint>

#include "scanner/utf8.h"

namespace vostrel {
namespace {

// A byte that begins no UTF-8 character stands for itself, apart from every
// character, one byte at a time as EscapeField writes it.
constexpr char32_t kStrayByte = 0x110000;

// Decodes the character at `i` and moves past it.
char32_t NextCharacter(std::string_view text, std::size_t& i) {
  const auto byte = static_cast<unsigned char>(text[i]);
  return utf8::DecodeNext(text, i).value_or(kStrayByte + byte);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int Sign(long long value) { return value < 0 ? -1 : (value > 0 ? 1 : 0); }

// Compares the runs of digits that begin at i and j by the numbers they
// write, and moves past them.
int CompareNumbers(std::string_view a, std::size_t& i, std::string_view b, std::size_t& j) {
  while (i < a.size() && a[i] == '0' && i + 1 < a.size() && IsDigit(a[i + 1])) ++i;
  while (j < b.size() && b[j] == '0' && j + 1 < b.size() && IsDigit(b[j + 1])) ++j;
  std::size_t endA = i;
  std::size_t endB = j;
  while (endA < a.size() && IsDigit(a[endA])) ++endA;
  while (endB < b.size() && IsDigit(b[endB])) ++endB;
  // More digits without leading zeros: a larger number.
  int result = Sign(static_cast<long long>(endA - i) - static_cast<long long>(endB - j));
  if (result == 0) result = a.substr(i, endA - i).compare(b.substr(j, endB - j));
  i = endA;
  j = endB;
  return Sign(result);
}

int CompareFolded(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      if (const int numbers = CompareNumbers(a, i, b, j); numbers != 0) return numbers;
      continue;
    }
    const char32_t x = FoldCase(NextCharacter(a, i));
    const char32_t y = FoldCase(NextCharacter(b, j));
    if (x != y) return x < y ? -1 : 1;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

bool Between(char32_t c, char32_t first, char32_t last) { return c >= first && c <= last; }

// In ranges where capitals and small letters alternate, the capital is the
// even (or, with odd set, the odd) code point.
char32_t FoldAlternating(char32_t c, bool capitalIsOdd) {
  const bool isCapital = ((c & 1u) != 0) == capitalIsOdd;
  return isCapital ? c + 1 : c;
}

}  // namespace

char32_t FoldCase(char32_t c) {
  if (c < 0x80) return Between(c, 'A', 'Z') ? c + 0x20 : c;
  // Latin-1: À..Þ but for the multiplication sign.
  if (Between(c, 0xC0, 0xDE)) return c == 0xD7 ? c : c + 0x20;
  // Latin Extended-A.
  if (c == 0x130) return 'i';  // İ
  if (c == 0x178) return 0xFF;  // Ÿ
  if (c == 0x17F) return 's';  // long s
  if (Between(c, 0x100, 0x137) || Between(c, 0x14A, 0x177)) return FoldAlternating(c, false);
  if (Between(c, 0x139, 0x148) || Between(c, 0x179, 0x17E)) return FoldAlternating(c, true);
  // Latin Extended-B: the letters of Romanian and of the Latin Serbian and Croatian digraphs.
  if (Between(c, 0x218, 0x21F)) return FoldAlternating(c, false);
  if (c == 0x1C4 || c == 0x1C7 || c == 0x1CA) return c + 2;  // DŽ, LJ, NJ
  if (c == 0x1C5 || c == 0x1C8 || c == 0x1CB) return c + 1;  // Dž, Lj, Nj
  // Greek.
  if (c == 0x386) return 0x3AC;
  if (Between(c, 0x388, 0x38A)) return c + 0x25;
  if (c == 0x38C) return 0x3CC;
  if (Between(c, 0x38E, 0x38F)) return c + 0x3F;
  if (Between(c, 0x391, 0x3AB) && c != 0x3A2) return c + 0x20;
  if (c == 0x3C2) return 0x3C3;  // final sigma
  // Cyrillic.
  if (Between(c, 0x400, 0x40F)) return c + 0x50;
  if (Between(c, 0x410, 0x42F)) return c + 0x20;
  if (Between(c, 0x460, 0x481) || Between(c, 0x48A, 0x4BF) || Between(c, 0x4D0, 0x52F)) {
    return FoldAlternating(c, false);
  }
  if (c == 0x4C0) return 0x4CF;
  if (Between(c, 0x4C1, 0x4CE)) return FoldAlternating(c, true);
  // Armenian.
  if (Between(c, 0x531, 0x556)) return c + 0x30;
  // Latin Extended Additional, Vietnamese's letters among them.
  if (Between(c, 0x1E00, 0x1E95) || Between(c, 0x1EA0, 0x1EFF)) return FoldAlternating(c, false);
  if (c == 0x1E9E) return 0xDF;  // capital sharp s
  // Fullwidth Latin.
  if (Between(c, 0xFF21, 0xFF3A)) return c + 0x20;
  return c;
}

int CompareCells(std::string_view a, std::string_view b) {
  if (const int folded = CompareFolded(a, b); folded != 0) return folded;
  return Sign(a.compare(b));
}

}  // namespace vostrel
