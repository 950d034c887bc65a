#include "widgets/Numedit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QKeyEvent>
#include <QLocale>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "text/Format.h"
#include "widgets/Dialogs.h"

namespace tarnvale::ui {
namespace {

constexpr int kDefaultWidth = 80;
constexpr int kMaxDecimals = 15;
// Values this small or this large are written in exponent form.
constexpr double kExponentBelow = 1e-6;
constexpr double kExponentAbove = 1e6;

QString fromStd(const std::string& s) { return QString::fromStdString(s); }

// While a field takes the focus back after refusing its text, the field that
// had just received the focus must not validate in turn.
int refusing = 0;

/// Brings forward every page (of a tab or stack widget) that holds @p field,
/// so that a field refused after its page was left can be seen and edited.
void showOwnPage(QWidget* field) {
  QWidget* child = field;
  for (QWidget* parent = field->parentWidget(); parent; child = parent, parent = parent->parentWidget()) {
    auto* stack = qobject_cast<QStackedWidget*>(parent);
    if (!stack) continue;
    if (auto* tabs = qobject_cast<QTabWidget*>(stack->parentWidget()))
      tabs->setCurrentWidget(child);
    else
      stack->setCurrentWidget(child);
  }
}

/// "%g" as C writes it, for the range message.
QString generalNumber(double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%g", value);
  return QString::fromLatin1(buf);
}

}  // namespace

TNumEdit::TNumEdit(QWidget* parent) : QLineEdit(parent) {
  resize(kDefaultWidth, height());
  setText(QStringLiteral("0"));
}

bool TNumEdit::tryValue(double& value) const {
  bool ok = false;
  const QString t = text().trimmed();
  // No thousands separators: in a comma-decimal locale "10.368" is not ten
  // thousand; it is read as written with a full stop below.
  QLocale locale;
  locale.setNumberOptions(locale.numberOptions() | QLocale::RejectGroupSeparator);
  double v = locale.toDouble(t, &ok);
  if (!ok) v = QLocale::c().toDouble(t, &ok);
  if (!ok || !std::isfinite(v)) return false;
  value = v;
  return true;
}

double TNumEdit::GetValue() {
  double value = 0.0;
  if (tryValue(value)) return value;
  CurrentDialogs().error(this, QStringLiteral("'%1' is not a valid numeric input.").arg(text()));
  selectAll();
  setFocus();
  return 0.0;
}

QString TNumEdit::formatValue(double x) const {
  if (x != 0.0 && (std::fabs(x) < kExponentBelow || std::fabs(x) > kExponentAbove))
    return fromStd(FormatExponent(x, decimals_ + 2, decimals_));
  QString s;
  if (decimals_ == 0) s = fromStd(FormatFixed(x, 18, 0));
  if (decimals_ == 1) s = fromStd(FormatFixed(x, 18, 1));
  if (decimals_ >= 2) s = fromStd(FormatGeneral(x, decimals_ + 2));
  if (integerEdit_) s = fromStd(FormatFixed(x, 18, 0));
  // The decimal separator the user types is the locale's.
  const QChar point = QLocale().decimalPoint().at(0);
  if (point != QLatin1Char('.')) s.replace(QLatin1Char('.'), point);
  return s;
}

void TNumEdit::SetValue(double value) { setText(formatValue(value)); }

void TNumEdit::setNumberText(const QString& number) {
  QString s = number;
  const QChar point = QLocale().decimalPoint().at(0);
  if (point != QLatin1Char('.')) s.replace(QLatin1Char('.'), point);
  setText(s);
}

void TNumEdit::SetDecimals(int decimals) { decimals_ = std::clamp(decimals, 0, kMaxDecimals); }

void TNumEdit::SetMaxValue(double value) {
  if (value != max_) max_ = value;
}

void TNumEdit::SetMinValue(double value) {
  if (value != min_) min_ = value;
}

void TNumEdit::SetEditType(bool integer) { integerEdit_ = integer; }

void TNumEdit::refuse(const QString& message) {
  ++refusing;
  // The field is shown first, so the message can be read next to it.
  showOwnPage(this);
  CurrentDialogs().error(this, message);
  selectAll();
  setFocus(Qt::OtherFocusReason);
  --refusing;
  // Keep the focus here once the message box has handed it back, unless
  // the user has since moved on within the window.
  QTimer::singleShot(0, this, [this] {
    QWidget* now = QApplication::focusWidget();
    if (now && now != this && now->window() == window()) return;
    ++refusing;
    setFocus(Qt::OtherFocusReason);
    --refusing;
  });
}

bool TNumEdit::check(QString* message) const {
  double value = 0.0;
  QString why;
  if (!tryValue(value))
    why = QStringLiteral("'%1' is not a valid numeric input.").arg(text());
  else if (value < min_ || value > max_)
    why = QStringLiteral("Value must be between %1 and %2").arg(generalNumber(min_), generalNumber(max_));
  if (message) *message = why;
  return why.isEmpty();
}

bool TNumEdit::DoExit() {
  if (validating_) return false;
  validating_ = true;
  QString message;
  const bool accepted = check(&message);
  if (!accepted) refuse(message);
  validating_ = false;
  return accepted;
}

void TNumEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  // Only a move to another control of the window is an exit; switching
  // windows or opening a message box is not.
  const Qt::FocusReason reason = event->reason();
  if (validating_ || refusing > 0 || reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
    return;
  // A message box now would run inside the focus change: the click that
  // moved the focus (Calculate, a radio button) would be lost. Validate once
  // the change is over instead.
  QMetaObject::invokeMethod(this, &TNumEdit::exitCheck, Qt::QueuedConnection);
}

void TNumEdit::exitCheck() {
  // Back in the field (the action that took the focus refused this field
  // itself, or the user returned): the next exit validates.
  if (hasFocus() || validating_ || refusing > 0) return;
  if (DoExit()) emit exited();
}

void TNumEdit::moveFocus(bool next) {
  if (!focusNextPrevChild(next)) return;
  // The window's tab order stops once at a radio group; the group is
  // entered at its checked button, not at an unchecked one.
  auto* radio = qobject_cast<QRadioButton*>(QApplication::focusWidget());
  if (!radio || radio->isChecked() || !radio->autoExclusive() || !radio->parentWidget()) return;
  for (QRadioButton* sibling : radio->parentWidget()->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly))
    if (sibling->isChecked() && sibling->autoExclusive() && sibling->isVisible() && sibling->isEnabled()) {
      sibling->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
      return;
    }
}

