// The views of the main window on real widgets, and the framework they live in: the catalog tree with a
// real fetch and the Changes window on real snapshots, the folder list, the time-lines and the history
// graph, the link tab against a loopback server, and the property panes of a beacon's tabs.
#include <algorithm>
#include <ctime>

#include "engine/fetch_pass.h"
#include "engine/fetch_worker.h"
#include "gui/shell/font_dialog.h"
#include "gui/shell/icons.h"
#include "gui/tabframe/splitter_wnd.h"
#include "gui/textview/beacon_view.h"
#include "gui/textview/find_dialog.h"
#include "gui/textview/html_highlighter.h"
#include "gui/textview/note_view.h"
#include "gui/textview/pattern_edit.h"
#include "gui/textview/source_view.h"
#include "gui/views/bcn_list_model.h"
#include "gui/views/bcn_list_view.h"
#include "gui/views/catalog_tree_model.h"
#include "gui/views/changes_view.h"
#include "gui/views/control_tab.h"
#include "gui/views/graph_geometry.h"
#include "gui/views/graph_view.h"
#include "gui/views/hist_control.h"
#include "gui/views/link_address.h"
#include "gui/views/link_control.h"
#include "gui/views/link_tab.h"
#include "gui/views/placeholder_view.h"
#include "gui/views/sample_chooser.h"
#include "gui/views/screen_tab.h"
#include "gui/views/time_line_view.h"
#include "gui_test_support.h"
#include "model/val_page.h"
#include "platform/clock.h"
#include "platform/string_table.h"
#include "support/http_test_server.h"
#include "text/code_page.h"
#include "text/pattern_matcher.h"
#include "text/time_format.h"

namespace quorvex::gui {
namespace {

using namespace platform::cmd;
namespace ids = platform::ids;
namespace vid = view_ids;

constexpr char kUrl[] = "https://shop.example/";

constexpr int64_t kHour = 3600;
constexpr int64_t kDay = 86400;
// 20 March 2024 12:30 UTC.
constexpr int64_t kNow = 1710937800;

// A number beacon with a sample of each value, one every `every` seconds, the last one at kNow.
void Fill(model::WDValue& value, std::initializer_list<const char*> texts, int64_t every) {
  value.SetKind(model::kKindNumber);
  int64_t t = kNow - static_cast<int64_t>(texts.size() - 1) * every;
  for (const char* text : texts) {
    value.GetHistory().AppendLoaded(model::WDHistoryRecord(text, t));
    t += every;
  }
}

class Chooser : public QObject, public SampleChooser {
 public:
  const model::WDHistoryRecord* GetSelectedRecord() const override { return record; }
  const model::WDHistoryRecord* record = nullptr;
};

QString Cell(const QAbstractItemModel& list, int row, int column, int role = Qt::DisplayRole) {
  return list.data(list.index(row, column), role).toString();
}

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

class ViewsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    qputenv("TZ", "UTC");
    tzset();
    platform::SetFixedNow(kNow);
  }
  void cleanupTestCase() { platform::SetFixedNow(-1); }
  void FrameworkLayoutTabsNotificationsAndSplitters();
  void GraphFolderListAndTimeLine();
  void LinkPanesFetchAndTest();
  void PropertyPanesLoadAndStore();
  void TreeModelTabsDeletingMovingFetchingAndChanges();
};

void ViewsTest::TreeModelTabsDeletingMovingFetchingAndChanges() {
  // A catalog: root > Shop (A, B: numbers with history) and Empty; Notes (C: text, one sample) at the root.
  test::FrameFixture cat;
  // Snapshots go to the test's own cache (this test runs last: the variable outlives the home).
  qputenv("QUORVEX_CACHE_DIR", cat.home.Path(QStringLiteral("cache")).toLocal8Bit());
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

  // A real fetch of a new beacon at the root, whose list is shown; no snapshot of its page is kept.
  const int snapshots = cat.context.Settings().m_nSnapshots;
  cat.context.Settings().m_nSnapshots = 0;
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

  // The Changes window of a page: nothing to show says why (snapshots switched off, or none yet); a folder
  // has no page.
  model::WDValue* beacon = test::AddBeacon(cat.doc, "Shop", kUrl);
  QVERIFY(tree->AddItem(beacon, cat.doc.GetRoot()));
  const auto open = [&]() -> ChangesWindow* {
    tree->SelectItem(beacon);
    return cat.frame->OnCommand(kShowChanges) ? cat.frame->findChild<ChangesWindow*>() : nullptr;
  };
  ChangesWindow* window = open();
  QVERIFY(window);
  QCOMPARE(window->DiffView()->toPlainText(), Text(platform::ids::kChangesSnapshotsOff));
  QVERIFY(!tree->DoCommand(cat.doc.GetRoot(), platform::cmd::kShowChanges, true));
  cat.context.Settings().m_nSnapshots = snapshots;
  window->Reload();
  QCOMPARE(window->SnapshotList()->count(), 0);
  QCOMPARE(window->DiffView()->toPlainText(), Text(platform::ids::kChangesNoSnapshots));
  QVERIFY(!window->NextButton()->isEnabled() && !window->PreviousButton()->isEnabled());

  engine::SnapshotStore& store = cat.doc.Snapshots();
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
  QCOMPARE(cat.frame->findChildren<ChangesWindow*>().size(), 1);
}

