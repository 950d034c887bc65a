#pragma once
// Dialogs that answer at once and remember what they were asked.
#include <QMimeData>
#include <QStringList>
#include <memory>
#include <vector>

#include "widgets/Dialogs.h"

namespace tarnvale::test {

class RecordingDialogs : public ui::Dialogs {
 public:
  RecordingDialogs() { ui::SetDialogs(this); }
  ~RecordingDialogs() override { ui::SetDialogs(nullptr); }

  void error(QWidget*, const QString& text) override { errors.push_back(text); }
  void information(QWidget*, const QString& text) override { informations.push_back(text); }
  void message(QWidget*, const QString& text) override { messages.push_back(text); }
  QString chooseDirectory(QWidget*, const QString& title, const QString& start) override {
    directoryTitles.push_back(title);
    return directoryAnswer.isEmpty() ? start : directoryAnswer;
  }
  QString saveFileName(QWidget*, const QString& proposed) override {
    proposedNames.push_back(proposed);
    return saveAnswer;
  }
  void setClipboard(QMimeData* data) override { clipboard.reset(data); }

  std::vector<QString> errors, informations, messages, directoryTitles, proposedNames;
  QString directoryAnswer;
  QString saveAnswer;
  std::unique_ptr<QMimeData> clipboard;
};

}  // namespace tarnvale::test
