// GoogleTest entry for tests that drive real widgets: one QApplication for
// the whole run, on the offscreen platform unless another is set.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationName("Tarnvale");
  return RUN_ALL_TESTS();
}
