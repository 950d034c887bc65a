#include "app/pages/FormParts.h"

#include <QCheckBox>
#include <QColor>
#include <QGridLayout>
#include <QLabel>
#include <QPalette>
#include <QRadioButton>

#include "widgets/Numedit.h"

namespace tarnvale::ui {

QLabel* NamedLabel(const QString& objectName, const QString& text) {
  auto* l = new QLabel(text);
  l->setObjectName(objectName);
  return l;
}

TNumEdit* LimitedField(const QString& objectName, const InputLimits& limits, double value, const QString& hint,
                       int maxWidth, bool integer) {
  auto* e = new TNumEdit;
  e->setObjectName(objectName);
  e->SetMinValue(limits.min);
  e->SetMaxValue(limits.max);
  e->SetDecimals(limits.decimals);
  e->SetEditType(integer);
  e->SetValue(value);
  e->setToolTip(hint);
  e->setMaximumWidth(maxWidth);
  return e;
}

TNumEdit* LimitedField(const InputLimits& limits, double value, const QString& hint, int maxWidth, bool integer) {
  return LimitedField(QString::fromLatin1(limits.name.data(), static_cast<qsizetype>(limits.name.size())), limits,
                      value, hint, maxWidth, integer);
}

QRadioButton* NamedRadio(const QString& objectName, const QString& caption, const QString& hint) {
  auto* r = new QRadioButton(caption);
  r->setObjectName(objectName);
  if (!hint.isEmpty()) r->setToolTip(hint);
  return r;
}

QCheckBox* NamedCheck(const QString& objectName, const QString& caption, const QString& hint) {
  auto* c = new QCheckBox(caption);
  c->setObjectName(objectName);
  c->setToolTip(hint);
  return c;
}

void SetFieldColours(QWidget* field, const QColor& background, const QColor& text) {
  QPalette p = field->palette();
  p.setColor(QPalette::Base, background);
  p.setColor(QPalette::Text, text);
  field->setPalette(p);
}

void AddCaptionedRow(QGridLayout* grid, int row, int column, const QString& caption, QLabel* value) {
  grid->addWidget(new QLabel(caption), row, column);
  grid->addWidget(value, row, column + 1);
}

}  // namespace tarnvale::ui
