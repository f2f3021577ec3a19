// The table's context menu: Copy, Filter (also Ctrl+F), Details, and the
// Code Page menu, whose commands are one per choice of kCodePageChoices
// (Automatic, then the code pages), in its order, from
// kFirstCodePageCommandId.
#pragma once

#include <windows.h>

#include <optional>

#include "handle/unique_handle.h"
#include "scanner/code_pages.h"

namespace vostrel::win32 {

inline constexpr int kCopyCommandId = 105;
inline constexpr int kFilterCommandId = 107;
inline constexpr int kDetailsCommandId = 108;
inline constexpr int kFirstCodePageCommandId = 200;

using Menu = handle::UniqueHandle<handle::NullInvalid<HMENU, ::DestroyMenu>>;

// The menu, Details greyed without a mission row in focus (`details`), the
// code page `inUse` checked; none when the system refuses.
Menu NewTableMenu(CodePage inUse, bool details);

// The code page a command of the menu chooses; none for another command.
std::optional<CodePage> ChosenCodePage(int commandId);

}  // namespace vostrel::win32
