// The main window's design, shared by every front end: geometry in twips,
// the table's columns, the texts, and the rule that fits the controls to the
// window's size. Knows no toolkit.
#pragma once

#include <array>
#include <string_view>

#include "i18n/translation.h"

namespace vostrel::layout {

// The program's name: the same in every language.
inline constexpr std::string_view kCaption = "Kelvane";
// The texts below are translated where they are shown (Translated()).
// TRANSLATORS: the Scan button; & goes before the letter that with Alt presses it.
inline constexpr std::string_view kScanCaption = MarkedText("&Scan");  // Alt+S
// TRANSLATORS: the status bar's text before the first scan.
inline constexpr std::string_view kReadyStatus = MarkedText("Ready");
inline constexpr std::string_view kTableFontFamily = "Arial";
inline constexpr int kTableFontPoints = 9;

inline constexpr int kTwipsPerInch = 1440;

struct TwipsRect {
  float left;
  float top;
  float width;
  float height;
};

// Client area when the window first opens.
inline constexpr float kClientWidth = 7665;
inline constexpr float kClientHeight = 5985;

// The controls as designed, before the first resize.
inline constexpr TwipsRect kScanButton{6360, 90, 1215, 375};
inline constexpr TwipsRect kStatusBar{0, 5700, 7665, 285};
inline constexpr TwipsRect kFolderBox{120, 110, 6210, 315};
inline constexpr TwipsRect kTable{120, 570, 7485, 5115};

struct Column {
  std::string_view key;
  std::string_view header;  // in English, as CSV's header row names the column; translated in a window
  int widthTwips;
};

// TRANSLATORS: the results table's column headers: a mission DLL's file name
// and the three texts it exports (its map's name, its tech tree's name, its
// level's description).
inline constexpr std::array<Column, 4> kColumns{{
    {"DLLName", MarkedText("DLL Name"), 2540},
    {"MapName", MarkedText("Map Name"), 2540},
    {"TechName", MarkedText("Techtree Name"), 2540},
    {"LevelDesc", MarkedText("Level Description"), 5080},
}};

// The last column's width when the table is `tableWidth` wide and the other
// columns take `otherColumns` of it (any unit, the same for all): what they
// leave, so that a window wider than its columns shows the description to
// its right edge; never less than `ownWidth`, the width as designed or as
// the user last set that column, beyond which the table scrolls as ever.
constexpr int LastColumnWidth(int tableWidth, int otherColumns, int ownWidth) {
  return tableWidth - otherColumns > ownWidth ? tableWidth - otherColumns : ownWidth;
}

// The filter box, when asked for (Ctrl+F): along the bottom of the table,
// above the status bar, as high as the folder box.
inline constexpr float kFilterBoxHeight = kFolderBox.height;

// A mission's details window, as it opens: its client area.
inline constexpr float kDetailsClientWidth = 7665;
inline constexpr float kDetailsClientHeight = 7500;

// The controls' geometry after a resize.
struct Layout {
  TwipsRect scanButton;
  TwipsRect folderBox;
  TwipsRect table;
  TwipsRect filterBox;  // zero unless shown
};

// Fits the controls to a client area of width x height twips (the height
// includes the strip the docked status bar covers). Only the table's width
// and height, the button's left and the folder box's width change; sizes are
// clamped at zero for tiny windows. Computed in 32-bit floating point. With
// the filter box, the table gives up its height to the box below it.
Layout FitToClient(float width, float height, bool withFilterBox = false);

// Twips to pixels at a logical resolution of dotsPerInch (15 twips a pixel at 96).
int TwipsToPixels(float twips, float dotsPerInch);
float PixelsToTwips(int pixels, float dotsPerInch);

}  // namespace vostrel::layout
