// The screen's logical resolution, which the design's twips are placed at.
#pragma once

namespace vostrel::win32 {

// Dots per inch across (LOGPIXELSX) or down (LOGPIXELSY); 96 when the
// system cannot tell.
float ScreenDpi(int index);

}  // namespace vostrel::win32
