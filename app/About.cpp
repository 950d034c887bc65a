#include "app/About.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "text/Version.h"

namespace tarnvale::ui {
namespace {

/// A label that hides its window when clicked.
class YearLabel : public QLabel {
 public:
  using QLabel::QLabel;

 protected:
  void mouseReleaseEvent(QMouseEvent*) override { window()->hide(); }
};

}  // namespace

TAbout::TAbout(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("About"));
  setWindowTitle(QStringLiteral("About Tarnvale"));
  setModal(false);
  auto* layout = new QVBoxLayout(this);
  auto* name = new QLabel(QStringLiteral("<h2>Tarnvale</h2>"));
  name->setObjectName(QStringLiteral("ProductName"));
  auto* version = new QLabel(QStringLiteral("Version %1").arg(QString::fromUtf8(VersionText())));
  version->setObjectName(QStringLiteral("Version"));
  auto* about = new QLabel(QStringLiteral("Basic transmission loss of radio paths over terrain\n"
                                          "(ITU-R P.452 clear-air mechanisms, P.676 gaseous loss)"));
  auto* year = new YearLabel(QStringLiteral("2026"));
  year->setObjectName(QStringLiteral("Year"));
  auto* close = new QPushButton(QStringLiteral("Close"));
  close->setObjectName(QStringLiteral("Close"));
  connect(close, &QPushButton::clicked, this, &QWidget::hide);
  for (QWidget* w : {static_cast<QWidget*>(name), static_cast<QWidget*>(version), static_cast<QWidget*>(about),
                     static_cast<QWidget*>(year)})
    layout->addWidget(w, 0, Qt::AlignHCenter);
  layout->addWidget(close, 0, Qt::AlignHCenter);
}

}  // namespace tarnvale::ui
