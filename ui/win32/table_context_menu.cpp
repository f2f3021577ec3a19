#include "ui/win32/table_context_menu.h"

#include <cstddef>
#include <string>

#include "i18n/translation.h"
#include "ui/core/table_menu.h"
#include "ui/win32/wide_text.h"

namespace vostrel::win32 {

Menu NewTableMenu(CodePage inUse, bool details) {
  Menu menu(::CreatePopupMenu());
  Menu codePages(::CreatePopupMenu());
  if (!menu || !codePages) return {};
  // TRANSLATORS: the keys' names as the system's own menus name them.
  const std::wstring copy = Widen(Translated(kCopyCaption) + "\t" + TranslatedIn("key", "Ctrl+C"));
  const std::wstring filter = Widen(Translated(kFilterCaption) + "\t" + TranslatedIn("key", "Ctrl+F"));
  const std::wstring detailsCaption = Widen(Translated(kDetailsCaption) + "\t" + TranslatedIn("key", "Enter"));
  if (!::AppendMenuW(menu.get(), MF_STRING, kCopyCommandId, copy.c_str()) ||
      !::AppendMenuW(menu.get(), MF_STRING, kFilterCommandId, filter.c_str()) ||
      !::AppendMenuW(menu.get(), details ? MF_STRING : MF_STRING | MF_GRAYED, kDetailsCommandId,
                     detailsCaption.c_str()))
    return {};
  const UINT first = kFirstCodePageCommandId;
  UINT checked = 0;
  for (std::size_t i = 0; i < kCodePageChoices.size(); ++i) {
    const UINT id = first + static_cast<UINT>(i);
    const std::wstring label = Widen(CodePageChoiceLabel(kCodePageChoices[i]));
    if (!::AppendMenuW(codePages.get(), MF_STRING, id, label.c_str())) return {};
    if (kCodePageChoices[i] == kAutomaticCodePage && !::AppendMenuW(codePages.get(), MF_SEPARATOR, 0, nullptr))
      return {};
    if (kCodePageChoices[i] == inUse) checked = id;
  }
  if (checked != 0)
    ::CheckMenuRadioItem(codePages.get(), first, first + static_cast<UINT>(kCodePageChoices.size()) - 1, checked,
                         MF_BYCOMMAND);
  const std::wstring caption = Widen(Translated(kCodePageMenuCaption));
  if (!::AppendMenuW(menu.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(codePages.get()), caption.c_str()))
    return {};
  codePages.release();  // destroyed with the menu
  return menu;
}

std::optional<CodePage> ChosenCodePage(int commandId) {
  if (commandId < kFirstCodePageCommandId) return std::nullopt;
  const auto index = static_cast<std::size_t>(commandId - kFirstCodePageCommandId);
  if (index >= kCodePageChoices.size()) return std::nullopt;
  return kCodePageChoices[index];
}

}  // namespace vostrel::win32
