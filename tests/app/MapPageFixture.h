#pragma once
// A main window in a working directory of its own, with the dialogs answered,
// for tests that drive its pages through their real widgets.
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include <unistd.h>

#include "app/Profile.h"
#include "tests/support/DataFiles.h"
#include "tests/widgets/RecordingDialogs.h"

namespace tarnvale::test {

class PageFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = QDir::currentPath();
    dir_ = std::filesystem::temp_directory_path() /
           ("tarnvale-page-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_ / "terrain");
    QDir::setCurrent(QString::fromStdString(dir_.string()));
  }
  void TearDown() override {
    QDir::setCurrent(previous_);
    std::filesystem::remove_all(dir_);
  }

  /// A terrain directory in the test's own directory with the shared tile
  /// N51W002 (both default sites) and a zone map that reads as no zone, or
  /// empty where the shared tiles are absent (the test should then skip).
  /// Without any zone map every lookup would try to open the file again.
  std::filesystem::path SharedTiles() {
    const std::filesystem::path data = SharedData();
    const std::filesystem::path tile = data / "srtm" / "N51W002.hgt";
    if (data.empty() || !std::filesystem::exists(tile)) return {};
    const std::filesystem::path terrain = dir_ / "tiles";
    std::filesystem::create_directories(terrain);
    std::filesystem::create_symlink(tile, terrain / "N51W002.hgt");
    WriteSparseZones(terrain / "zones01.dem", {});
    return terrain;
  }

  /// A main window shown and through its start-up, its tiles in @p terrain.
  std::unique_ptr<ui::TMainForm> start(const std::filesystem::path& terrain) {
    dialogs_.directoryAnswer = QString::fromStdString(terrain.string());
    auto form = std::make_unique<ui::TMainForm>(std::filesystem::path());
    form->show();
    QApplication::setActiveWindow(form.get());
    for (int i = 0; i < 400 && !form->started(); ++i) QTest::qWait(5);
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
  static void click(ui::TMainForm& form, const char* name) {
    QTest::mouseClick(find<QAbstractButton>(form, name), Qt::LeftButton);
  }
  /// Shows the page whose object name is @p name, as a click on its tab does.
  static void showPage(ui::TMainForm& form, const char* name) {
    auto* pages = find<QTabWidget>(form, "PageControl1");
    pages->setCurrentWidget(form.findChild<QWidget*>(QString::fromLatin1(name)));
  }

  QString previous_;
  std::filesystem::path dir_;
  RecordingDialogs dialogs_;
};

}  // namespace tarnvale::test
