#include "app/pages/TabulatedPage.h"

#include <QEvent>
#include <QGroupBox>
#include <QShortcut>
#include <QVBoxLayout>

#include <string>
#include <vector>

#include "app/Widgets.h"
#include "app/pages/FormParts.h"
#include "session/ProfileExport.h"
#include "widgets/Dialogs.h"

namespace tarnvale::ui {
namespace {

constexpr const char* kProfileFile = "profile.dat";

}  // namespace

TTabulatedPage::TTabulatedPage(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabulatedData"));
  auto* group = new QGroupBox(QStringLiteral("Profile Data (double click to save)"));
  auto* gl = new QVBoxLayout(group);
  profile_ = new TProfileList;
  profile_->setObjectName(QStringLiteral("Profile"));
  profile_->setToolTip(QStringLiteral("Double Click to save"));
  profile_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  // A double click anywhere in the list saves it, on an item or not.
  profile_->viewport()->installEventFilter(this);
  gl->addWidget(profile_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  auto* saveTable = new QShortcut(QKeySequence::Save, this, this, &TTabulatedPage::ProfileDblClick);
  saveTable->setContext(Qt::WidgetWithChildrenShortcut);
}

bool TTabulatedPage::eventFilter(QObject* watched, QEvent* event) {
  if (profile_ && watched == profile_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
    ProfileDblClick();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void TTabulatedPage::ProfileDblClick() {
  if (saveFileName_.isEmpty()) saveFileName_ = QString::fromLatin1(kProfileFile);
  const QString chosen = CurrentDialogs().saveFileName(this, saveFileName_);
  if (chosen.isEmpty()) return;
  saveFileName_ = chosen;
  std::vector<std::string> lines;
  lines.reserve(static_cast<size_t>(profile_->count()));
  for (int i = 0; i < profile_->count(); ++i) lines.push_back(ss(profile_->item(i)->text()));
  std::string reason;
  if (!WriteProfileTable(ss(chosen), lines, &reason)) CurrentDialogs().error(this, qs(SaveFailedText(ss(chosen), reason)));
}

void TTabulatedPage::showOutcome(const CalculateOutcome& o) {
  if (!o.locationsValid || o.noModel || !o.pathValid) return;
  profile_->clear();
  QStringList lines;
  lines.reserve(static_cast<qsizetype>(o.table.size()));
  for (const std::string& line : o.table) lines.append(qs(line));
  profile_->addItems(lines);
}

}  // namespace tarnvale::ui
