#include "widgets/Numedit.h"

#include <QFocusEvent>
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
  double v = QLocale().toDouble(t, &ok);
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
  CurrentDialogs().error(this, message);
  selectAll();
  setFocus(Qt::OtherFocusReason);
  --refusing;
  // Keep the focus here once the message box has handed it back.
  QTimer::singleShot(0, this, [this] {
    ++refusing;
    setFocus(Qt::OtherFocusReason);
    --refusing;
  });
}

bool TNumEdit::DoExit() {
  if (validating_) return false;
  validating_ = true;
  double value = 0.0;
  bool accepted = false;
  if (!tryValue(value)) {
    refuse(QStringLiteral("'%1' is not a valid numeric input.").arg(text()));
  } else if (value < min_ || value > max_) {
    refuse(QStringLiteral("Value must be between %1 and %2").arg(generalNumber(min_), generalNumber(max_)));
  } else {
    accepted = true;
  }
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
  if (DoExit()) emit exited();
}

void TNumEdit::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (key == Qt::Key_Up || key == Qt::Key_Down) {
    if (QWidget* w = window()) {
      QWidget* next = key == Qt::Key_Up ? previousInFocusChain() : nextInFocusChain();
      // Walk to the next control that takes the keyboard focus.
      while (next && next != this && !(next->focusPolicy() & Qt::TabFocus && next->isVisible() && next->isEnabled()))
        next = key == Qt::Key_Up ? next->previousInFocusChain() : next->nextInFocusChain();
      if (next && next != this && w->isAncestorOf(next))
        next->setFocus(key == Qt::Key_Up ? Qt::BacktabFocusReason : Qt::TabFocusReason);
    }
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
      event->matches(QKeySequence::Paste)) {
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
