// The catalog tree on real widgets (its model, the tab rules, deleting, naming, moving, and a real fetch),
// the Changes window that its item command opens, on real snapshots of a page, and the view framework
// they live in (layout by object id, tabs, splitters, notifications).
#include "engine/fetch_worker.h"
#include "gui/shell/icons.h"
#include "gui/tabframe/splitter_wnd.h"
#include "gui/views/bcn_list_model.h"
#include "gui/views/bcn_list_view.h"
#include "gui/views/catalog_tree_model.h"
#include "gui/views/changes_view.h"
#include "gui/views/placeholder_view.h"
#include "gui_test_support.h"
#include "support/http_test_server.h"

namespace quorvex::gui {
namespace {

using namespace platform::cmd;
namespace vid = view_ids;

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

// Presses on the handle of splitter, moves by delta along the splitter and releases.
void DragHandle(QSplitter& splitter, int delta) {
  QSplitterHandle* handle = splitter.handle(1);
  const QPoint from = handle->rect().center();
  const QPoint to = splitter.orientation() == Qt::Horizontal ? from + QPoint(delta, 0) : from + QPoint(0, delta);
  QTest::mousePress(handle, Qt::LeftButton, Qt::NoModifier, from);
  QMouseEvent move(QEvent::MouseMove, QPointF(to), QPointF(handle->mapToGlobal(to)), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QApplication::sendEvent(handle, &move);
  QTest::mouseRelease(handle, Qt::LeftButton, Qt::NoModifier, to);
}

}  // namespace

class TreeViewTest : public QObject {
  Q_OBJECT

