#pragma once
// A main window of its own for each window test: its own working directory
// (where profile.ini goes), its own window settings, the dialogs answered,
// and the real terrain tiles where the shared data is present and a test
// asks for them.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>

#include <unistd.h>

#include "app/Profile.h"
#include "tests/support/DataFiles.h"
#include "tests/widgets/RecordingDialogs.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace tarnvale::test {

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = QDir::currentPath();
    dir_ = std::filesystem::temp_directory_path() /
           ("tarnvale-window-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_ / "terrain");
    std::filesystem::create_directories(dir_ / "config");
    QDir::setCurrent(QString::fromStdString(dir_.string()));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromStdString((dir_ / "config").string()));
    // By default the terrain folder asked for holds no tile.
    terrain_ = (dir_ / "terrain").string();
    dialogs_.directoryAnswer = QString::fromStdString(terrain_);
  }
  void TearDown() override {
    QDir::setCurrent(previous_);
    std::error_code ignored;
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(dir_, ignored);
  }

  /// The shared real tiles become the terrain directory asked for; false
  /// where they are absent (the directory then stays empty).
  bool useSharedTiles() {
    const std::filesystem::path tiles = SharedData() / "srtm";
    if (SharedData().empty() || !std::filesystem::exists(tiles / "N51W002.hgt")) return false;
    terrain_ = tiles.string();
    dialogs_.directoryAnswer = QString::fromStdString(terrain_);
    return true;
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

  /// A main window shown and through its start-up (and its first Calculate).
  /// At a first start without tiles it computes on @p sample, or asks for a
  /// folder (answered with terrain_) when that is empty.
  std::unique_ptr<ui::TMainForm> start(const std::filesystem::path& sample = {}) {
    auto form = std::make_unique<ui::TMainForm>(sample);
    form->show();
    QApplication::setActiveWindow(form.get());
    for (int i = 0; i < 400 && !form->started(); ++i) QTest::qWait(5);
    EXPECT_TRUE(form->started());
    QCoreApplication::processEvents();
    return form;
  }
  /// The same, the folder asked for being @p terrain.
  std::unique_ptr<ui::TMainForm> startOn(const std::filesystem::path& terrain) {
    terrain_ = terrain.string();
    dialogs_.directoryAnswer = QString::fromStdString(terrain_);
    return start();
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
  /// Shows the page whose object name is @p name, as a click on its tab does.
  static void selectPage(ui::TMainForm& form, const char* name) {
    auto* pages = find<QTabWidget>(form, "PageControl1");
    pages->setCurrentWidget(form.findChild<QWidget*>(QString::fromLatin1(name)));
  }
  /// Brings the page @p name to the front from another page, so that it is
  /// shown afresh even when it was in front already.
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
