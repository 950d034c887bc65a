// The numeric entry field through the real widget, offscreen.
#include <QApplication>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

#include "widgets/Numedit.h"
#include "tests/widgets/RecordingDialogs.h"

using tarnvale::ui::TNumEdit;

TEST(TNumEdit, StartsAtZeroAndEightyPixelsWide) {
  TNumEdit field;
  EXPECT_EQ(field.text(), "0");
  EXPECT_EQ(field.width(), 80);
  EXPECT_EQ(field.decimals(), 0);
  EXPECT_EQ(field.maxValue(), 10);
  EXPECT_EQ(field.minValue(), 0);
}

TEST(TNumEdit, WritesValuesWithItsDecimals) {
  TNumEdit field;
  const struct {
    int decimals;
    bool integer;
    double value;
    const char* text;
  } cases[] = {
      {3, false, 10.368, "10.368"},
      {1, false, 10, "10.0"},
      {0, false, 2.5, "3"},
      {0, false, 2.4, "2"},
      {2, true, 4.0, "4"},
      {2, false, 4.0, "4"},
      {3, false, 40, "40"},
      {0, false, 0, "0"},
      {3, false, 5e-7, "5.0000E-007"},   // exponent form below 1e-6, whatever the decimals
      {0, true, 5e-7, "5.0E-7"},
      {1, false, 2.5e7, "2.50E+7"},
  };
  for (const auto& c : cases) {
    field.SetDecimals(c.decimals);
    field.SetEditType(c.integer);
    field.SetValue(c.value);
    EXPECT_EQ(field.text().toStdString(), c.text) << c.value << " decimals " << c.decimals;
  }
  field.SetDecimals(-3);
  EXPECT_EQ(field.decimals(), 0);
  field.SetDecimals(40);
  EXPECT_EQ(field.decimals(), 15);
}

TEST(TNumEdit, ExitRefusesValuesOutsideTheLimits) {
  tarnvale::test::RecordingDialogs dialogs;
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* field = new TNumEdit;
  field->setObjectName("Resolution");
  field->SetMinValue(1);
  field->SetMaxValue(16);
  auto* other = new QLineEdit;
  layout->addWidget(field);
  layout->addWidget(other);
  window.show();
  QApplication::setActiveWindow(&window);
  int exits = 0;
  QObject::connect(field, &TNumEdit::exited, [&] { ++exits; });

  field->setFocus();
  field->setText("17");
  QTest::keyClick(field, Qt::Key_Tab);
  QCoreApplication::processEvents();
  ASSERT_EQ(dialogs.errors.size(), 1u);
  EXPECT_EQ(dialogs.errors[0].toStdString(), "Value must be between 1 and 16");
  EXPECT_EQ(exits, 0);
  EXPECT_TRUE(field->hasFocus());
  EXPECT_EQ(field->selectedText(), "17");

  field->setText("12a");
  QTest::keyClick(field, Qt::Key_Return);
  ASSERT_EQ(dialogs.errors.size(), 2u);
  EXPECT_EQ(dialogs.errors[1].toStdString(), "'12a' is not a valid numeric input.");

  field->setText("16");
  QTest::keyClick(field, Qt::Key_Tab);
  QCoreApplication::processEvents();
  EXPECT_EQ(dialogs.errors.size(), 2u);
  EXPECT_EQ(exits, 1);
  EXPECT_EQ(field->GetValue(), 16.0);
}

TEST(TNumEdit, KeystrokesAreFilteredToNumberCharacters) {
  TNumEdit field;
  field.show();
  field.setFocus();
  field.clear();
  QTest::keyClicks(&field, "1a2.5,x-E+e");
  EXPECT_EQ(field.text(), "12.5-E+e");
  QTest::keyClick(&field, Qt::Key_Backspace);
  EXPECT_EQ(field.text(), "12.5-E+");
  // Escape undoes the last change and selects the text.
  field.setText("5");
  QTest::keyClicks(&field, "0");
  QTest::keyClick(&field, Qt::Key_Escape);
  EXPECT_EQ(field.text(), "5");
  EXPECT_EQ(field.selectedText(), "5");
}

TEST(TNumEdit, ArrowKeysMoveBetweenFieldsWithoutValidating) {
  tarnvale::test::RecordingDialogs dialogs;
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* first = new TNumEdit;
  auto* second = new TNumEdit;
  layout->addWidget(first);
  layout->addWidget(second);
  window.show();
  QApplication::setActiveWindow(&window);
  first->setFocus();
  QTest::keyClick(first, Qt::Key_Down);
  EXPECT_TRUE(second->hasFocus());
  QTest::keyClick(second, Qt::Key_Up);
  EXPECT_TRUE(first->hasFocus());
  EXPECT_TRUE(dialogs.errors.empty());
}

