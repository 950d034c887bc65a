#include "widgets/Dialogs.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QMessageBox>
#include <QMimeData>

namespace tarnvale::ui {
namespace {

class PlatformDialogs final : public Dialogs {
 public:
  void error(QWidget* parent, const QString& text) override {
    QMessageBox::critical(parent, QApplication::applicationName(), text, QMessageBox::Ok);
  }
  void information(QWidget* parent, const QString& text) override {
    QMessageBox::information(parent, QApplication::applicationName(), text, QMessageBox::Ok);
  }
  void message(QWidget* parent, const QString& text) override {
    QMessageBox::warning(parent, QApplication::applicationName(), text, QMessageBox::Ok);
  }
  QString chooseDirectory(QWidget* parent, const QString& title, const QString& start) override {
    const QString chosen = QFileDialog::getExistingDirectory(parent, title, start);
    return chosen.isEmpty() ? start : chosen;
  }
  QString saveFileName(QWidget* parent, const QString& proposed) override {
    return QFileDialog::getSaveFileName(parent, QString(), proposed);
  }
  QString openFileName(QWidget* parent, const QString& title, const QString& directory, const QString& filter,
                       const QString& defaultSuffix) override {
    QFileDialog dialog(parent, title, directory, filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().constFirst();
  }
  void setClipboard(QMimeData* data) override { QApplication::clipboard()->setMimeData(data); }
};

Dialogs* installed = nullptr;

}  // namespace

Dialogs& CurrentDialogs() {
  static PlatformDialogs platform;
  return installed ? *installed : platform;
}

void SetDialogs(Dialogs* dialogs) { installed = dialogs; }

}  // namespace tarnvale::ui
