#include "ui/qt/details_dialog.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QVBoxLayout>
#include <string_view>

#include "i18n/translation.h"
#include "ui/core/window_layout.h"
#include "ui/qt/qt_text.h"

namespace {

QLineEdit* ReadOnlyLine(const std::string& text, QWidget* parent) {
  auto* line = new QLineEdit(ToQString(text), parent);
  line->setReadOnly(true);
  line->setCursorPosition(0);
  return line;
}

}  // namespace

DetailsDialog::DetailsDialog(const vostrel::MissionDetails& details, QWidget* parent) : QDialog(parent) {
  namespace layout = vostrel::layout;
  setObjectName(QStringLiteral("frmDetails"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(ToQString(details.file));

  auto* file = new QFormLayout;
  file->addRow(ToQString(vostrel::Translated(vostrel::kPathCaption)), ReadOnlyLine(details.path, this));
  file->addRow(ToQString(vostrel::Translated(vostrel::kSizeCaption)), ReadOnlyLine(details.size, this));
  file->addRow(ToQString(vostrel::Translated(vostrel::kModifiedCaption)), ReadOnlyLine(details.modified, this));
  file->addRow(ToQString(vostrel::Translated(vostrel::kCodePageCaption)), ReadOnlyLine(details.codePage, this));
  auto* all = new QVBoxLayout(this);
  all->addLayout(file);
  if (!details.problem.empty()) {
    // Said once, over the texts, not as a text of the mission's.
    auto* problem = new QLabel(ToQString(details.problem), this);
    problem->setObjectName(QStringLiteral("lblProblem"));
    problem->setWordWrap(true);
    problem->setTextFormat(Qt::PlainText);
    problem->setTextInteractionFlags(Qt::TextSelectableByMouse);
    all->addWidget(problem);
  }
  for (const auto& shown : details.exports) {
    all->addWidget(new QLabel(ToQString(shown.name + " \xE2\x80\x94 " + shown.offset), this));
    auto* text = new QPlainTextEdit(ToQString(shown.text), this);
    text->setObjectName(QStringLiteral("txt") + ToQString(shown.name));
    text->setReadOnly(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // The description has the most room.
    all->addWidget(text, shown.name == "LevelDesc" ? 3 : 1);
  }
  const QScreen* shownOn = parent != nullptr ? parent->screen() : screen();
  const float dpiX = shownOn != nullptr ? static_cast<float>(shownOn->logicalDotsPerInchX()) : 96.0f;
  const float dpiY = shownOn != nullptr ? static_cast<float>(shownOn->logicalDotsPerInchY()) : 96.0f;
  resize(layout::TwipsToPixels(layout::kDetailsClientWidth, dpiX), layout::TwipsToPixels(layout::kDetailsClientHeight, dpiY));
}
