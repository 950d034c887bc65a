#pragma once
// The Tabulated Data page: the profile of the last Calculate as distance and
// height lines, saved as text by a double click or Ctrl+S.
#include <QWidget>

#include "session/Session.h"

namespace tarnvale::ui {

class TProfileList;

class TTabulatedPage : public QWidget {
  Q_OBJECT

 public:
  explicit TTabulatedPage(QWidget* parent = nullptr);

  /// The table of a Calculate (header line first).
  void showOutcome(const CalculateOutcome& outcome);

 public slots:
  /// Asks for a file name (profile.dat the first time) and writes the lines.
  void ProfileDblClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TProfileList* profile_ = nullptr;
  QString saveFileName_;  ///< the save dialog's file name, kept for the run
};

}  // namespace tarnvale::ui