void ViewsTest::FrameworkLayoutTabsNotificationsAndSplitters() {
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

  // Only resizable splitters move; one that cannot move keeps its fixed pane (the screen row).
  const auto splitter = [&frame](int id) { return qobject_cast<WDSplitterWnd*>(frame.GetObject(id)); };
  QVERIFY(tabs->SetActiveTab(vid::kTabBeaconText));
  WDSplitterWnd* stiff = splitter(vid::kBeaconTextRows);
  QCOMPARE(stiff->handleWidth(), 0);
  QVERIFY(stiff->handle(1)->testAttribute(Qt::WA_TransparentForMouseEvents));
  DragHandle(*stiff, 40);
  QCOMPARE(stiff->sizes().at(0), 90);
  stiff->resize(stiff->width(), 140);
  QCOMPARE(stiff->sizes(), QList<int>({90, 50}));

  QVERIFY(tabs->SetActiveTab(vid::kTabHistoryText));
  WDSplitterWnd* movable = splitter(vid::kHistoryTextColumns);
  QVERIFY(movable->handleWidth() > 0);
  DragHandle(*movable, 40);
  QCOMPARE(movable->sizes().at(0), 250);
  movable->resize(movable->width() + 100, movable->height());  // the user's division stays; the other pane grows
  QCOMPARE(movable->sizes().at(0), 250);
  QCOMPARE(movable->PaneSize(0), 250);
  movable->SetResizable(false);
  QCOMPARE(movable->handleWidth(), 0);
  DragHandle(*movable, 40);
  QCOMPARE(movable->sizes().at(0), 210);  // back to the fixed size, and it stays

  // The test bar keeps its 40 pixels in a splitter the user cannot move, however small or large.
  QVERIFY(tabs->SetActiveTab(vid::kTabLink));
  WDSplitterWnd* rows = splitter(vid::kLinkLowerRows);
  rows->resize(300, 41);
  QCOMPARE(rows->sizes(), QList<int>({1, 40}));
  rows->resize(300, 333);
  QCOMPARE(rows->sizes(), QList<int>({293, 40}));
  // Not for a resizable splitter, nor for an unmarked lower pane.
  rows->SetResizable(true);
  rows->resize(300, 300);
  QVERIFY(rows->sizes().at(1) != 40);
  rows->SetResizable(false);
  frame.GetObject(vid::kLinkControl)->setProperty(kLEControlProperty, false);
  rows->resize(300, 333);
  QVERIFY(rows->sizes().at(1) != 40);

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
  const NotifyParam param{.item = nullptr, .address = "http://example.org/prices", .result = 5, .sender = &host};
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
}

