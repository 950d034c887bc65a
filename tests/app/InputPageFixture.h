#pragma once
// A main window of its own for each test: its own working directory (where
// profile.ini goes), its own window settings, the dialogs answered, and the
// real terrain tiles where the shared data is present.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>

#include <unistd.h>

#include "app/Profile.h"
#include "tests/widgets/RecordingDialogs.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace tarnvale::test {

class InputPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = QDir::currentPath();
    dir_ = std::filesystem::temp_directory_path() /
           ("tarnvale-input-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_ / "config");
    QDir::setCurrent(QString::fromStdString(dir_.string()));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromStdString((dir_ / "config").string()));
    const char* shared = std::getenv("TARNVALE_SHARED_DATA");
    const std::filesystem::path tiles = shared ? std::filesystem::path(shared) / "srtm" : std::filesystem::path();
    haveTiles_ = !tiles.empty() && std::filesystem::exists(tiles / "N51W002.hgt");
    terrain_ = haveTiles_ ? tiles.string() : dir_.string();
    dialogs_.directoryAnswer = QString::fromStdString(terrain_);
  }
  void TearDown() override {
    QDir::setCurrent(previous_);
    std::error_code ignored;
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(dir_, ignored);
  }

  /// A main window shown and through its start-up (and its first Calculate).
  std::unique_ptr<ui::TMainForm> start() {
    auto form = std::make_unique<ui::TMainForm>(std::filesystem::path());
    form->show();
    QApplication::setActiveWindow(form.get());
    for (int i = 0; i < 400 && !form->started(); ++i) QTest::qWait(5);
    EXPECT_TRUE(form->started());
    QCoreApplication::processEvents();
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

  QString previous_;
  std::filesystem::path dir_;
  std::string terrain_;
  bool haveTiles_ = false;
  RecordingDialogs dialogs_;
};

}  // namespace tarnvale::test
