// The table's Code Page menu: Automatic, then every code page, the one in
// use checked.
#pragma once

#include <functional>

#include "scanner/code_pages.h"

class QMenu;
class QWidget;

// A menu owned by `parent`. Choosing calls `choose`; the checks then follow
// `inUse`, also each time the menu opens (a code page chosen during a scan
// that cannot be decoded once the scan has stopped is taken back).
QMenu* NewCodePageMenu(QWidget& parent, std::function<vostrel::CodePage()> inUse,
                       std::function<void(vostrel::CodePage)> choose);
