#pragma once
// TNumEdit: the validated single-line entry field used for every number the
// user types. It filters keystrokes to characters that can form a number,
// writes values with its number of decimals, and on leaving refuses values
// that are not numbers or lie outside Min ... Max, keeping the focus.
#include <QLineEdit>

namespace tarnvale::ui {

class TNumEdit : public QLineEdit {
  Q_OBJECT
  Q_PROPERTY(int Decimals READ decimals WRITE SetDecimals)
  Q_PROPERTY(double Max READ maxValue WRITE SetMaxValue)
  Q_PROPERTY(double Min READ minValue WRITE SetMinValue)
  Q_PROPERTY(bool IntegerEdit READ integerEdit WRITE SetEditType)
  Q_PROPERTY(double Value READ GetValue WRITE SetValue)

 public:
  explicit TNumEdit(QWidget* parent = nullptr);

  /// The text as a number (the locale's decimal separator applies). A text
  /// that is not a number is reported to the user and gives 0.
  double GetValue();
  /// The text as a number without reporting; false when it is not one.
  bool tryValue(double& value) const;
  /// Writes @p value with the field's decimals; no range check.
  void SetValue(double value);
  /// Decimals shown, kept within 0 ... 15; the text is not rewritten.
  void SetDecimals(int decimals);
  void SetMaxValue(double value);
  void SetMinValue(double value);
  /// Whole numbers only when @p integer.
  void SetEditType(bool integer);

  int decimals() const { return decimals_; }
  double maxValue() const { return max_; }
  double minValue() const { return min_; }
  bool integerEdit() const { return integerEdit_; }

  /// The text @p value would be written as (shared with tests and callers
  /// that fill labels the same way).
  QString formatValue(double value) const;

  /// Writes a number already formatted with a full stop as decimal point,
  /// in the locale's own decimal separator.
  void setNumberText(const QString& text);

  /// True when the text is a number within Min ... Max; otherwise false with
  /// the message the user is shown in @p message.
  bool check(QString* message = nullptr) const;

  /// The exit validation: true when the text is a number within the limits.
  /// Otherwise the user is told, the text selected and the focus kept.
  bool DoExit();

 signals:
  /// The focus left the field with a valid value (the field's exit event).
  void exited();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void refuse(const QString& message);
  /// The exit validation of a focus change, run once the change is over.
  void exitCheck();
  /// Moves the focus to the previous or next input of the window.
  void moveFocus(bool next);

  int decimals_ = 0;
  double max_ = 10.0;
  double min_ = 0.0;
  bool integerEdit_ = false;
  bool validating_ = false;
};

}  // namespace tarnvale::ui
