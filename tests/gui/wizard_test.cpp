// The new-beacon wizard on real widgets: its pages and buttons, the title fetch from a loopback server,
// closing it while a fetch runs, and the beacon it files in the catalog.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "engine/fetch_worker.h"
#include "gui/views/new_beacon_wizard.h"
#include "gui_test_support.h"
#include "support/http_test_server.h"

namespace quorvex::gui {
namespace {

namespace ids = platform::ids;
using test::Find;

QString Caption(const char* step) {
  return Text(ids::kWizardTitle) + QStringLiteral(": ") + Text(ids::kWizardStep) + QLatin1Char(' ') +
         QLatin1String(step);
}

// Fills the wizard that the new-beacon command opens, and finishes or cancels it.
void AnswerWizard(const QString& name, int kind, const QString& unit, const QString& address, bool finish) {
  QTimer::singleShot(0, [=] {
    auto* wizard = qobject_cast<NewBeaconWizard*>(QApplication::activeModalWidget());
    if (!wizard) qFatal("no wizard");
    if (!finish) {
      QTest::mouseClick(Find<QPushButton>(*wizard, "Cancel"), Qt::LeftButton);
      return;
    }
    Find<QLineEdit>(*wizard, "Name")->setText(name);
    Find<QRadioButton>(*wizard, QStringLiteral("Kind%1").arg(kind).toLatin1().constData())->click();
    Find<QLineEdit>(*wizard, "Unit")->setText(unit);
    Find<QCheckBox>(*wizard, "KeepHistory")->setChecked(false);
    QPushButton* next = Find<QPushButton>(*wizard, "Next");
    next->click();
    Find<QLineEdit>(*wizard, "Address")->setText(address);
    next->click();
    Find<QPlainTextEdit>(*wizard, "Description")->setPlainText(QStringLiteral("made here"));
    next->click();
  });
}

}  // namespace

class WizardTest : public QObject {
  Q_OBJECT

