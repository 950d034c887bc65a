// The Site Database page through its real widgets, offscreen.
#include <QListWidget>
#include <QPlainTextEdit>
#include <fstream>

#include "app/pages/SiteDatabasePage.h"
#include "tests/app/WindowFixture.h"

using tarnvale::ui::TMainForm;

namespace {

class SiteDatabasePageTest : public tarnvale::test::WindowTest {
 protected:
  /// Writes @p contents as a site list and loads it through the Load button.
  void load(TMainForm& f, const std::string& contents, const char* name = "sites.dat") {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << contents;
    loadFile(f, path);
  }
  void loadFile(TMainForm& f, const std::string& path) {
    dialogs_.openAnswer = QString::fromStdString(path);
    showPage(f, "LoadSites");
    click(f, "LoadSitesButton");
  }
  QStringList names(TMainForm& f) {
    auto* list = find<QListWidget>(f, "SiteList");
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
  }
  void select(TMainForm& f, int row) {
    auto* list = find<QListWidget>(f, "SiteList");
    const QRect cell = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
  }
  QString info(TMainForm& f) { return find<QPlainTextEdit>(f, "SiteInfo")->toPlainText(); }
};

TEST_F(SiteDatabasePageTest, EveryLineRuleOfTheSiteList) {
  auto form = start();
  TMainForm& f = *form;
  EXPECT_EQ(text(f, "NumSitesLabel"), "0 Sites");
  EXPECT_EQ(info(f), "SiteInfo");
  load(f,
       "Mast A~SU374616\n"          // a grid reference
       "Home~io91jo26~note\n"       // a locator, upper-cased, the rest ignored
       "Hill~SU 374 616\n"          // run "SU" too short
       "X~IO91\n"                   // field not longer than 5
       "Y~SI374616\n"               // I is no second letter
       "Z~SU37461\n"                // odd length
       "Bad~AB123456\n"             // A is no first letter
       "Loc14~IO91JO26AB12CD\n"     // 14 characters: no location reader takes them
       "Loc16~IO91JO26AB12CD34\n"   // 16 characters likewise
       "Loc12~IO91JO26AB12\n"       // 12 characters are fine
       "Last~SU374616\n");          // the last line ends with a line break
  EXPECT_EQ(names(f), (QStringList{"Mast A", "Home", "Loc12", "Last"}));
  EXPECT_EQ(text(f, "NumSitesLabel"), "4 Sites");
  ASSERT_EQ(dialogs_.openRequests.size(), 1u);
  EXPECT_EQ(dialogs_.openRequests[0].title, "Please select site database file");
  EXPECT_TRUE(dialogs_.openRequests[0].filter.contains("*.dat"));
  EXPECT_EQ(dialogs_.openRequests[0].defaultSuffix, "dat");
  EXPECT_EQ(QDir(dialogs_.openRequests[0].directory), QDir(f.programDirectory()));
  EXPECT_TRUE(dialogs_.messages.empty());
}

TEST_F(SiteDatabasePageTest, LongLineIsReadAsTwo) {
  auto form = start();
  std::string first = "Long~SU374616";
  first.append(253 - first.size(), ' ');
  std::string second = "Tail~IO91JO26";
  second.append(47 - second.size(), ' ');
  load(*form, first + second + "\n");  // one line of 300 characters
  EXPECT_EQ(names(*form), (QStringList{"Long", "Tail"}));
}

TEST_F(SiteDatabasePageTest, FileThatCannotBeOpenedLeavesNoList) {
  auto form = start();
  TMainForm& f = *form;
  load(f, "Mast A~SU374616\n");
  ASSERT_EQ(text(f, "NumSitesLabel"), "1 Sites");
  loadFile(f, (dir_ / "absent.dat").string());
  EXPECT_EQ(text(f, "NumSitesLabel"), "0 Sites");
  EXPECT_EQ(find<QListWidget>(f, "SiteList")->count(), 0);
  EXPECT_TRUE(dialogs_.messages.empty());
  EXPECT_TRUE(dialogs_.errors.empty());
  // Nothing loaded: copying does nothing.
  const QString startLoc = field(f, "StartLoc");
  click(f, "CopyTx");
  EXPECT_EQ(field(f, "StartLoc"), startLoc);
}

TEST_F(SiteDatabasePageTest, CancelledDialogReadsTheLastFileAgain) {
  auto form = start();
  TMainForm& f = *form;
  load(f, "Mast A~SU374616\nHome~IO91JO26\n");
  dialogs_.openAnswer.clear();
  click(f, "LoadSitesButton");
  EXPECT_EQ(names(f), (QStringList{"Mast A", "Home"}));
}

TEST_F(SiteDatabasePageTest, DetailsOfTheSiteClicked) {
  useSharedTiles();
  auto form = start();
  TMainForm& f = *form;
  load(f, "Mast A~SU374616\nHome~IO91JO26\n");
  click(f, "CopyTx");  // no site selected yet: nothing happens
  EXPECT_EQ(info(f), "SiteInfo");
  select(f, 0);
  const QStringList lines = info(f).split('\n');
  ASSERT_EQ(lines.size(), 5) << info(f).toStdString();
  EXPECT_EQ(lines[0], "Mast A");
  EXPECT_TRUE(lines[1].startsWith("Height    ") && lines[1].endsWith(" m")) << lines[1].toStdString();
  EXPECT_EQ(lines[2], "NGR       SU374616");
  EXPECT_EQ(lines[3], "Locator   IO91GI44");
  EXPECT_TRUE(lines[4].startsWith("Lat/Long 51 21 ")) << lines[4].toStdString();
  select(f, 1);
  EXPECT_EQ(info(f).split('\n')[0], "Home");
}

TEST_F(SiteDatabasePageTest, CopyToTxFollowsTheInputFormatAndCalculates) {
  auto form = start();
  TMainForm& f = *form;
  load(f, "Mast A~SU374616\nHome~IO91JO26\n");
  select(f, 1);
  click(f, "CopyTx");
  EXPECT_EQ(field(f, "StartLoc"), "IO91JO26");  // the window's format is the locator
  // Calculate ran: both ends at one place is too short a path.
  EXPECT_TRUE(!find<QLabel>(f, "InvalidPath")->isHidden());
  click(f, "NGR");
  select(f, 0);
  click(f, "CopyTx");
  EXPECT_EQ(field(f, "StartLoc"), "SU37406160");  // the grid reference to 8 digits
  EXPECT_FALSE(!find<QLabel>(f, "InvalidPath")->isHidden());
}

TEST_F(SiteDatabasePageTest, CopyToRxSwitchesToTypedReceiver) {
  auto form = start();
  TMainForm& f = *form;
  // The receiver given by range and bearing: EndLoc read-only.
  QTest::mouseClick(find<QWidget>(f, "Panel1"), Qt::LeftButton);
  ASSERT_TRUE(find<QLineEdit>(f, "EndLoc")->isReadOnly());
  load(f, "Mast A~SU374616\nFar~IO92AA\n");
  // With no site selected the button still makes the receiver a typed one.
  const QString before = field(f, "EndLoc");
  click(f, "CopyRx");
  EXPECT_FALSE(find<QLineEdit>(f, "EndLoc")->isReadOnly());
  EXPECT_EQ(field(f, "EndLoc"), before);
  QTest::mouseClick(find<QWidget>(f, "Panel1"), Qt::LeftButton);
  ASSERT_TRUE(find<QLineEdit>(f, "EndLoc")->isReadOnly());
  select(f, 1);
  click(f, "CopyRx");
  EXPECT_FALSE(find<QLineEdit>(f, "EndLoc")->isReadOnly());
  EXPECT_TRUE(find<QLineEdit>(f, "Range")->isReadOnly());
  EXPECT_TRUE(find<QLineEdit>(f, "Bearing")->isReadOnly());
  EXPECT_EQ(field(f, "EndLoc"), "IO92AA55");
  // Calculate ran on the typed receiver: the range is now that to IO92AA.
  const double range = field(f, "Range").toDouble();
  EXPECT_GT(range, 70.0);  // about 82 km from IO91GI44
  EXPECT_LT(range, 95.0);
}

}  // namespace