 private slots:
  void ModelTabsDeletingMovingAndFetching();
  void ChangesWindowShowsAndStepsThroughChanges();
  void FrameworkLayoutTabsNotificationsAndSplitters();
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
  QCOMPARE(cat.ActiveTab(), vid::kTabBeaconGraph);
  QVERIFY(tree->DoCommand(a, kShowHistory, false));
  QCOMPARE(cat.ActiveTab(), vid::kTabHistoryGraph);
  QVERIFY(tree->SelectItem(b));
  QCOMPARE(cat.ActiveTab(), vid::kTabHistoryGraph);
  QCOMPARE(cat.frame->Views().TabWindow()->Caption(), QStringLiteral("B"));
  // Too few samples: no history, and the history tab gives way to the beacon tab.
  QVERIFY(!tree->DoCommand(c, kShowHistory, true));
  QVERIFY(!tree->DoCommand(c, kExportHistory, true));
  QVERIFY(tree->SelectItem(c));
  QCOMPARE(cat.ActiveTab(), vid::kTabBeaconText);
  TTabWnd* tabWnd = cat.frame->Views().TabWindow();
  QVERIFY(!tabWnd->IsTabEnabled(vid::kTabHistoryText));
  QVERIFY(!tabWnd->IsTabEnabled(vid::kTabHistoryGraph));
  QVERIFY(tabWnd->IsTabEnabled(vid::kTabLink));
  // A folder always shows its list.
  QVERIFY(tree->SelectItem(shop));
  QCOMPARE(cat.ActiveTab(), vid::kTabFolderList);
  QVERIFY(!tabWnd->IsTabEnabled(vid::kTabControl));
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
  auto* list = test::View<WDBcnListView>(*cat.frame, vid::kFolderList);
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

void TreeViewTest::FrameworkLayoutTabsNotificationsAndSplitters() {
  QWidget host;
  TVisualFramework frame([](int id, QWidget* parent) -> QWidget* {
    return id == vid::kNote ? new QLabel(parent) : nullptr;  // a "real" view for one id
  });
  WDSplitterWnd* main = frame.Create(&host, 230);
  QCOMPARE(frame.Create(&host), main);
  QCOMPARE(frame.GetObject(vid::kMainSplitter), main);
  QCOMPARE(main->PaneSize(0), 230);  // before the first layout too
  main->resize(900, 600);
  host.show();
  QVERIFY(QTest::qWaitForWindowExposed(&host));
  QCOMPARE(main->widget(0), frame.GetObject(vid::kCatalogTree));
  QCOMPARE(main->widget(1), frame.GetObject(vid::kTabWindow));
  QCOMPARE(main->PaneSize(0), 230);

  TTabWnd* tabs = frame.TabWindow();
  QCOMPARE(tabs->TabCount(), vid::kTabCount);
  namespace ids = platform::ids;
  const uint16_t labels[] = {ids::kTabFolder,  ids::kTabBeacon,  ids::kTabBeacon,  ids::kTabNote,
                             ids::kTabControl, ids::kTabHistory, ids::kTabHistory, ids::kTabLink};
  const int tabOfView[] = {0, 1, 1, 2, 2, 3, 4, 5, 5, 5, 6, 6, 6, 7, 7, 7, 7, 7};
  for (int tab = 0; tab < vid::kTabCount; ++tab) QCOMPARE(tabs->TabLabel(tab), Text(labels[tab]));
  for (int id = vid::kFirstView; id <= vid::kLastView; ++id) {
    QWidget* view = frame.GetObject(id);
    QVERIFY2(view, qPrintable(QString::number(id)));
    QCOMPARE(tabs->TabOf(view), tabOfView[id - 1]);
    QCOMPARE(view->property(vid::kObjectIdProperty).toInt(), id);
    QCOMPARE(qobject_cast<PlaceholderView*>(view) == nullptr, id == vid::kNote);
  }
  QVERIFY(IsLEControl(frame.GetObject(vid::kLinkControl)));
  QVERIFY(frame.GetObject(99) == nullptr);
  // Without a factory every view is a placeholder.
  QWidget bareHost;
  TVisualFramework bare;
  bare.Create(&bareHost);
  QVERIFY(qobject_cast<PlaceholderView*>(bare.GetObject(vid::kNote)));

  // The fixed rows and columns, each once its tab has been shown.
  const struct {
    int tab, view, width, height;
  } fixed[] = {
      {1, vid::kBeaconScreen, -1, 90},    {2, vid::kGraphScreen, -1, 90},    {5, vid::kTextTimeLine, 210, -1},
      {5, vid::kTextHistControl, -1, 30}, {6, vid::kGraphTimeLine, 210, -1}, {6, vid::kGraphHistControl, -1, 30},
      {7, vid::kLinkAddress, -1, 30},     {7, vid::kLinkPattern, 250, -1},   {7, vid::kLinkControl, -1, 40}};
  for (const auto& f : fixed) {
    QVERIFY(tabs->SetActiveTab(f.tab));
    QVERIFY(frame.GetObject(f.view)->isVisible());
    QVERIFY(IsOnActiveTab(frame.GetObject(f.view)));
    if (f.width >= 0) QCOMPARE(frame.GetObject(f.view)->width(), f.width);
    if (f.height >= 0) QCOMPARE(frame.GetObject(f.view)->height(), f.height);
  }
  QVERIFY(!IsOnActiveTab(frame.GetObject(vid::kFolderList)));

  // Growing the window keeps the fixed panes and the tree's column.
  main->resize(1100, 700);
  QCOMPARE(frame.GetObject(vid::kLinkPattern)->width(), 250);
  QCOMPARE(frame.GetObject(vid::kLinkControl)->height(), 40);
  QCOMPARE(main->PaneSize(0), 230);

  // A disabled tab cannot be chosen, neither by the program nor by a click.
  QVERIFY(tabs->SetActiveTab(vid::kTabFolderList));
  QSignalSpy changed(tabs, &TTabWnd::ActiveTabChanged);
  const QPoint historyTab = tabs->Bar()->tabRect(vid::kTabHistoryText).center();
  tabs->EnableTab(vid::kTabHistoryText, false);
  QVERIFY(!tabs->SetActiveTab(vid::kTabHistoryText));
  QTest::mouseClick(tabs->Bar(), Qt::LeftButton, Qt::NoModifier, historyTab);
  QCOMPARE(tabs->ActiveTab(), vid::kTabFolderList);
  QCOMPARE(changed.count(), 0);

  tabs->EnableTab(vid::kTabHistoryText, true);
  QTest::mouseClick(tabs->Bar(), Qt::LeftButton, Qt::NoModifier, historyTab);
  QCOMPARE(tabs->ActiveTab(), vid::kTabHistoryText);
  QCOMPARE(changed.count(), 1);
  QVERIFY(frame.GetObject(vid::kHistoryText)->isVisible());
  QVERIFY(!frame.GetObject(vid::kFolderList)->isVisible());

  // Disabling the shown tab moves on to an enabled one.
  tabs->EnableTab(vid::kTabHistoryText, false);
  QVERIFY(tabs->ActiveTab() != vid::kTabHistoryText);
  QVERIFY(tabs->IsTabEnabled(tabs->ActiveTab()));

  const int pageHeight = tabs->TabPage(tabs->ActiveTab())->height();
  tabs->SetBarVisible(false);
  QTRY_VERIFY(tabs->TabPage(tabs->ActiveTab())->height() > pageHeight);
  tabs->SetBarVisible(true);
  QVERIFY(tabs->IsBarVisible() && tabs->Bar()->isVisible());

  auto* caption = tabs->findChild<QLabel*>(QStringLiteral("tabCaption"));
  QVERIFY(caption && !caption->isVisible());
  tabs->SetCaption(QStringLiteral("Prices"));
  QVERIFY(caption->isVisible());
  tabs->SetCaption(QString());
  QVERIFY(!caption->isVisible());

  // Notifications reach every pane but the tree, which sends them, and the label, which takes none.
  const auto placeholder = [&frame](int id) { return qobject_cast<PlaceholderView*>(frame.GetObject(id)); };
  NotifyParam param;
  param.address = "http://example.org/prices";
  param.result = 5;
  param.sender = &host;
  QCOMPARE(frame.Notify(TabNotify::FetchFailed, param), vid::kLastView - 1);
  for (int id = vid::kFirstView; id <= vid::kLastView; ++id) {
    if (id == vid::kNote) continue;
    QCOMPARE(placeholder(id)->NotifyCount(), 1);
    QCOMPARE(placeholder(id)->LastCode(), TabNotify::FetchFailed);
    QCOMPARE(placeholder(id)->LastParam().address, param.address);
    QCOMPARE(placeholder(id)->LastParam().result, 5);
    QCOMPARE(placeholder(id)->LastParam().sender, &host);
  }
  QCOMPARE(placeholder(vid::kCatalogTree)->NotifyCount(), 0);

  QCOMPARE(frame.NotifyObjects(TabNotify::Changed, {}, {vid::kHistoryText, vid::kHistoryGraph, 99}), 2);
  for (int id = vid::kFirstView; id <= vid::kLastView; ++id) {
    const bool chosen = id == vid::kHistoryText || id == vid::kHistoryGraph;
    if (id != vid::kNote) QCOMPARE(placeholder(id)->LastCode(), chosen ? TabNotify::Changed : TabNotify::FetchFailed);
  }

  // A destroyed view is left out.
  delete frame.GetObject(vid::kLinkValue);
  QCOMPARE(frame.Notify(TabNotify::SelectionApplied, {}), vid::kLastView - 2);
  QCOMPARE(placeholder(vid::kLinkControl)->LastCode(), TabNotify::SelectionApplied);

  // Only resizable splitters move; a splitter that cannot move keeps its fixed pane.
  QWidget splitters;
  splitters.resize(400, 700);
  auto* stiff = new WDSplitterWnd(Qt::Horizontal, false, &splitters);
  stiff->setGeometry(0, 0, 400, 140);
  stiff->addWidget(new PlaceholderView(1));
  stiff->addWidget(new PlaceholderView(2));
  stiff->SetFixedPane(0, 161);
  auto* movable = new WDSplitterWnd(Qt::Vertical, true, &splitters);
  movable->setGeometry(0, 150, 400, 150);
  movable->addWidget(new PlaceholderView(3));
  movable->addWidget(new PlaceholderView(4));
  movable->SetFixedPane(0, 30);
  // A lower pane marked as the test bar keeps its 40 pixels in a splitter the user cannot move.
  auto* rows = new WDSplitterWnd(Qt::Vertical, false, &splitters);
  rows->addWidget(new PlaceholderView(17));
  auto* bar = new QLabel;
  MarkLEControl(bar);
  rows->addWidget(bar);
  rows->setGeometry(0, 310, 300, 200);
  splitters.show();
  QVERIFY(QTest::qWaitForWindowExposed(&splitters));

  QCOMPARE(stiff->handleWidth(), 0);
  QVERIFY(stiff->handle(1)->testAttribute(Qt::WA_TransparentForMouseEvents));
  QCOMPARE(stiff->sizes(), QList<int>({161, 239}));
  DragHandle(*stiff, 40);
  QCOMPARE(stiff->sizes(), QList<int>({161, 239}));
  stiff->resize(300, 140);
  QCOMPARE(stiff->sizes(), QList<int>({161, 139}));

  QVERIFY(movable->handleWidth() > 0);
  QCOMPARE(movable->sizes().at(0), 30);
  DragHandle(*movable, 40);
  QCOMPARE(movable->sizes().at(0), 70);
  movable->resize(400, 200);  // the user's division stays; the other pane grows
  QCOMPARE(movable->sizes().at(0), 70);
  QCOMPARE(movable->PaneSize(0), 70);

  movable->SetResizable(false);
  QCOMPARE(movable->handleWidth(), 0);
  DragHandle(*movable, 40);
  QCOMPARE(movable->sizes().at(0), 30);  // back to the fixed size, and it stays

  QCOMPARE(rows->sizes(), QList<int>({160, 40}));
  rows->resize(300, 41);
  QCOMPARE(rows->sizes(), QList<int>({1, 40}));
  rows->resize(300, 333);
  QCOMPARE(rows->sizes(), QList<int>({293, 40}));

  // Not for a resizable splitter, nor for an unmarked lower pane.
  auto* other = new WDSplitterWnd(Qt::Vertical, true, &splitters);
  other->addWidget(new PlaceholderView(1));
  auto* marked = new PlaceholderView(2);
  MarkLEControl(marked);
  other->addWidget(marked);
  other->resize(300, 200);
  other->show();
  QTRY_COMPARE(other->sizes().at(0) + other->sizes().at(1), 200 - other->handleWidth());
  QVERIFY(other->sizes().at(1) != 40);
  bar->setProperty(kLEControlProperty, false);
  rows->resize(300, 300);
  QVERIFY(rows->sizes().at(1) != 40);
}

}  // namespace quorvex::gui

QTEST_MAIN(quorvex::gui::TreeViewTest)
#include "tree_view_test.moc"
