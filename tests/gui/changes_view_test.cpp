// The Changes window on real snapshots of a page, opened through the item command.
#include "gui/views/changes_view.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QTextBlock>
#include <QTextEdit>

#include "gui_test_support.h"

namespace quorvex::gui {
namespace {

constexpr char kUrl[] = "https://shop.example/";

// Ten unchanged lines keep the two changes of a page apart: two runs of changes.
std::string Page(const std::string& price, const std::string& top, const std::string& bottom) {
  std::string page = "<h1>Shop</h1>\n<p>" + price + "</p>\n" + top;
  for (int i = 1; i <= 10; ++i) page += "<p>Line " + std::to_string(i) + "</p>\n";
  return page + "<p>Footer</p>\n" + bottom;
}

struct Changes : test::FrameFixture {
  Changes() {
    qputenv("QUORVEX_CACHE_DIR", home.Path(QStringLiteral("cache")).toLocal8Bit());
    beacon = test::AddBeacon(doc, "Shop", kUrl);
    MakeFrame();
  }
  ChangesWindow* Open() {
    tree->SelectItem(beacon);
    if (!frame->OnCommand(platform::cmd::kShowChanges)) return nullptr;
    return frame->findChild<ChangesWindow*>();
  }
  model::WDValue* beacon = nullptr;
};

// The block of the view holding text, and the format of that text in it.
QTextCharFormat FormatOf(QTextEdit* view, const QString& text) {
  for (QTextBlock block = view->document()->begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      if (it.fragment().text().contains(text)) return it.fragment().charFormat();
    }
  }
  return {};
}

// The format of the text of the first line marked with sign ("+ " added, "- " removed).
QTextCharFormat LineFormat(QTextEdit* view, const QString& sign) {
  for (QTextBlock block = view->document()->begin(); block.isValid(); block = block.next()) {
    if (!block.text().startsWith(sign)) continue;
    auto it = block.begin();
    return (++it).fragment().charFormat();
  }
  return {};
}

bool IsGreen(const QColor& colour) {
  return colour.green() > colour.red() + 40 && colour.green() > colour.blue() + 40;
}

}  // namespace

class ChangesViewTest : public QObject {
  Q_OBJECT

 private slots:
  void ShowsAndStepsThroughChanges();
};

void ChangesViewTest::ShowsAndStepsThroughChanges() {
  Changes fixture;
  // Nothing to show says why: no snapshots yet, or snapshots switched off; a folder has no page.
  ChangesWindow* window = fixture.Open();
  QVERIFY(window);
  QCOMPARE(window->SnapshotList()->count(), 0);
  QCOMPARE(window->DiffView()->toPlainText(), Text(platform::ids::kChangesNoSnapshots));
  QVERIFY(!window->NextButton()->isEnabled() && !window->PreviousButton()->isEnabled());
  const int snapshots = fixture.context.Settings().m_nSnapshots;
  fixture.context.Settings().m_nSnapshots = 0;
  window->Reload();
  QCOMPARE(window->DiffView()->toPlainText(), Text(platform::ids::kChangesSnapshotsOff));
  QVERIFY(!fixture.tree->DoCommand(fixture.doc.GetRoot(), platform::cmd::kShowChanges, true));
  fixture.context.Settings().m_nSnapshots = snapshots;

  engine::SnapshotStore& store = fixture.doc.Snapshots();
  store.Submit(kUrl, Page("Price: 10 EUR", "<p>Old line</p>\n", ""), 1000);
  store.Submit(kUrl, Page("Price: 12 EUR", "", "<p>New line</p>\n"), 2000);
  store.Submit(kUrl, Page("<b>Price: 12 EUR</b>", "", "<p>New line</p>\n"), 3000);  // markup only
  store.Flush();
  window->Reload();
  QCOMPARE(window->SnapshotList()->count(), 3);
  QCOMPARE(window->SnapshotList()->currentRow(), 0);

  // The newest change is markup only: text only hides it, raw shows it.
  QCOMPARE(window->DiffView()->toPlainText(), Text(platform::ids::kChangesMarkupOnly));
  QVERIFY(!window->NextButton()->isEnabled());
  window->TextOnlyBox()->setChecked(false);
  QCOMPARE(window->HunkCount(), 1);
  QVERIFY(IsGreen(LineFormat(window->DiffView(), QStringLiteral("+ ")).foreground().color()));
  QVERIFY(LineFormat(window->DiffView(), QStringLiteral("- ")).fontStrikeOut());
  window->TextOnlyBox()->setChecked(true);

  // Previous goes to the change before, at its last run; the added line is green, the removed struck.
  QVERIFY(window->PreviousChange());
  QCOMPARE(window->SnapshotList()->currentRow(), 1);
  QCOMPARE(window->HunkCount(), 2);
  QCOMPARE(window->CurrentHunk(), 1);
  QTextEdit* view = window->DiffView();
  QVERIFY(IsGreen(FormatOf(view, QStringLiteral("New line")).foreground().color()));
  QVERIFY(!FormatOf(view, QStringLiteral("New line")).fontStrikeOut());
  const QTextCharFormat removed = FormatOf(view, QStringLiteral("Old line"));
  QVERIFY(removed.fontStrikeOut());
  QVERIFY(removed.foreground().color().red() > removed.foreground().color().green() + 40);
  // Within the replaced price line only the number is tinted.
  QVERIFY(FormatOf(view, QStringLiteral("10")).background().style() != Qt::NoBrush);
  QVERIFY(FormatOf(view, QStringLiteral("12")).background().style() != Qt::NoBrush);
  QCOMPARE(FormatOf(view, QStringLiteral("Price")).background().style(), Qt::NoBrush);

  QVERIFY(window->PreviousChange());
  QCOMPARE(window->CurrentHunk(), 0);
  QVERIFY(!window->PreviousButton()->isEnabled());  // the oldest snapshot has nothing before it
  QVERIFY(!window->PreviousChange());
  QVERIFY(window->NextChange());
  QVERIFY(window->NextChange());
  QCOMPARE(window->SnapshotList()->currentRow(), 0);
  window->ChooseSnapshot(2);
  QCOMPARE(view->toPlainText(), Text(platform::ids::kChangesOldest));

  // The command again raises the same window.
  QCOMPARE(fixture.Open(), window);
  QCOMPARE(fixture.frame->findChildren<ChangesWindow*>().size(), 1);
}

}  // namespace quorvex::gui

QTEST_MAIN(quorvex::gui::ChangesViewTest)
#include "changes_view_test.moc"
