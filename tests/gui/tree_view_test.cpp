// The catalog tree on real widgets (its model, the tab rules, deleting, naming, moving, and a real fetch)
// and the Changes window that its item command opens, on real snapshots of a page.
#include "engine/fetch_worker.h"
#include "gui/shell/icons.h"
#include "gui/views/bcn_list_model.h"
#include "gui/views/bcn_list_view.h"
#include "gui/views/catalog_tree_model.h"
#include "gui/views/changes_view.h"
#include "gui_test_support.h"
#include "support/http_test_server.h"

namespace quorvex::gui {
namespace {

using namespace platform::cmd;
namespace tabs = view_ids;

constexpr char kUrl[] = "https://shop.example/";

// Ten unchanged lines keep the two changes of a page apart: two runs of changes.
std::string Page(const std::string& price, const std::string& top, const std::string& bottom) {
  std::string page = "<h1>Shop</h1>\n<p>" + price + "</p>\n" + top;
  for (int i = 1; i <= 10; ++i) page += "<p>Line " + std::to_string(i) + "</p>\n";
  return page + "<p>Footer</p>\n" + bottom;
}

// The block of the view holding text, and the format of that text in it.
QTextCharFormat FormatOf(QTextEdit* view, const QString& text) {
  for (QTextBlock block = view->document()->begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      if (it.fragment().text().contains(text)) return it.fragment().charFormat();
    }
  }
  return {};
}

bool IsGreen(const QColor& colour) {
  return colour.green() > colour.red() + 40 && colour.green() > colour.blue() + 40;
}

}  // namespace

class TreeViewTest : public QObject {
  Q_OBJECT

 private slots:
  void ModelTabsDeletingMovingAndFetching();
  void ChangesWindowShowsAndStepsThroughChanges();
};

