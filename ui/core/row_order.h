// How the results table sorts its rows: one comparison, shared by both
// windows so that they sort alike. Knows no toolkit; texts are UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vostrel {

// Compares the texts of two cells of a column, file names and texts alike,
// in natural order: a run of digits counts as its number (m9.dll before
// m10.dll, "Golden 22" before "Golden 10041", m007 beside m7), everything
// else without regard to letter case. Texts that are equal so are told apart
// by their bytes. Less than, equal to or greater than 0, as the first text
// sorts before, with or after the second.
int CompareCells(std::string_view a, std::string_view b);

// A character as letter case is disregarded: the small letter of a capital
// of the Latin, Greek, Cyrillic and Armenian scripts (simple case folding);
// any other character as it is.
char32_t FoldCase(char32_t c);

}  // namespace vostrel
