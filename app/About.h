#pragma once
// TAbout: the small window with the program's name, version and a Close button.
#include <QDialog>

namespace tarnvale::ui {

class TAbout : public QDialog {
  Q_OBJECT
 public:
  explicit TAbout(QWidget* parent = nullptr);
};

}  // namespace tarnvale::ui
