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
  QString openFileName(QWidget*, const QString& title, const QString& directory, const QString& filter,
                       const QString& defaultSuffix) override {
    openRequests.push_back({title, directory, filter, defaultSuffix});
    return openAnswer;
  }
  void setClipboard(QMimeData* data) override { clipboard.reset(data); }

  std::vector<QString> errors, informations, messages, directoryTitles, proposedNames;
  QString directoryAnswer;
  QString saveAnswer;
  struct OpenRequest {
    QString title, directory, filter, defaultSuffix;
  };
  std::vector<OpenRequest> openRequests;
  QString openAnswer;  ///< the file the open dialog returns; empty = cancelled
  std::unique_ptr<QMimeData> clipboard;
};

}  // namespace tarnvale::test