void TreeViewTest::ModelTabsDeletingMovingAndFetching() {
  // A catalog: root > Shop (A, B: numbers with history) and Empty; Notes (C: text, one sample) at the root.
  test::FrameFixture cat;
  auto* shop = static_cast<model::WDGroup*>(cat.doc.GetRoot()->AddChild(new model::WDGroup("Shop", "")));
  auto* empty = static_cast<model::WDGroup*>(shop->AddChild(new model::WDGroup("Empty", "")));
  model::WDValue* a =
      test::AddNumber(cat.doc, "A", "https://a.example/", {"0 EUR", "1 EUR", "2 EUR", "3 EUR"}, 0, 1, shop);
  model::WDValue* b =
      test::AddNumber(cat.doc, "B", "https://b.example/", {"0 EUR", "1 EUR", "2 EUR", "3 EUR"}, 0, 1, shop);
  model::WDValue* c = test::AddBeacon(cat.doc, "C", "https://c.example/", "<b>{?}</b>");
  c->GetHistory().AddRecord(model::WDHistoryRecord("one", 1000));
  cat.MakeFrame();
  WDTreeView* tree = cat.tree;
  QAbstractItemModelTester tester(tree->Tree()->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
  CatalogTreeModel* model = tree->Model();
  QCOMPARE(model->rowCount(model->IndexOf(cat.doc.GetRoot())), 2);
  QCOMPARE(model->StateImage(model->IndexOf(cat.doc.GetRoot())), state_image::kFolderOpen);
  QCOMPARE(model->StateImage(model->IndexOf(shop)), state_image::kFolderClosed);

  // Renaming: an empty text keeps the name; a new one re-sorts the folder.
  const QModelIndex aIndex = model->IndexOf(a);
  QVERIFY(model->setData(aIndex, QString()));
  QCOMPARE(a->GetName(), std::string("A"));
  QVERIFY(model->setData(aIndex, QStringLiteral("Zed")));
  QCOMPARE(a->GetName(), std::string("Zed"));
  QCOMPARE(model->IndexOf(a).row(), 2);
  QVERIFY(cat.doc.IsModified());

  // A new folder whose naming is cancelled goes again; one that is named stays.
  QVERIFY(tree->SelectItem(shop));
  QVERIFY(cat.frame->OnCommand(kNewFolder));
  QCOMPARE(shop->GetChildCount(), size_t{4});
  auto* editor = tree->Tree()->viewport()->findChild<QLineEdit*>();
  QVERIFY(editor);
  QTest::keyClick(editor, Qt::Key_Escape);
  QCOMPARE(shop->GetChildCount(), size_t{3});
  QCOMPARE(model->rowCount(model->IndexOf(shop)), 3);
  QCOMPARE(tree->GetCurrentItem(), shop);

  // The filter narrows to matching beacons and keeps their folders; the catalog is untouched.
  tree->FilterBox()->setText(QStringLiteral("b.example"));
  QAbstractItemModel* shown = tree->Tree()->model();
  const QModelIndex root = shown->index(0, 0);
  QCOMPARE(shown->rowCount(root), 1);
  QCOMPARE(shown->rowCount(shown->index(0, 0, root)), 1);
  tree->FilterBox()->clear();
  QCOMPARE(shown->rowCount(root), 2);

  // Tabs: a number beacon shows its graph, and one number beacon after another keeps the tab.
  QVERIFY(tree->SelectItem(a));
  QCOMPARE(cat.ActiveTab(), tabs::kTabBeaconGraph);
  QVERIFY(tree->DoCommand(a, kShowHistory, false));
  QCOMPARE(cat.ActiveTab(), tabs::kTabHistoryGraph);
  QVERIFY(tree->SelectItem(b));
  QCOMPARE(cat.ActiveTab(), tabs::kTabHistoryGraph);
  QCOMPARE(cat.frame->Views().TabWindow()->Caption(), QStringLiteral("B"));
  // Too few samples: no history, and the history tab gives way to the beacon tab.
  QVERIFY(!tree->DoCommand(c, kShowHistory, true));
  QVERIFY(!tree->DoCommand(c, kExportHistory, true));
  QVERIFY(tree->SelectItem(c));
  QCOMPARE(cat.ActiveTab(), tabs::kTabBeaconText);
  TTabWnd* tabWnd = cat.frame->Views().TabWindow();
  QVERIFY(!tabWnd->IsTabEnabled(tabs::kTabHistoryText));
  QVERIFY(!tabWnd->IsTabEnabled(tabs::kTabHistoryGraph));
  QVERIFY(tabWnd->IsTabEnabled(tabs::kTabLink));
  // A folder always shows its list.
  QVERIFY(tree->SelectItem(shop));
  QCOMPARE(cat.ActiveTab(), tabs::kTabFolderList);
  QVERIFY(!tabWnd->IsTabEnabled(tabs::kTabControl));
  // Commands on a folder: only delete is offered.
  QVERIFY(!tree->DoCommand(shop, kMonitoring, true));
  QVERIFY(!tree->DoCommand(nullptr, kDeleteItem, true));

  // Drops that move nothing: onto itself, into its own child, into the folder it is in, onto a beacon.
  QVERIFY(!tree->DropItem(shop, shop));
  QVERIFY(!tree->DropItem(shop, empty));
  QVERIFY(!tree->DropItem(a, shop));
  QVERIFY(!tree->DropItem(c, a));
  QCOMPARE(tree->ParentOf(empty), shop);
  // A real move: the catalog and the tree follow, the moved item is selected.
  QVERIFY(tree->DropItem(a, empty));
  QCOMPARE(tree->ParentOf(a), empty);
  QVERIFY(empty->Contains(a));
  QVERIFY(!shop->m_children.empty() && shop->m_children.back() != a);
  QCOMPARE(tree->GetSelectedItem(), a);

  // A folder with children cannot be deleted; an empty one goes without a question.
  QVERIFY(!tree->DoCommand(empty, kDeleteItem, true));
  QVERIFY(!tree->DeleteTreeItem(empty));
  QVERIFY(tree->DropItem(a, shop));
  QVERIFY(tree->DoCommand(empty, kDeleteItem, true));
  QVERIFY(tree->DeleteTreeItem(empty));
  QVERIFY(cat.prompt.questions.empty());
  QCOMPARE(shop->GetChildCount(), size_t{2});
  // A beacon asks first: No keeps it, Yes deletes it.
  cat.prompt.SetNextAnswer(false);
  QVERIFY(!tree->DeleteTreeItem(b));
  QVERIFY(model->IndexOf(b).isValid());
  cat.prompt.SetNextAnswer(true);
  QVERIFY(tree->DeleteTreeItem(b));
  QCOMPARE(cat.prompt.questions.size(), size_t{2});
  QCOMPARE(shop->GetChildCount(), size_t{1});
  QCOMPARE(model->rowCount(model->IndexOf(shop)), 1);

  // A real fetch of a new beacon at the root, whose list is shown.
  cat.context.Settings().m_nSnapshots = 0;  // nothing is written into the user's cache
  QVERIFY(tree->SelectItem(cat.doc.GetRoot()));
  testing::HttpTestServer server;
  server.Serve("/price", testing::HttpTestServer::Response("<b>42 EUR</b>"));
  model::WDValue* price = test::AddBeacon(cat.doc, "Price", server.Url("/price"), "<b>{?}</b>");
  QVERIFY(tree->AddItem(price, cat.doc.GetRoot()));
  QCOMPARE(model->StateImage(model->IndexOf(price)), state_image::kDue);
  // The folder list (of the root, which is shown) fills at its first show.
  cat.frame->show();
  auto* list = test::View<WDBcnListView>(*cat.frame, tabs::kFolderList);
  const int row = list->Model()->FindRow(price);
  QVERIFY(row >= 0);

  QVERIFY(tree->DoCommand(price, kRefreshNow, false));
  // While it is fetched the beacon shows the animation's frames.
  QCOMPARE(model->StateImage(model->IndexOf(price)), state_image::kNormal);
  tree->OnAnimationStep(1);
  QCOMPARE(model->StateImage(model->IndexOf(price)), state_image::kFetch2);
  QVERIFY(engine::FetchWorker::WaitForAll(std::chrono::seconds(10)));
  cat.doc.GetDispatcher()->RunPending();
  QCOMPARE(price->GetHistory().GetCount(), 1);
  QCOMPARE(model->StateImage(model->IndexOf(price)), state_image::kNormal);
  QCOMPARE(list->Model()->data(list->Model()->index(row, 1)).toString(), QStringLiteral("42 EUR"));
  tree->OnAnimationStep(2);
  QCOMPARE(model->StateImage(model->IndexOf(price)), state_image::kNormal);
}

void TreeViewTest::ChangesWindowShowsAndStepsThroughChanges() {
  test::FrameFixture fixture;
  qputenv("QUORVEX_CACHE_DIR", fixture.home.Path(QStringLiteral("cache")).toLocal8Bit());
  model::WDValue* beacon = test::AddBeacon(fixture.doc, "Shop", kUrl);
  fixture.MakeFrame();
  const auto open = [&]() -> ChangesWindow* {
    fixture.tree->SelectItem(beacon);
    return fixture.frame->OnCommand(kShowChanges) ? fixture.frame->findChild<ChangesWindow*>() : nullptr;
  };
  // Nothing to show says why: no snapshots yet, or snapshots switched off; a folder has no page.
  ChangesWindow* window = open();
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
  QVERIFY(IsGreen(FormatOf(window->DiffView(), QStringLiteral("<b>")).foreground().color()));
  QVERIFY(FormatOf(window->DiffView(), QStringLiteral("Price: 12 EUR</p>")).fontStrikeOut());
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
  QCOMPARE(open(), window);
  QCOMPARE(fixture.frame->findChildren<ChangesWindow*>().size(), 1);
}

}  // namespace quorvex::gui

QTEST_MAIN(quorvex::gui::TreeViewTest)
#include "tree_view_test.moc"
