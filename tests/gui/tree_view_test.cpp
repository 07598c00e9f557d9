// The catalog tree on real widgets: its model, the tab rules, deleting, naming, moving, and a real fetch.
#include "gui/views/tree_view.h"

#include <QAbstractItemModelTester>
#include <QLineEdit>
#include <QTreeView>

#include "engine/fetch_worker.h"
#include "gui/shell/gui_text.h"
#include "gui/shell/icons.h"
#include "gui/shell/main_frame.h"
#include "gui/tabframe/tab_wnd.h"
#include "gui/tabframe/visual_framework.h"
#include "gui/views/bcn_list_model.h"
#include "gui/views/bcn_list_view.h"
#include "gui/views/catalog_tree_model.h"
#include "gui/views/view_ids.h"
#include "gui_test_support.h"
#include "platform/command_ids.h"
#include "support/http_test_server.h"

namespace quorvex::gui {
namespace {

using namespace platform::cmd;
namespace tabs = view_ids;

// A catalog: root > Shop (A, B: numbers with history) and Empty; Notes (C: text, one sample) at the root.
struct Catalog : test::FrameFixture {
  Catalog() {
    shop = static_cast<model::WDGroup*>(doc.GetRoot()->AddChild(new model::WDGroup("Shop", "")));
    empty = static_cast<model::WDGroup*>(shop->AddChild(new model::WDGroup("Empty", "")));
    a = Number("A", "https://a.example/");
    b = Number("B", "https://b.example/");
    c = test::AddBeacon(doc, "C", "https://c.example/", "<b>{?}</b>");
    c->GetHistory().AddRecord(model::WDHistoryRecord("one", 1000));
    MakeFrame();
    tree = CatalogTree(*frame);
  }
  model::WDValue* Number(const std::string& name, const std::string& url) {
    model::WDValue* value = test::AddBeacon(doc, name, url, "<b>{?}</b>");
    doc.GetRoot()->RemoveChild(value);
    shop->AddChild(value);
    value->SetKind(model::kKindNumber);
    value->SetUnit("EUR");
    for (int i = 0; i < 4; ++i) value->GetHistory().AddRecord(model::WDHistoryRecord(std::to_string(i) + " EUR", i));
    return value;
  }
  int ActiveTab() const { return frame->Views().TabWindow()->ActiveTab(); }
  QString Name(const model::WDItem* item) const { return FromBytes(item->GetName()); }

  WDTreeView* tree = nullptr;
  model::WDGroup* shop = nullptr;
  model::WDGroup* empty = nullptr;
  model::WDValue *a = nullptr, *b = nullptr, *c = nullptr;
};

}  // namespace

class TreeViewTest : public QObject {
  Q_OBJECT