 private slots:
  void PagesButtonsAndTitleFetch();
  void FinishFilesTheBeacon();
};

void WizardTest::PagesButtonsAndTitleFetch() {
  test::FrameFixture fixture;
  fixture.MakeFrame();
  auto wizard = std::make_unique<NewBeaconWizard>(fixture.doc.GetDispatcher());
  QCOMPARE(wizard->windowTitle(), Caption("1:3"));
  wizard->show();
  QCOMPARE(wizard->CurrentIndex(), 0);
  QPushButton* next = wizard->NextButton();
  QPushButton* back = wizard->BackButton();
  QCOMPARE(next->text(), Text(ids::kWizardNext));
  QCOMPARE(back->text(), Text(ids::kWizardBack));
  QCOMPARE(wizard->CancelButton()->text(), Text(ids::kCancel));
  QVERIFY(!back->isEnabled());

  // Page 1: Next needs a name, the unit a number, the name at most 45 characters.
  QLineEdit* name = Find<QLineEdit>(*wizard, "Name");
  QLineEdit* unit = Find<QLineEdit>(*wizard, "Unit");
  QVERIFY(!next->isEnabled());
  QTest::keyClicks(name, QStringLiteral("x"));
  QVERIFY(next->isEnabled());
  QTest::keyClicks(name, QString(60, QLatin1Char('y')));
  QCOMPARE(name->text().size(), kMaxBeaconNameLength);
  QVERIFY(!unit->isEnabled());
  Find<QRadioButton>(*wizard, "Kind1")->click();
  QVERIFY(unit->isEnabled());
  Find<QRadioButton>(*wizard, "Kind2")->click();
  QVERIFY(!unit->isEnabled());

  // Page 2: Next and Fetch need an address; one that cannot be split is refused.
  next->click();
  QCOMPARE(wizard->windowTitle(), Caption("2:3"));
  QVERIFY(back->isEnabled());
  QPushButton* fetch = Find<QPushButton>(*wizard, "Fetch");
  QLineEdit* address = Find<QLineEdit>(*wizard, "Address");
  QLabel* status = Find<QLabel>(*wizard, "FetchStatus");
  QVERIFY(!next->isEnabled() && !fetch->isEnabled());
  address->setText(QStringLiteral("http://:0"));
  QVERIFY(next->isEnabled() && fetch->isEnabled());
  fetch->click();
  QCOMPARE(status->text(), Text(ids::kMsgBadAddress));
  QVERIFY(!next->isEnabled());
  address->setText(QStringLiteral("https://example.com/"));
  QVERIFY(next->isEnabled());

  // Page 3: Finish; a page checksum has no pattern hint.
  next->click();
  QCOMPARE(wizard->windowTitle(), Caption("3:3"));
  QCOMPARE(next->text(), Text(ids::kWizardFinish));
  QVERIFY(Find<QLabel>(*wizard, "PatternHint")->text().isEmpty());
  QVERIFY(!Find<QPushButton>(*wizard, "PatternHelp")->isEnabled());

  back->click();
  QCOMPARE(next->text(), Text(ids::kWizardNext));
  back->click();
  QCOMPARE(wizard->windowTitle(), Caption("1:3"));
  QVERIFY(!back->isEnabled());
  Find<QRadioButton>(*wizard, "Kind0")->click();
  next->click();
  next->click();
  QCOMPARE(Find<QLabel>(*wizard, "PatternHint")->text(), Text(ids::kWizardPatternHint));
  QVERIFY(Find<QPushButton>(*wizard, "PatternHelp")->isEnabled());

  // The title of a loopback page becomes the description; a failed fetch leaves it alone.
  back->click();
  testing::HttpTestServer server;
  server.Serve("/quotes", testing::HttpTestServer::Response("<html><head><title>Quotes</title></head></html>"));
  QPlainTextEdit* description = Find<QPlainTextEdit>(*wizard, "Description");
  address->setText(FromBytes(server.Url("/quotes")));
  fetch->click();
  QCOMPARE(status->text(), Text(ids::kMsgFetching));
  QVERIFY(!address->isEnabled() && !next->isEnabled());
  QVERIFY(test::PumpUntil(fixture.doc, [&] { return status->text() == Text(ids::kWizardFetchDone); }));
  QCOMPARE(description->toPlainText(), QStringLiteral("Quotes"));
  QVERIFY(address->isEnabled() && next->isEnabled());
  address->setText(QStringLiteral("http://127.0.0.1:1/"));
  fetch->click();
  QVERIFY(test::PumpUntil(fixture.doc, [&] { return status->text() == Text(ids::kWizardFetchFailed); }));
  QCOMPARE(description->toPlainText(), QStringLiteral("Quotes"));

  // Closed while a fetch runs: the worker gives up long before the server would, and whatever it
  // posted goes nowhere.
  server.Route("/slow", testing::HttpRoute{{}, 0, 0, true});
  address->setText(FromBytes(server.Url("/slow")));
  fetch->click();
  QTRY_COMPARE(server.ConnectionCount(), size_t{2});
  wizard->CancelButton()->click();
  wizard.reset();
  QVERIFY(engine::FetchWorker::WaitForAll(std::chrono::seconds(5)));
  fixture.doc.GetDispatcher()->RunPending();
  QTest::qWait(50);
  QCOMPARE(fixture.doc.GetDispatcher()->PendingCount(), size_t{0});
}

void WizardTest::FinishFilesTheBeacon() {
  using namespace platform::cmd;
  test::FrameFixture fixture;
  auto* shop = static_cast<model::WDGroup*>(fixture.doc.GetRoot()->AddChild(new model::WDGroup("Shop", "")));
  CMainFrame& frame = fixture.MakeFrame();
  QVERIFY(fixture.tree->SelectItem(shop));
  fixture.doc.SetModifiedFlag(false);

  AnswerWizard({}, 0, {}, {}, false);
  QVERIFY(!frame.OnCommand(kNewBeacon));
  QCOMPARE(shop->GetChildCount(), size_t{0});
  QVERIFY(!fixture.doc.IsModified());

  // A number keeps its unit and opens on the link tab, in the selected folder.
  AnswerWizard(QStringLiteral("Price"), 1, QStringLiteral("EUR"), QStringLiteral("https://shop.example/"), true);
  QVERIFY(frame.OnCommand(kNewBeacon));
  QCOMPARE(shop->GetChildCount(), size_t{1});
  auto* price = static_cast<model::WDValue*>(shop->GetChild(0));
  QCOMPARE(price->GetName(), std::string("Price"));
  QCOMPARE(price->GetKind(), model::kKindNumber);
  QCOMPARE(price->GetUnit(), std::string("EUR"));
  QCOMPARE(price->GetURL(), std::string("https://shop.example/"));
  QCOMPARE(price->GetDescription(), std::string("made here"));
  QVERIFY(price->GetPattern().empty());
  QCOMPARE(price->GetHistory().GetKeepAll(), 0);
  QCOMPARE(fixture.tree->GetSelectedItem(), price);
  QCOMPARE(fixture.ActiveTab(), view_ids::kTabLink);
  QVERIFY(fixture.doc.IsModified());

  // A page checksum opens on the control tab; it files in the folder of the selected beacon.
  AnswerWizard(QStringLiteral("Page"), 2, QStringLiteral("EUR"), QStringLiteral("https://page.example/"), true);
  QVERIFY(frame.OnCommand(kNewBeacon));
  QCOMPARE(shop->GetChildCount(), size_t{2});
  auto* page = static_cast<model::WDValue*>(shop->GetChild(1));
  QCOMPARE(page->GetKind(), model::kKindChecksum);
  QVERIFY(page->GetUnit().empty());
  QCOMPARE(fixture.tree->GetSelectedItem(), page);
  QCOMPARE(fixture.ActiveTab(), view_ids::kTabControl);
}

}  // namespace quorvex::gui

QTEST_MAIN(quorvex::gui::WizardTest)
#include "wizard_test.moc"
