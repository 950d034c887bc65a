#pragma once
// A main window started in a working directory of its own, with the dialogs
// answered, for the tests of its pages.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include <unistd.h>

#include "app/Profile.h"
#include "tests/widgets/RecordingDialogs.h"

namespace tarnvale::test {

class PageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    namespace fs = std::filesystem;
    previous_ = QDir::currentPath();
    dir_ = fs::temp_directory_path() /
           ("tarnvale-pages-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "terrain");
    QDir::setCurrent(QString::fromStdString(dir_.string()));
    terrain_ = (dir_ / "terrain").string();
    dialogs_.directoryAnswer = QString::fromStdString(terrain_);
  }
  void TearDown() override {
    QDir::setCurrent(previous_);
    std::filesystem::remove_all(dir_);
  }

  /// The shared real tiles become the terrain directory; false where absent.
  bool useSharedTiles() {
    const char* shared = std::getenv("TARNVALE_SHARED_DATA");
    if (!shared) return false;
    const std::filesystem::path tiles = std::filesystem::path(shared) / "srtm";
    if (!std::filesystem::exists(tiles / "N51W002.hgt")) return false;
    terrain_ = tiles.string();
    dialogs_.directoryAnswer = QString::fromStdString(terrain_);
    return true;
  }

  /// A main window shown and through its start-up.
  std::unique_ptr<ui::TMainForm> start() {
    auto form = std::make_unique<ui::TMainForm>(std::filesystem::path());
    form->show();
    QApplication::setActiveWindow(form.get());
    for (int i = 0; i < 200 && !form->started(); ++i) QTest::qWait(5);
    EXPECT_TRUE(form->started());
    return form;
  }

  template <class T>
  static T* find(ui::TMainForm& form, const char* name) {
    T* w = form.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  static QString text(ui::TMainForm& form, const char* name) { return find<QLabel>(form, name)->text(); }
  static QString field(ui::TMainForm& form, const char* name) { return find<QLineEdit>(form, name)->text(); }
  static void click(ui::TMainForm& form, const char* name) {
    QTest::mouseClick(find<QAbstractButton>(form, name), Qt::LeftButton);
  }
  /// Brings the page @p name to the front (from another page, so that it is
  /// shown afresh).
  static void showPage(ui::TMainForm& form, const char* name) {
    auto* pages = find<QTabWidget>(form, "PageControl1");
    QWidget* page = find<QWidget>(form, name);
    if (pages->currentWidget() == page) pages->setCurrentIndex(0);
    pages->setCurrentWidget(page);
    QApplication::processEvents();
  }
  /// Types both ends in decimal degrees ("51.01 N 1.0 W") and calculates.
  static void calculateDegrees(ui::TMainForm& form, const QString& tx, const QString& rx) {
    click(form, "DEG");
    find<QLineEdit>(form, "StartLoc")->setText(tx);
    find<QLineEdit>(form, "EndLoc")->setText(rx);
    click(form, "CalculateBtn");
  }

  QString previous_;
  std::filesystem::path dir_;
  std::string terrain_;
  RecordingDialogs dialogs_;
};

}  // namespace tarnvale::test
