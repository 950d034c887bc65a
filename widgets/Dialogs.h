#pragma once
// The dialogs and the clipboard the desktop program uses, behind one small
// interface so that tests can answer them without a person.
#include <QImage>
#include <QString>

class QWidget;
class QMimeData;

namespace tarnvale::ui {

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  /// An error message box with an OK button.
  virtual void error(QWidget* parent, const QString& text) = 0;
  /// An information message box with an OK button.
  virtual void information(QWidget* parent, const QString& text) = 0;
  /// A plain message box.
  virtual void message(QWidget* parent, const QString& text) = 0;
  /// A directory chooser; returns the chosen directory, or @p start when cancelled.
  virtual QString chooseDirectory(QWidget* parent, const QString& title, const QString& start) = 0;
  /// A save-file dialog proposing @p proposed; empty when cancelled.
  virtual QString saveFileName(QWidget* parent, const QString& proposed) = 0;
  /// An open-file dialog with a @p title, starting in @p directory, offering
  /// @p filter ("Site list (*.dat)") and adding @p defaultSuffix to a name
  /// typed without one; empty when cancelled.
  virtual QString openFileName(QWidget* parent, const QString& title, const QString& directory,
                               const QString& filter, const QString& defaultSuffix) = 0;
  /// Replaces the clipboard's contents (takes ownership of @p data).
  virtual void setClipboard(QMimeData* data) = 0;
};

/// The dialogs in use: the platform's own unless a test installed others.
Dialogs& CurrentDialogs();
/// Installs @p dialogs (not owned) in place of the platform's; nullptr restores them.
void SetDialogs(Dialogs* dialogs);

}  // namespace tarnvale::ui
