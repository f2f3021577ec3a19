// A mission's details: where its file lies, its size and time, the code page
// of its texts, and each export's offset and whole text, read-only but
// selectable, in a window of its own (several may be open). Escape closes it.
#pragma once

#include <QDialog>

#include "ui/core/mission_details.h"

class DetailsDialog : public QDialog {
  Q_OBJECT

 public:
  // Deletes itself when closed.
  DetailsDialog(const vostrel::MissionDetails& details, QWidget* parent);
};