void TNumEdit::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (key == Qt::Key_Up || key == Qt::Key_Down) {
    moveFocus(key == Qt::Key_Down);
    QLineEdit::keyPressEvent(event);
    return;
  }
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    if (DoExit()) emit exited();
    event->accept();
    return;
  }
  if (key == Qt::Key_Escape) {
    undo();
    selectAll();
    event->accept();
    return;
  }
  if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::Cut) ||
      event->matches(QKeySequence::Paste) || event->matches(QKeySequence::SelectAll) ||
      event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  const QString typed = event->text();
  const bool character = typed.size() == 1 && typed.at(0).isPrint();
  const bool withControl = event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
  if (!character) {
    // Editing and moving keys (arrows, Home, End, Delete, Backspace) but no
    // other control shortcuts.
    if (!withControl || key == Qt::Key_Left || key == Qt::Key_Right) QLineEdit::keyPressEvent(event);
    return;
  }
  const QChar c = typed.at(0);
  const QChar point = QLocale().decimalPoint().at(0);
  const bool allowed = c.isDigit() || c == QLatin1Char('+') || c == QLatin1Char('-') || c == QLatin1Char('E') ||
                       c == QLatin1Char('e') || c == point;
  if (allowed && !withControl) QLineEdit::keyPressEvent(event);
  event->accept();
}

}  // namespace tarnvale::ui
