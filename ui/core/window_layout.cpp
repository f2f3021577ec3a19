#include "ui/core/window_layout.h"

#include <algorithm>
#include <cmath>

namespace vostrel::layout {

Layout FitToClient(float width, float height, bool withFilterBox) {
  const auto atLeastZero = [](float v) { return std::max(v, 0.0f); };
  Layout fitted{kScanButton, kFolderBox, kTable, {}};
  fitted.table.width = atLeastZero(width - 200.0f);
  fitted.table.height = atLeastZero(height - 900.0f);
  fitted.scanButton.left = width - 1300.0f;
  fitted.folderBox.width = atLeastZero(width - 1500.0f);
  if (withFilterBox) {
    // The table gives up the box's height; the box ends where it ended.
    const float boxHeight = std::min(kFilterBoxHeight, fitted.table.height);
    fitted.table.height -= boxHeight;
    fitted.filterBox = {kTable.left, kTable.top + fitted.table.height, fitted.table.width, boxHeight};
  }
  return fitted;
}

int TwipsToPixels(float twips, float dotsPerInch) {
  return static_cast<int>(std::lround(twips * dotsPerInch / static_cast<float>(kTwipsPerInch)));
}

float PixelsToTwips(int pixels, float dotsPerInch) {
  return static_cast<float>(pixels) * static_cast<float>(kTwipsPerInch) / dotsPerInch;
}

}  // namespace vostrel::layout
