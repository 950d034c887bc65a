// The desktop program: the application, the main window, the message loop.
#include <QApplication>

#include "app/Profile.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tarnvale"));
  QApplication::setApplicationDisplayName(QStringLiteral("Tarnvale"));
  tarnvale::ui::TMainForm window;
  window.show();
  return app.exec();
}
