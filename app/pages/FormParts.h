#pragma once
// The small parts every page is built from: named labels, numeric fields
// with their limits, option buttons, and a caption-and-value row.
#include <QString>

#include "session/InputLimits.h"

class QCheckBox;
class QColor;
class QGridLayout;
class QLabel;
class QRadioButton;
class QWidget;

namespace tarnvale::ui {

class TNumEdit;

/// A label known by @p objectName.
QLabel* NamedLabel(const QString& objectName, const QString& text = QString());

/// A numeric field named after @p limits, holding @p value, with its limits,
/// decimals and a hint; @p integer accepts whole numbers only.
/// @param maxWidth pixels the field may take across
TNumEdit* LimitedField(const InputLimits& limits, double value, const QString& hint, int maxWidth,
                       bool integer = false);
/// The same under another object name than the limits' own.
TNumEdit* LimitedField(const QString& objectName, const InputLimits& limits, double value, const QString& hint,
                       int maxWidth, bool integer = false);

QRadioButton* NamedRadio(const QString& objectName, const QString& caption, const QString& hint = QString());
QCheckBox* NamedCheck(const QString& objectName, const QString& caption, const QString& hint);

/// A field's background with the text colour meant to be read on it.
void SetFieldColours(QWidget* field, const QColor& background, const QColor& text);

/// A value label with its caption in a grid row.
void AddCaptionedRow(QGridLayout* grid, int row, int column, const QString& caption, QLabel* value);

/// The property of each page that names its section of the help.
inline constexpr const char* kHelpAnchorProperty = "helpAnchor";

inline QString qs(const std::string& s) { return QString::fromStdString(s); }
inline std::string ss(const QString& s) { return s.toStdString(); }

}  // namespace tarnvale::ui
