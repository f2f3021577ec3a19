#include "ui/qt/code_page_menu.h"

#include <QActionGroup>
#include <QMenu>

#include <memory>
#include <string>
#include <utility>

#include "i18n/translation.h"
#include "ui/core/table_menu.h"
#include "ui/qt/qt_text.h"

QMenu* NewCodePageMenu(QWidget& parent, std::function<vostrel::CodePage()> inUse,
                       std::function<void(vostrel::CodePage)> choose) {
  auto* menu = new QMenu(ToQString(vostrel::Translated(vostrel::kCodePageMenuCaption)), &parent);
  menu->setObjectName(QStringLiteral("mnuCodePage"));
  auto* choices = new QActionGroup(menu);
  choices->setExclusive(true);
  const auto check = [choices, inUse = std::move(inUse)] {
    const vostrel::CodePage codePage = inUse();
    for (QAction* choice : choices->actions()) choice->setChecked(choice->data().toUInt() == codePage);
  };
  for (const vostrel::CodePage number : vostrel::kCodePageChoices) {
    QAction* choice = menu->addAction(ToQString(vostrel::CodePageChoiceLabel(number)));
    choice->setCheckable(true);
    choice->setData(number);
    choices->addAction(choice);
    QObject::connect(choice, &QAction::triggered, menu, [check, choose, number] {
      choose(number);
      check();  // one that cannot be decoded stays unchecked; the status says why
    });
    if (number == vostrel::kAutomaticCodePage) menu->addSeparator();
  }
  check();
  QObject::connect(menu, &QMenu::aboutToShow, menu, check);
  return menu;
}