 private slots:
  void ModelAndEditing();
  void Tabs();
  void DeleteAndMove();
  void FetchUpdatesIcon();
};

void TreeViewTest::ModelAndEditing() {
  Catalog cat;
  QAbstractItemModelTester tester(cat.tree->Tree()->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
  CatalogTreeModel* model = cat.tree->Model();
  QCOMPARE(model->rowCount(model->IndexOf(cat.doc.GetRoot())), 2);
  QCOMPARE(model->StateImage(model->IndexOf(cat.doc.GetRoot())), state_image::kFolderOpen);
  QCOMPARE(model->StateImage(model->IndexOf(cat.shop)), state_image::kFolderClosed);

  // Renaming: an empty text keeps the name; a new one re-sorts the folder.
  const QModelIndex aIndex = model->IndexOf(cat.a);
  QVERIFY(model->setData(aIndex, QString()));
  QCOMPARE(cat.Name(cat.a), QStringLiteral("A"));
  QVERIFY(model->setData(aIndex, QStringLiteral("Zed")));
  QCOMPARE(cat.Name(cat.a), QStringLiteral("Zed"));
  QCOMPARE(model->IndexOf(cat.a).row(), 2);
  QVERIFY(cat.doc.IsModified());

  // A new folder whose naming is cancelled goes again; one that is named stays.
  QVERIFY(cat.tree->SelectItem(cat.shop));
  QVERIFY(cat.frame->OnCommand(kNewFolder));
  QCOMPARE(cat.shop->GetChildCount(), size_t{4});
  auto* editor = cat.tree->Tree()->viewport()->findChild<QLineEdit*>();
  QVERIFY(editor);
  QTest::keyClick(editor, Qt::Key_Escape);
  QCOMPARE(cat.shop->GetChildCount(), size_t{3});
  QCOMPARE(model->rowCount(model->IndexOf(cat.shop)), 3);
  QCOMPARE(cat.tree->GetCurrentItem(), cat.shop);

  // The filter narrows to matching beacons and keeps their folders; the catalog is untouched.
  cat.tree->FilterBox()->setText(QStringLiteral("b.example"));
  QAbstractItemModel* shown = cat.tree->Tree()->model();
  const QModelIndex root = shown->index(0, 0);
  QCOMPARE(shown->rowCount(root), 1);
  QCOMPARE(shown->rowCount(shown->index(0, 0, root)), 1);
  cat.tree->FilterBox()->clear();
  QCOMPARE(shown->rowCount(root), 2);
}

void TreeViewTest::Tabs() {
  Catalog cat;
  QCOMPARE(cat.ActiveTab(), tabs::kTabFolderList);
  QVERIFY(cat.tree->SelectItem(cat.a));
  QCOMPARE(cat.ActiveTab(), tabs::kTabBeaconGraph);
  QVERIFY(cat.tree->DoCommand(cat.a, kShowHistory, false));
  QCOMPARE(cat.ActiveTab(), tabs::kTabHistoryGraph);
  // One number beacon after another keeps the tab.
  QVERIFY(cat.tree->SelectItem(cat.b));
  QCOMPARE(cat.ActiveTab(), tabs::kTabHistoryGraph);
  QCOMPARE(cat.frame->Views().TabWindow()->Caption(), QStringLiteral("B"));
  // Too few samples: no history, and the history tab gives way to the beacon tab.
  QVERIFY(!cat.tree->DoCommand(cat.c, kShowHistory, true));
  QVERIFY(!cat.tree->DoCommand(cat.c, kExportHistory, true));
  QVERIFY(cat.tree->SelectItem(cat.c));
  QCOMPARE(cat.ActiveTab(), tabs::kTabBeaconText);
  TTabWnd* tabWnd = cat.frame->Views().TabWindow();
  QVERIFY(!tabWnd->IsTabEnabled(tabs::kTabHistoryText));
  QVERIFY(!tabWnd->IsTabEnabled(tabs::kTabHistoryGraph));
  QVERIFY(tabWnd->IsTabEnabled(tabs::kTabLink));
  // A folder always shows its list.
  QVERIFY(cat.tree->SelectItem(cat.shop));
  QCOMPARE(cat.ActiveTab(), tabs::kTabFolderList);
  QVERIFY(!tabWnd->IsTabEnabled(tabs::kTabControl));
  // Commands on a folder: only delete is offered.
  QVERIFY(!cat.tree->DoCommand(cat.shop, kMonitoring, true));
  QVERIFY(!cat.tree->DoCommand(nullptr, kDeleteItem, true));
}

void TreeViewTest::DeleteAndMove() {
  Catalog cat;
  CatalogTreeModel* model = cat.tree->Model();
  // Drops that move nothing: onto itself, into its own child, into the folder it is in, onto a beacon.
  QVERIFY(!cat.tree->DropItem(cat.shop, cat.shop));
  QVERIFY(!cat.tree->DropItem(cat.shop, cat.empty));
  QVERIFY(!cat.tree->DropItem(cat.a, cat.shop));
  QVERIFY(!cat.tree->DropItem(cat.c, cat.a));
  QCOMPARE(cat.tree->ParentOf(cat.empty), cat.shop);
  // A real move: the catalog and the tree follow, the moved item is selected.
  QVERIFY(cat.tree->DropItem(cat.a, cat.empty));
  QCOMPARE(cat.tree->ParentOf(cat.a), cat.empty);
  QVERIFY(cat.empty->Contains(cat.a));
  QVERIFY(!cat.shop->m_children.empty() && cat.shop->m_children.back() != cat.a);
  QCOMPARE(cat.tree->GetSelectedItem(), cat.a);

  // A folder with children cannot be deleted; an empty one goes without a question.
  QVERIFY(!cat.tree->DoCommand(cat.empty, kDeleteItem, true));
  QVERIFY(!cat.tree->DeleteTreeItem(cat.empty));
  QVERIFY(cat.tree->DropItem(cat.a, cat.shop));
  QVERIFY(cat.tree->DoCommand(cat.empty, kDeleteItem, true));
  QVERIFY(cat.tree->DeleteTreeItem(cat.empty));
  QVERIFY(cat.prompt.questions.empty());
  QCOMPARE(cat.shop->GetChildCount(), size_t{2});
  // A beacon asks first: No keeps it, Yes deletes it.
  cat.prompt.SetNextAnswer(false);
  QVERIFY(!cat.tree->DeleteTreeItem(cat.b));
  QVERIFY(model->IndexOf(cat.b).isValid());
  cat.prompt.SetNextAnswer(true);
  QVERIFY(cat.tree->DeleteTreeItem(cat.b));
  QCOMPARE(cat.prompt.questions.size(), size_t{2});
  QCOMPARE(cat.shop->GetChildCount(), size_t{1});
  QCOMPARE(model->rowCount(model->IndexOf(cat.shop)), 1);
}

void TreeViewTest::FetchUpdatesIcon() {
  Catalog cat;
  testing::HttpTestServer server;
  server.Serve("/price", testing::HttpTestServer::Response("<b>42 EUR</b>"));
  model::WDValue* price = test::AddBeacon(cat.doc, "Price", server.Url("/price"), "<b>{?}</b>");
  QVERIFY(cat.tree->AddItem(price, cat.doc.GetRoot()));
  CatalogTreeModel* model = cat.tree->Model();
  QCOMPARE(model->StateImage(model->IndexOf(price)), state_image::kDue);
  // The folder list (of the root, which is shown) fills at its first show.
  cat.frame->show();
  auto* list = qobject_cast<WDBcnListView*>(cat.frame->Views().GetObject(tabs::kFolderList));
  QVERIFY(list);
  const int row = list->Model()->FindRow(price);
  QVERIFY(row >= 0);

  QVERIFY(cat.tree->DoCommand(price, kRefreshNow, false));
  // While it is fetched the beacon shows the animation's frames.
  QCOMPARE(model->StateImage(model->IndexOf(price)), state_image::kNormal);
  cat.tree->OnAnimationStep(1);
  QCOMPARE(model->StateImage(model->IndexOf(price)), state_image::kFetch2);
  QVERIFY(engine::FetchWorker::WaitForAll(std::chrono::seconds(10)));
  cat.doc.GetDispatcher()->RunPending();
  QCOMPARE(price->GetHistory().GetCount(), 1);
  QCOMPARE(model->StateImage(model->IndexOf(price)), state_image::kNormal);
  QCOMPARE(list->Model()->data(list->Model()->index(row, 1)).toString(), QStringLiteral("42 EUR"));
  cat.tree->OnAnimationStep(2);
  QCOMPARE(model->StateImage(model->IndexOf(price)), state_image::kNormal);
}

}  // namespace quorvex::gui

QTEST_MAIN(quorvex::gui::TreeViewTest)
#include "tree_view_test.moc"