void ViewsTest::GraphFolderListAndTimeLine() {
  // The history graph's scale: nothing to span gives the range of 3.
  QCOMPARE(graph::ComputeValueScale(0, 0, 110).fRange, 3.0);
  QCOMPARE(graph::ComputeValueScale(0, 0, 110).fScale, 0.03);
  // Positive samples are measured from zero, so that equal ones sit near the top.
  const graph::ValueScale equal = graph::ComputeValueScale(7, 7, 110);
  QCOMPARE(equal.fRange, 7.0);
  QCOMPARE(equal.nZeroOffset, 0);
  QCOMPARE(graph::ValueToY(110, equal, 7), 10);
  // Both signs: the whole span, zero lifted by the negative part.
  const graph::ValueScale both = graph::ComputeValueScale(8, -3, 110);
  QCOMPARE(both.fRange, 11.0);
  QCOMPARE(both.nZeroOffset, 28);

  // Grid steps: round values, doubled when their lines would lie too close.
  const double fine = 1e-6;  // units per pixel: no doubling
  QCOMPARE(graph::GridStep(3, fine), 0.6);
  QCOMPARE(graph::GridStep(50, fine), 10.0);
  QCOMPARE(graph::GridStep(100, fine), 20.0);
  QCOMPARE(graph::GridStep(1234, fine), 200.0);
  QCOMPARE(graph::GridStep(0.05, fine), 0.01);
  QCOMPARE(graph::GridStep(0.3, fine), 1.0);  // a step of 0 becomes 1
  QCOMPARE(graph::GridStep(7, fine), 1.0);    // 1.4 cut to a whole number
  QCOMPARE(graph::GridStep(100, 2.0), 40.0);  // 10 pixels apart: doubled
  QCOMPARE(graph::GridStep(100, 0.5), 20.0);  // 40 pixels apart

  // Thirty days of samples, one every three days, in a view ten days wide.
  model::WDValue value;
  Fill(value, {"10", "12", "11", "15", "14", "13", "18", "16", "17", "20", "19"}, 3 * kDay);
  model::WDValue negative;
  Fill(negative, {"-5", "-2", "-4"}, kHour);
  model::WDGroup folder;
  model::WDItem* shown = &value;
  WDGraphView view([&shown] { return shown; });
  // Told while hidden, as on a tab not shown: the centring holds once the view has its size.
  view.OnNotify(TabNotify::SelectionApplied, {});
  view.resize(240, 200);
  view.show();
  QVERIFY(QTest::qWaitForWindowExposed(&view));
  QCOMPARE(view.GetMarkX(), 30 * 24);  // now, at the newest sample
  QCOMPARE(view.horizontalScrollBar()->value(), 30 * 24 - 240);
  QCOMPARE(view.GetWindowSeconds(), 240 * kHour);
  view.viewport()->grab();
  const graph::DayLines& days = view.GetPaintedDayLines();
  QCOMPARE(days.lines.size(), size_t{10});
  int monthStarts = 0;
  for (const graph::DayLine& line : days.lines) {
    QVERIFY(line.labelled);
    monthStarts += line.monthStart;
  }
  QCOMPARE(days.lines.front().day, 20);  // the view ends at the newest sample, 20 March
  QCOMPARE(days.lines.back().day, 11);
  QVERIFY(days.month.has_value());
  QCOMPARE(monthStarts, 0);

  // Scrolled back over 1 March: that day line is red.
  view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum() - 19 * 24);
  const QImage back = view.viewport()->grab().toImage();
  const auto first = std::find_if(view.GetPaintedDayLines().lines.begin(), view.GetPaintedDayLines().lines.end(),
                                  [](const graph::DayLine& line) { return line.monthStart; });
  QVERIFY(first != view.GetPaintedDayLines().lines.end());
  QCOMPARE(first->day, 1);
  const int x = static_cast<int>(first->x) - view.horizontalScrollBar()->value();
  int red = 0;
  for (int y = 0; y < view.GetGraphRect().bottom(); ++y) red += back.pixelColor(x, y).rgb() == qRgb(255, 0, 0);
  QVERIFY(red > 20);

  // The sample chosen on a time-line gets the marker, centred.
  Chooser chooser;
  chooser.record = value.GetHistory().GetAt(3);
  QVERIFY(view.OnNotify(TabNotify::Changed, {nullptr, {}, 0, &chooser}));
  QCOMPARE(view.GetMarkX(), 9 * 24);
  QCOMPARE(view.horizontalScrollBar()->value(), 9 * 24 - 120);
  QVERIFY(!view.OnNotify(TabNotify::Store, {}));

  // Only negative samples: the range is |min| and the zero line lies above them.
  shown = &negative;
  view.OnNotify(TabNotify::SelectionApplied, {});
  view.viewport()->grab();
  const graph::ValueScale& scale = view.GetValueScale();
  QCOMPARE(scale.fRange, 5.0);
  const int zero = graph::ValueToY(169, scale, 0);
  QVERIFY(zero > 0);
  QVERIFY(zero < graph::ValueToY(169, scale, -2));
  QVERIFY(graph::ValueToY(169, scale, -5) <= 169);

  // A folder leaves only the background.
  shown = &folder;
  view.OnNotify(TabNotify::SelectionApplied, {});
  QCOMPARE(view.ComputeScale(), 0.0);
  const QImage image = view.viewport()->grab().toImage();
  const QColor paper = QColor::fromRgb(kGraphPaperRgb);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor expected = y < image.height() - graph::kPaintBand ? paper : view.BandColor();
      if (image.pixelColor(x, y).rgb() != expected.rgb())
        QFAIL(qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
    }
  }

  // Texts too long for their column end in dots; the column titles need their commas.
  const QFontMetrics metrics(QApplication::font());
  const QString address = QStringLiteral("http://www.example.com/a/very/long/path/to/a/page/that/goes/on.html");
  QCOMPARE(FitText(address, metrics, metrics.horizontalAdvance(address)), address);
  const int room = metrics.horizontalAdvance(address) / 2;
  const QString fitted = FitText(address, metrics, room);
  const QString head = address.left(fitted.size() - 3);
  QCOMPARE(fitted, head + QStringLiteral("..."));
  QVERIFY(metrics.horizontalAdvance(fitted) <= room);
  // The longest head that fits: one more character would not.
  QVERIFY(metrics.horizontalAdvance(address.left(head.size() + 1) + QStringLiteral("...")) > room);
  QCOMPARE(FitText(address, metrics, 1), QStringLiteral("..."));

  QCOMPARE(ParseColumnTitles(QStringLiteral("Name,Value,Change")),
           QStringList({QStringLiteral("Name"), QStringLiteral("Value")}));
  QCOMPARE(ParseColumnTitles(QStringLiteral("a,b,c,d,e,f,")).size(), 5);
  QVERIFY(ParseColumnTitles(QString()).isEmpty());

  test::FrameFixture f;
  engine::WDQvxDoc& doc = f.doc;
  const auto number = [&doc](const std::string& name, std::initializer_list<std::string> samples,
                             model::WDGroup* folder = nullptr) {
    return test::AddNumber(doc, name, "http://" + name + ".example/", samples, 1700000060, 60, folder);
  };
  model::WDValue* rise = number("rise", {"9", "10", "11.5"});
  model::WDValue* fall = number("fall", {"10", "8.5"});
  model::WDValue* same = number("same", {"10", "10"});
  model::WDValue* fresh = test::AddBeacon(doc, "fresh", "http://fresh.example/", "x{?}y");
  fresh->GetPage()->m_timeFetched = 1650000000;
  auto* sub = static_cast<model::WDGroup*>(doc.GetRoot()->AddChild(new model::WDGroup("Sub", "")));
  number("deep", {"1"}, sub);

  CMainFrame& frame = f.MakeFrame();
  auto* list = test::View<WDBcnListView>(frame, vid::kFolderList);
  auto* line = test::View<WDTimeLineView>(frame, vid::kGraphTimeLine);
  QAbstractItemModelTester listTester(list->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
  QAbstractItemModelTester lineTester(line->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
  QVERIFY(f.tree->SelectItem(doc.GetRoot()));
  QCOMPARE(line->model()->rowCount(), 0);
  BcnListModel& rows = *list->Model();
  QCOMPARE(rows.rowCount(), 4);  // the sub-folder is not listed
  QCOMPARE(rows.columnCount(), 5);
  QCOMPARE(rows.headerData(4, Qt::Horizontal).toString(), QStringLiteral("Address"));

  const QPalette palette = QGuiApplication::palette();
  const std::pair<const char*, RowTint> tints[] = {
      {"+ 1.5", RowTint::Rise}, {"- 1.5", RowTint::Fall}, {"- ", RowTint::Normal}};
  for (int row = 0; row < 3; ++row) {
    QCOMPARE(Cell(rows, row, kBcnChange), QString::fromLatin1(tints[row].first));
    QCOMPARE(rows.data(rows.index(row, kBcnChange), Qt::ForegroundRole).value<QColor>(),
             TintColor(tints[row].second, palette));
  }
  QVERIFY(TintColor(RowTint::Rise, palette) != TintColor(RowTint::Fall, palette));
  QCOMPARE(Cell(rows, 3, kBcnDate), QString::fromStdString(text::FormatLocalTime(1650000000, text::DateFormat())));
  QCOMPARE(Cell(rows, 3, kBcnAddress), QStringLiteral("http://fresh.example/"));

  // A fetch notice updates only the rows of its address, without a reset.
  QSignalSpy resets(&rows, &QAbstractItemModel::modelReset);
  QSignalSpy changes(&rows, &QAbstractItemModel::dataChanged);
  same->GetHistory().AddRecord(model::WDHistoryRecord("12", 1800000000));
  same->SetEnabled(false);
  frame.Views().Notify(TabNotify::PageFetch, {nullptr, same->GetURL(), 0, nullptr});
  QCOMPARE(resets.count(), 0);
  QCOMPARE(changes.count(), 1);
  QCOMPARE(changes.front().front().value<QModelIndex>().row(), 2);
  QCOMPARE(Cell(rows, 2, kBcnValue), QStringLiteral("12"));
  QCOMPARE(rows.data(rows.index(2, kBcnName), Qt::ForegroundRole).value<QColor>(), TintColor(RowTint::Grey, palette));

  // Sorting by a title leaves the folder's order in the model.
  list->sortByColumn(kBcnName, Qt::AscendingOrder);
  QCOMPARE(Cell(*list->model(), 0, kBcnName), QStringLiteral("fall"));
  QCOMPARE(Cell(rows, 0, kBcnName), QStringLiteral("rise"));

  // Commands act on the chosen row; a beacon being fetched can be shown but not deleted or copied.
  QVERIFY(list->TakesCommand(kDeleteItem) && list->TakesCommand(kDuplicate) && !list->TakesCommand(kNewFolder));
  QVERIFY(!list->QueryCommand(kDeleteItem).enabled);  // no row chosen
  QVERIFY(list->SelectBeacon(rise));
  QCOMPARE(list->GetSelectedBeacon(), rise);
  QVERIFY(list->QueryCommand(kDeleteItem).enabled);
  QVERIFY(list->QueryCommand(kShowHistory).enabled);
  QVERIFY(list->QueryCommand(kMonitoring).checked);
  QVERIFY(rise->TryLock());
  QVERIFY(!list->QueryCommand(kDeleteItem).enabled);
  QVERIFY(!list->QueryCommand(kDuplicate).enabled);
  QVERIFY(list->QueryCommand(kShowBeacon).enabled);
  rise->Unlock();
  QVERIFY(list->RunCommand(kMonitoring));
  QVERIFY(!rise->IsEnabled());

  // Rows come and go with the tree's notices.
  frame.Views().Notify(TabNotify::ItemDeleting, {fall, {}, 0, nullptr});
  QCOMPARE(rows.FindRow(fall), -1);
  QCOMPARE(rows.rowCount(), 3);
  frame.Views().Notify(TabNotify::BeaconInserted, {rise, {}, 0, nullptr});
  QCOMPARE(rows.rowCount(), 3);  // listed already
  QVERIFY(f.tree->SelectItem(sub));
  QCOMPARE(rows.rowCount(), 1);
  QVERIFY(f.tree->SelectItem(rise));
  QCOMPARE(rows.rowCount(), 0);

  // The time-line lists the beacon's samples, newest first.
  const QAbstractItemModel& samples = *line->model();
  QCOMPARE(samples.rowCount(), 3);
  QCOMPARE(Cell(samples, 0, 0), QString::fromStdString(text::FormatLocalTime(1700000180, text::DateTimeFormat())));
  QCOMPARE(Cell(samples, 0, 1), QStringLiteral("11.5"));
  QCOMPARE(Cell(samples, 2, 1), QStringLiteral("9"));
  QCOMPARE(samples.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Time"));

  // The same beacon again: no rebuild. A new sample: rebuilt, and the chosen sample stays chosen.
  const int built = line->RebuildCount();
  frame.Views().Notify(TabNotify::SelectionApplied, {});
  QCOMPARE(line->RebuildCount(), built);
  line->setCurrentIndex(samples.index(1, 0));
  QCOMPARE(line->GetSelectedRecord(), rise->GetHistory().GetAt(1));
  rise->GetHistory().AddRecord(model::WDHistoryRecord("4", 1700000900));
  frame.Views().Notify(TabNotify::PageFetch, {});
  QCOMPARE(line->RebuildCount(), built + 1);
  QCOMPARE(samples.rowCount(), 4);
  QCOMPARE(line->GetSelectedRecord(), rise->GetHistory().GetAt(1));
}

void ViewsTest::LinkPanesFetchAndTest() {
  testing::HttpTestServer server;  // outlives the window, which closes while the server still answers
  test::FrameFixture tab;
  model::WDValue* price = test::AddBeacon(tab.doc, "Price", server.Url("/price"), "<b>{?}</b>");
  model::WDValue* whole = test::AddBeacon(tab.doc, "Whole page", server.Url("/price"));
  tab.MakeFrame();
  LinkPanes panes;
  const auto show = [&](model::WDValue* beacon) {
    QVERIFY(tab.tree->SelectItem(beacon));
    QVERIFY(tab.tree->DoCommand(beacon, platform::cmd::kShowLink, false));
    panes = FindLinkPanes(*tab.frame);
  };
  const auto testEnabled = [&] { return panes.control->TestButton()->isEnabled(); };
  // Fetches the address into the source pane and waits for the end.
  const auto fetch = [&](const std::string& url) {
    QSignalSpy done(panes.source, &WDSourceView::FetchFinished);
    panes.address->AddressBox()->setEditText(FromBytes(url));
    return panes.address->ConfirmAddress() && test::PumpUntil(tab.doc, [&] { return !done.isEmpty(); }) &&
           done.first().first().toBool();
  };
  show(price);
  QVERIFY(panes.source && panes.pattern && panes.value && panes.control && panes.address);
  // A pattern, but no page yet; then a page.
  QVERIFY(!testEnabled());
  panes.source->SetRawText("<b>7</b>");
  QVERIFY(testEnabled());
  // Coloured as HTML, legibly on a dark palette too.
  const QList<QTextLayout::FormatRange> formats = panes.source->document()->firstBlock().layout()->formats();
  QVERIFY(!formats.isEmpty());
  QCOMPARE(formats.first().format.foreground().color(), panes.source->Highlighter()->Colors().tag);
  QPalette dark;
  dark.setColor(QPalette::Base, Qt::black);
  QVERIFY(HtmlColorsFor(dark).tag.lightness() > 128 && HtmlColorsFor(dark).comment.lightness() > 128);
  // Emptied pattern: off; the first character typed: on.
  panes.pattern->clear();
  QVERIFY(!testEnabled());
  QTest::keyClicks(panes.pattern, QStringLiteral("<"));
  QVERIFY(testEnabled());

  // A pattern being written survives a fetch's reload; it is stored when the selection moves.
  panes.pattern->moveCursor(QTextCursor::End);
  QTest::keyClicks(panes.pattern, QStringLiteral("<i>{?}"));
  tab.tree->NotifyTabs(TabNotify::PageFetch, {});
  QCOMPARE(panes.pattern->toPlainText(), QStringLiteral("<<i>{?}"));
  panes.source->SetRawText("<b>7</b>");
  show(whole);
  QCOMPARE(price->GetPattern(), std::string("<<i>{?}"));
  QVERIFY(tab.doc.IsModified());
  // A checksum beacon of the same page has no pattern to test.
  QVERIFY(!panes.pattern->isEnabled());
  QVERIFY(!testEnabled());
  QVERIFY(panes.pattern->toPlainText().endsWith(Text(platform::ids::kAnyChange)));
  QVERIFY(!panes.pattern->UpdatePane(true));
  QCOMPARE(whole->GetPattern(), std::string());

  // Find in its page source: match case, direction and wrap.
  WDSourceView* source = panes.source;
  source->SetRawText("Abc abc\nabc");
  source->moveCursor(QTextCursor::Start);
  QVERIFY(source->FindText(QStringLiteral("abc"), false, true, false));
  QCOMPARE(source->textCursor().selectionStart(), 4);
  QVERIFY(source->FindText(QStringLiteral("abc"), false, true, false));
  QVERIFY(!source->FindText(QStringLiteral("abc"), false, true, false));
  QVERIFY(source->FindText(QStringLiteral("ABC"), false, false, true));
  QCOMPARE(source->textCursor().selectionStart(), 0);
  source->ShowFindDialog();
  FindDialog* dialog = source->GetFindDialog();
  dialog->SetText(QStringLiteral("xyz"));
  QVERIFY(!dialog->Find(true));
  QVERIFY(dialog->Status().contains(QStringLiteral("xyz")));

  // The note follows the selection the same way.
  auto* note = test::View<WDNoteView>(*tab.frame, view_ids::kNote);
  QVERIFY(tab.tree->DoCommand(whole, platform::cmd::kShowNote, false));
  QTest::keyClicks(note, QStringLiteral("Any change"));
  show(price);
  QCOMPARE(whole->GetDescription(), std::string("Any change"));
  QVERIFY(note->toPlainText().isEmpty());

  // "Make pattern" writes a pattern for the selected value and tests it at once.
  panes.source->SetRawText("<p>Price: <b>7</b></p>");
  panes.source->SelectPageBytes(13, 1);
  QVERIFY(panes.source->MakePattern());
  QCOMPARE(panes.value->toPlainText(), QStringLiteral("7"));

  // The server sends CR LF line ends; a check, and so the test, sees LF only. The address is listed once.
  const std::string page = "<table>\r\n<tr><td>Price:</td>\r\n<td>  12.50\r\n EUR</td></tr>\r\n</table>\r\n";
  server.Serve("/price", testing::HttpTestServer::Response(page));
  QVERIFY(fetch(server.Url("/price")));
  QVERIFY(fetch(server.Url("/price")));
  QCOMPARE(panes.address->AddressBox()->count(), 1);
  QCOMPARE(panes.source->toPlainText(),
           QStringLiteral("<table>\n<tr><td>Price:</td>\n<td>  12.50\n EUR</td></tr>\n</table>\n"));

  // A pattern over two lines: a two-line value, its first line selected in the source.
  panes.pattern->setPlainText(QStringLiteral("Price:</td>\n<td>{?}</td>"));
  QVERIFY(testEnabled());
  QTest::mouseClick(panes.control->TestButton(), Qt::LeftButton);
  QVERIFY(tab.prompt.messages.empty());
  QCOMPARE(panes.value->toPlainText(), QStringLiteral("12.50\n EUR"));
  QCOMPARE(panes.source->textCursor().selectedText(), QStringLiteral("12.50"));

  // The engine's check of the beacon with the stored pattern gives the same value.
  QVERIFY(panes.pattern->UpdatePane(true));
  QCOMPARE(price->GetPattern(), std::string("Price:</td>\n<td>{?}</td>"));
  const std::vector<engine::PageReport> reports = engine::RunPass(tab.doc, {price->GetPage()});
  QCOMPARE(reports.size(), size_t{1});
  QVERIFY(!reports[0].Failed());
  QCOMPARE(price->GetHistory().GetLast()->GetRawText(), std::string("12.50\n EUR"));

  // A pattern that only text with CR would hold fails in both; so does a value beyond the page limit.
  panes.pattern->setPlainText(QStringLiteral("EUR</td></tr>\r\n</table>{?}"));
  QCOMPARE(RunPatternTest(*tab.frame), text::MatchOk);
  std::string large(CurrentPageLimit() + 100, 'x');
  large += "<b>9</b>";
  panes.source->SetRawText(large);
  panes.pattern->setPlainText(QStringLiteral("<b>{?}</b>"));
  QCOMPARE(RunPatternTest(*tab.frame), text::MatchNotFound);
  QCOMPARE(tab.prompt.messages.size(), size_t{1});
  QVERIFY(panes.value->toPlainText().isEmpty());

  // "Privet" in KOI8-R: shown as Windows-1251 letters until Koi8 is chosen, which fetches nothing.
  const std::string koi8 = "<p>\xF0\xD2\xC9\xD7\xC5\xD4</p>";
  panes.source->SetRawText(koi8);
  QVERIFY(!panes.source->toPlainText().contains(QStringLiteral("Привет")));
  const size_t requests = server.Requests().size();
  panes.address->ChooseCharset(text::CharsetKoi8);
  QCOMPARE(panes.source->toPlainText(), QStringLiteral("<p>Привет</p>"));
  QCOMPARE(price->GetCharset(), text::CharsetKoi8);
  QCOMPARE(panes.source->RawText(), koi8);
  QCOMPARE(server.Requests().size(), requests);
  // A value in the converted text is selected where it is shown.
  panes.pattern->setPlainText(QStringLiteral("<p>{?}</p>"));
  QCOMPARE(RunPatternTest(*tab.frame), text::MatchOk);
  QCOMPARE(panes.source->textCursor().selectedText(), QStringLiteral("Привет"));

  // A failure says why.
  QVERIFY(!fetch(server.Url("/missing")));
  QVERIFY(panes.source->toPlainText().contains(Text(platform::ids::kMsgCantOpenFile)));
  QVERIFY(panes.source->toPlainText().contains(QStringLiteral("404")));
  QVERIFY(!testEnabled());

  // The waiting text at once; closing the program mid-fetch is harmless and ends the fetch soon.
  server.Route("/slow", testing::HttpRoute{{}, 0, 0, true});
  panes.address->AddressBox()->setEditText(FromBytes(server.Url("/slow")));
  QVERIFY(panes.address->ConfirmAddress());
  QVERIFY(panes.source->toPlainText().contains(Text(platform::ids::kMsgFetching)));
  QTest::qWait(100);
  tab.frame->CloseFrame(false);
  tab.frame.reset();
  QVERIFY(engine::FetchWorker::WaitForAll(std::chrono::seconds(5)));
  tab.doc.GetDispatcher()->RunPending();
}

void ViewsTest::PropertyPanesLoadAndStore() {
  // A number beacon N (unit EUR, four samples, two events with alerts off) and a text beacon T.
  test::FrameFixture p;
  model::WDValue* n = test::AddNumber(p.doc, "N", "https://n.example/", {"0", "2", "4", "6"}, 1000, 1);
  n->SetUnit("EUR");
  test::AddEvent(*n, model::kOpNotEqual, {});
  test::AddEvent(*n, model::kOpGreaterEqual, "10").m_actMessage.m_strText = "high\nnow";
  n->GetAlert().SetEnabled(false);
  model::WDValue* t = test::AddBeacon(p.doc, "T", "https://t.example/", "<i>{?}</i>");
  for (int i = 0; i < 3; ++i)
    t->GetHistory().AddRecord(model::WDHistoryRecord("<b>" + std::to_string(i) + "</b>", 2000 + i));
  CMainFrame& frame = p.MakeFrame();
  TTabWnd* tabs = frame.Views().TabWindow();
  frame.show();
  const auto show = [&](model::WDItem* item, int tab) {
    QVERIFY(p.tree->SelectItem(item));
    tabs->SetActiveTab(tab);
  };

  show(t, vid::kTabLink);  // shown, the panes lay out and load as they appear

  // The history strip of a text beacon: its display toggles; the newest sample beside it, then the
  // sample chosen on the time-line.
  show(t, vid::kTabHistoryText);
  auto* strip = test::View<WDHistControl>(frame, vid::kTextHistControl);
  QVERIFY(!strip->TagsButton()->isHidden());
  QSignalSpy flags(strip, &WDHistControl::DisplayFlagsChanged);
  strip->TagsButton()->click();
  QVERIFY(strip->ShowTags() && strip->TagsButton()->isChecked() && !strip->WrapLines());
  QCOMPARE(flags.count(), 1);
  auto* sample = test::View<WDBeaconView>(frame, vid::kHistoryText);
  QCOMPARE(sample->toPlainText(), QStringLiteral("<b>2</b>"));
  auto* timeLine = test::View<QTreeView>(frame, vid::kTextTimeLine);
  timeLine->setCurrentIndex(timeLine->model()->index(2, 0));
  QCOMPARE(sample->toPlainText(), QStringLiteral("<b>0</b>"));

  // Clearing asks 61461; Yes empties the history and the tree takes the history tab away.
  strip->ClearButton()->click();
  QCOMPARE(p.prompt.questions, std::vector<std::string>{platform::GetString(ids::kAskClearHistory)});
  QCOMPARE(t->GetHistory().GetCount(), 3);
  p.prompt.SetNextAnswer(true);
  strip->ClearButton()->click();
  QCOMPARE(t->GetHistory().GetCount(), 0);
  QVERIFY(!tabs->IsTabEnabled(vid::kTabHistoryText));

  // Numbers: no toggles on the graph's strip; the screen pane shows name, value, change and time.
  show(n, vid::kTabHistoryGraph);
  auto* graphStrip = test::View<WDHistControl>(frame, vid::kGraphHistControl);
  QVERIFY(graphStrip->TagsButton()->isHidden() && graphStrip->WrapButton()->isHidden());
  tabs->SetActiveTab(vid::kTabBeaconGraph);
  auto* screen = test::View<WDScreenTab>(frame, vid::kGraphScreen);
  QCOMPARE(screen->NameLabel()->text(), QStringLiteral("N"));
  QCOMPARE(screen->NameLabel()->font(), FontOf(p.context.Settings().Font(1)));
  QCOMPARE(screen->ValueLabel()->text(), QStringLiteral("6 EUR"));
  QCOMPARE(screen->ChangeLabel()->text(), QStringLiteral("+2"));
  QVERIFY(screen->TimeLabel()->text().startsWith(
      QString::fromStdString(text::FormatLocalTime(1003, text::DateTimeFormat()))));

  // The control pane lists the events; the alerts box is enabled with events and follows its tick.
  auto* control = test::View<WDControlTab>(frame, vid::kControl);
  show(n, vid::kTabControl);
  QListWidget* list = control->EventList();
  QCOMPARE(list->count(), 2);
  QCOMPARE(list->item(0)->text(), Text(ids::kValueColumn) + QStringLiteral(" # ") + Text(ids::kAnyChange) +
                                      QStringLiteral("  : <") + Text(ids::kNoMessageText) + QStringLiteral(" >"));
  QCOMPARE(list->item(1)->text(), Text(ids::kValueColumn) + QStringLiteral(" >=10  : <high now >"));
  QVERIFY(control->AlertsBox()->isEnabled());
  QVERIFY(!control->AlertsBox()->isChecked());
  control->AlertsBox()->click();
  QVERIFY(n->GetAlert().IsEnabled());

  // Delete asks 61502; No keeps the event, Yes removes it; the last one takes the alerts box along.
  QVERIFY(!control->DeleteButton()->isEnabled());  // no row chosen
  list->setCurrentRow(0);
  QVERIFY(control->DeleteButton()->isEnabled());
  control->DeleteButton()->click();
  QCOMPARE(p.prompt.questions.back(), platform::GetString(ids::kAskDeleteEvent));
  QCOMPARE(n->GetAlert().GetEventCount(), size_t{2});
  p.prompt.SetNextAnswer(true);
  control->DeleteButton()->click();
  QCOMPARE(n->GetAlert().GetEventCount(), size_t{1});
  QCOMPARE(list->count(), 1);
  list->setCurrentRow(0);
  p.prompt.SetNextAnswer(true);
  control->DeleteButton()->click();
  QCOMPARE(list->count(), 0);
  QVERIFY(!control->AlertsBox()->isEnabled());
  QVERIFY(!control->DeleteButton()->isEnabled());
  QCOMPARE(control->TypeList()->currentIndex(), 1);
  QVERIFY(control->UnitText()->isEnabled());
  QCOMPARE(control->UnitText()->text(), QStringLiteral("EUR"));

  // Text instead of number: the unit edit goes; the next selection stores kind 2 without a unit.
  control->TypeList()->setCurrentIndex(0);
  QVERIFY(!control->UnitText()->isEnabled());
  QCOMPARE(n->GetKind(), model::kKindNumber);  // not before the store
  p.doc.SetModifiedFlag(false);
  QVERIFY(p.tree->SelectItem(t));
  QCOMPARE(n->GetKind(), model::kKindText);
  QCOMPARE(n->GetUnit(), std::string());
  QVERIFY(p.doc.IsModified());

  // A period count that is no whole number: 61719, and nothing of that store is written.
  control->PeriodCount()->setText(QStringLiteral("1.5"));
  control->TypeList()->setCurrentIndex(2);
  control->KeepHistoryBox()->setChecked(false);
  frame.Views().Notify(TabNotify::Store, {});
  QCOMPARE(p.prompt.messages, std::vector<std::string>{platform::GetString(ids::kMsgPositiveInteger)});
  QCOMPARE(t->GetKind(), model::kKindText);
  QVERIFY(t->GetHistory().IsKeepAll());
  // Moving to another tab stores what was typed.
  control->PeriodCount()->setText(QStringLiteral("12"));
  tabs->SetActiveTab(vid::kTabLink);
  QCOMPARE(t->GetKind(), model::kKindChecksum);
  QCOMPARE(t->GetPage()->m_freq.m_nCount, 12);
  QVERIFY(!t->GetHistory().IsKeepAll());

  // Monitoring off: no schedule. On: the whole schedule is enabled at once, "once per run" or not,
  // until the next load.
  t->SetEnabled(false);
  t->GetPage()->m_freq.m_bAtStartOnly = 1;
  frame.Views().Notify(TabNotify::Reload, {});
  for (QWidget* w :
       std::initializer_list<QWidget*>{control->PeriodCount(), control->PeriodUnitList(), control->AtStartBox()}) {
    QVERIFY(!w->isEnabled());
  }
  p.doc.SetModifiedFlag(false);
  control->MonitoringBox()->click();
  QVERIFY(t->IsEnabled());
  QVERIFY(p.doc.IsModified());
  QVERIFY(control->PeriodCount()->isEnabled());
  QVERIFY(control->PeriodUnitList()->isEnabled());
  QVERIFY(control->AtStartBox()->isEnabled());
  frame.Views().Notify(TabNotify::Reload, {});
  QVERIFY(!control->PeriodCount()->isEnabled());
  QVERIFY(!control->PeriodUnitList()->isEnabled());
  control->AtStartBox()->click();
  QVERIFY(control->PeriodCount()->isEnabled());
}

}  // namespace quorvex::gui

QTEST_MAIN(quorvex::gui::ViewsTest)
#include "views_test.moc"