TEST(TNumEdit, NonNumericTextGivesZeroAndAMessage) {
  tarnvale::test::RecordingDialogs dialogs;
  TNumEdit field;
  field.setText("abc");
  EXPECT_EQ(field.GetValue(), 0.0);
  ASSERT_EQ(dialogs.errors.size(), 1u);
  EXPECT_EQ(dialogs.errors[0].toStdString(), "'abc' is not a valid numeric input.");
}

TEST(TNumEdit, UpAndDownFollowTheTabOrderPastUncheckedRadioButtons) {
  tarnvale::test::RecordingDialogs dialogs;
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* first = new TNumEdit;
  auto* a = new QRadioButton("a");
  auto* b = new QRadioButton("b");
  auto* c = new QRadioButton("c");
  auto* second = new TNumEdit;
  for (QWidget* w : std::initializer_list<QWidget*>{first, a, b, c, second}) layout->addWidget(w);
  b->setChecked(true);
  window.show();
  QApplication::setActiveWindow(&window);
  first->setFocus();
  QTest::keyClick(first, Qt::Key_Down);
  EXPECT_TRUE(b->hasFocus());  // the group is entered at its checked button
  second->setFocus();
  QTest::keyClick(second, Qt::Key_Up);
  EXPECT_TRUE(b->hasFocus());
  EXPECT_TRUE(dialogs.errors.empty());
}

TEST(TNumEdit, SelectAllUndoAndRedoWork) {
  TNumEdit field;
  field.show();
  field.setFocus();
  field.setText("12");
  field.end(false);
  QTest::keyClicks(&field, "5");
  EXPECT_EQ(field.text(), "125");
  QTest::keySequence(&field, QKeySequence::Undo);
  EXPECT_EQ(field.text(), "12");
  QTest::keySequence(&field, QKeySequence::Redo);
  EXPECT_EQ(field.text(), "125");
  QTest::keySequence(&field, QKeySequence::SelectAll);
  EXPECT_EQ(field.selectedText(), "125");
  QTest::keyClicks(&field, "7");
  EXPECT_EQ(field.text(), "7");
}

TEST(TNumEdit, ClickThatMovesTheFocusIsDeliveredBeforeTheExitMessage) {
  tarnvale::test::RecordingDialogs dialogs;
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* field = new TNumEdit;
  field->SetMaxValue(16);
  auto* button = new QPushButton("Go");
  layout->addWidget(field);
  layout->addWidget(button);
  window.show();
  QApplication::setActiveWindow(&window);
  int clicks = 0;
  QObject::connect(button, &QPushButton::clicked, [&] {
    ++clicks;
    EXPECT_TRUE(dialogs.errors.empty());  // no box opened inside the focus change
  });
  field->setFocus();
  field->setText("17");
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(clicks, 1);
  QCoreApplication::processEvents();
  ASSERT_EQ(dialogs.errors.size(), 1u);
  EXPECT_EQ(dialogs.errors[0].toStdString(), "Value must be between 0 and 16");
  EXPECT_TRUE(field->hasFocus());
}

TEST(TNumEdit, FieldOnAPageLeftBehindIsBroughtBackWhenRefused) {
  tarnvale::test::RecordingDialogs dialogs;
  QTabWidget tabs;
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  auto* field = new TNumEdit;
  layout->addWidget(field);
  auto* other = new QLineEdit;
  tabs.addTab(page, "one");
  tabs.addTab(other, "two");
  tabs.show();
  QApplication::setActiveWindow(&tabs);
  field->setFocus();
  field->setText("abc");
  tabs.setCurrentIndex(1);
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  ASSERT_EQ(dialogs.errors.size(), 1u);
  EXPECT_EQ(dialogs.errors[0].toStdString(), "'abc' is not a valid numeric input.");
  EXPECT_EQ(tabs.currentIndex(), 0);
  EXPECT_TRUE(field->hasFocus());
}

TEST(TNumEdit, CommaDecimalLocaleWritesAndReadsTheComma) {
  const QLocale previous;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  TNumEdit field;
  field.SetDecimals(3);
  field.SetValue(10.368);
  EXPECT_EQ(field.text(), "10,368");
  double value = 0.0;
  ASSERT_TRUE(field.tryValue(value));
  EXPECT_EQ(value, 10.368);
  field.setNumberText("1234.5");
  EXPECT_EQ(field.text(), "1234,5");
  // A pasted full stop is a decimal point, not a thousands separator.
  field.setText("10.368");
  ASSERT_TRUE(field.tryValue(value));
  EXPECT_EQ(value, 10.368);
  field.show();
  field.setFocus();
  field.clear();
  QTest::keyClicks(&field, "2.5,7");
  EXPECT_EQ(field.text(), "25,7");
  QLocale::setDefault(previous);
}
