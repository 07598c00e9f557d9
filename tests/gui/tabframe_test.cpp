// The main window's view framework: layout by object id, tabs, splitters, notifications.
#include "gui/tabframe/splitter_wnd.h"
#include "gui/views/placeholder_view.h"
#include "gui_test_support.h"

using namespace quorvex::gui;
namespace vid = quorvex::gui::view_ids;

namespace {

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

class TabFrameTest : public QObject {
  Q_OBJECT

 private slots:
  void LayoutTabsNotificationsAndSplitters();
};

void TabFrameTest::LayoutTabsNotificationsAndSplitters() {
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
  namespace ids = quorvex::platform::ids;
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

QTEST_MAIN(TabFrameTest)
#include "tabframe_test.moc"
