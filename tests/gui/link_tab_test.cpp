// The link tab on real widgets: the test button's rules, the test as a check runs it, character sets,
// and fetches into the page-source pane against a loopback server.
#include "gui/views/link_tab.h"

#include <QComboBox>
#include <QPushButton>
#include <QTextBlock>
#include <QTextLayout>
#include <QTreeView>

#include "engine/fetch_pass.h"
#include "engine/fetch_worker.h"
#include "gui/textview/beacon_view.h"
#include "gui/textview/find_dialog.h"
#include "gui/textview/html_highlighter.h"
#include "gui/textview/note_view.h"
#include "gui/textview/pattern_edit.h"
#include "gui/textview/source_view.h"
#include "gui/views/link_address.h"
#include "gui/views/link_control.h"
#include "gui_test_support.h"
#include "support/http_test_server.h"
#include "text/code_page.h"
#include "text/pattern_matcher.h"

namespace quorvex::gui {
namespace {

struct LinkTab : test::FrameFixture {
  LinkTab() {
    price = test::AddBeacon(doc, "Price", server.Url("/price"), "<b>{?}</b>");
    whole = test::AddBeacon(doc, "Whole page", server.Url("/price"));
    MakeFrame();
    Show(price);
  }
  // The window closes while the server still answers.
  ~LinkTab() {
    if (frame) frame->CloseFrame(false);
  }
  void Show(model::WDValue* beacon) {
    QVERIFY(tree->SelectItem(beacon));
    QVERIFY(tree->DoCommand(beacon, platform::cmd::kShowLink, false));
    panes = FindLinkPanes(*frame);
  }
  bool TestEnabled() const { return panes.control->TestButton()->isEnabled(); }
  // Fetches the address into the source pane and waits for the end.
  bool Fetch(const std::string& url) {
    QSignalSpy done(panes.source, &WDSourceView::FetchFinished);
    panes.address->AddressBox()->setEditText(FromBytes(url));
    return panes.address->ConfirmAddress() && test::PumpUntil(doc, [&] { return !done.isEmpty(); }) &&
           done.first().first().toBool();
  }

  testing::HttpTestServer server;
  model::WDValue* price = nullptr;
  model::WDValue* whole = nullptr;
  LinkPanes panes;
};

}  // namespace

class LinkTabTest : public QObject {
  Q_OBJECT

 private slots:
  void TestButtonAndFind();
  void FetchAndTestAsTheCheck();
  void PanesLoadAndStore();
};

void LinkTabTest::TestButtonAndFind() {
  LinkTab tab;
  QVERIFY(tab.panes.source && tab.panes.pattern && tab.panes.value && tab.panes.control && tab.panes.address);
  // A pattern, but no page yet; then a page.
  QVERIFY(!tab.TestEnabled());
  tab.panes.source->SetRawText("<b>7</b>");
  QVERIFY(tab.TestEnabled());
  // Coloured as HTML, legibly on a dark palette too.
  const QList<QTextLayout::FormatRange> formats = tab.panes.source->document()->firstBlock().layout()->formats();
  QVERIFY(!formats.isEmpty());
  QCOMPARE(formats.first().format.foreground().color(), tab.panes.source->Highlighter()->Colors().tag);
  QPalette dark;
  dark.setColor(QPalette::Base, Qt::black);
  QVERIFY(HtmlColorsFor(dark).tag.lightness() > 128 && HtmlColorsFor(dark).comment.lightness() > 128);
  // Emptied pattern: off; the first character typed: on.
  tab.panes.pattern->clear();
  QVERIFY(!tab.TestEnabled());
  QTest::keyClicks(tab.panes.pattern, QStringLiteral("<"));
  QVERIFY(tab.TestEnabled());
  // A waiting message is no page.
  tab.panes.source->ShowMessage(Text(platform::ids::kMsgFetching));
  QVERIFY(!tab.TestEnabled());
  // A checksum beacon of the same page has no pattern to test.
  tab.panes.source->SetRawText("<b>7</b>");
  tab.Show(tab.whole);
  QVERIFY(!tab.panes.pattern->isEnabled());
  QVERIFY(!tab.TestEnabled());
  QVERIFY(tab.panes.pattern->toPlainText().endsWith(Text(platform::ids::kAnyChange)));
  QVERIFY(!tab.panes.pattern->UpdatePane(true));
  QCOMPARE(tab.whole->GetPattern(), std::string());

  // Find: match case, direction and wrap.
  tab.panes.source->SetRawText("Abc abc\nabc");
  WDSourceView* source = tab.panes.source;
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
}

void LinkTabTest::FetchAndTestAsTheCheck() {
  LinkTab tab;
  // The server sends CR LF line ends; a check, and so the test, sees LF only. The address is listed once.
  const std::string page = "<table>\r\n<tr><td>Price:</td>\r\n<td>  12.50\r\n EUR</td></tr>\r\n</table>\r\n";
  tab.server.Serve("/price", testing::HttpTestServer::Response(page));
  QVERIFY(tab.Fetch(tab.server.Url("/price")));
  QVERIFY(tab.Fetch(tab.server.Url("/price")));
  QCOMPARE(tab.panes.address->AddressBox()->count(), 1);
  QCOMPARE(tab.panes.source->toPlainText(),
           QStringLiteral("<table>\n<tr><td>Price:</td>\n<td>  12.50\n EUR</td></tr>\n</table>\n"));

  // A pattern over two lines: a two-line value, its first line selected in the source.
  tab.panes.pattern->setPlainText(QStringLiteral("Price:</td>\n<td>{?}</td>"));
  QVERIFY(tab.TestEnabled());
  QTest::mouseClick(tab.panes.control->TestButton(), Qt::LeftButton);
  QVERIFY(tab.prompt.messages.empty());
  QCOMPARE(tab.panes.value->toPlainText(), QStringLiteral("12.50\n EUR"));
  QCOMPARE(tab.panes.source->textCursor().selectedText(), QStringLiteral("12.50"));

  // The engine's check of the beacon with the stored pattern gives the same value.
  QVERIFY(tab.panes.pattern->UpdatePane(true));
  QCOMPARE(tab.price->GetPattern(), std::string("Price:</td>\n<td>{?}</td>"));
  const std::vector<engine::PageReport> reports = engine::RunPass(tab.doc, {tab.price->GetPage()});
  QCOMPARE(reports.size(), size_t{1});
  QVERIFY(!reports[0].Failed());
  QCOMPARE(tab.price->GetHistory().GetLast()->GetRawText(), std::string("12.50\n EUR"));

  // A pattern that only text with CR would hold fails in both; so does a value beyond the page limit.
  tab.panes.pattern->setPlainText(QStringLiteral("EUR</td></tr>\r\n</table>{?}"));
  QCOMPARE(RunPatternTest(*tab.frame), text::MatchOk);
  std::string large(CurrentPageLimit() + 100, 'x');
  large += "<b>9</b>";
  tab.panes.source->SetRawText(large);
  tab.panes.pattern->setPlainText(QStringLiteral("<b>{?}</b>"));
  QCOMPARE(RunPatternTest(*tab.frame), text::MatchNotFound);
  QCOMPARE(tab.prompt.messages.size(), size_t{1});
  QVERIFY(tab.panes.value->toPlainText().isEmpty());

  // "Privet" in KOI8-R: shown as Windows-1251 letters until Koi8 is chosen, which fetches nothing.
  const std::string koi8 = "<p>\xF0\xD2\xC9\xD7\xC5\xD4</p>";
  tab.panes.source->SetRawText(koi8);
  QVERIFY(!tab.panes.source->toPlainText().contains(QStringLiteral("Привет")));
  const size_t requests = tab.server.Requests().size();
  tab.panes.address->ChooseCharset(text::CharsetKoi8);
  QCOMPARE(tab.panes.source->toPlainText(), QStringLiteral("<p>Привет</p>"));
  QCOMPARE(tab.price->GetCharset(), text::CharsetKoi8);
  QCOMPARE(tab.panes.source->RawText(), koi8);
  QCOMPARE(tab.server.Requests().size(), requests);
  // A value in the converted text is selected where it is shown.
  tab.panes.pattern->setPlainText(QStringLiteral("<p>{?}</p>"));
  QCOMPARE(RunPatternTest(*tab.frame), text::MatchOk);
  QCOMPARE(tab.panes.source->textCursor().selectedText(), QStringLiteral("Привет"));

  // A failure says why.
  QVERIFY(!tab.Fetch(tab.server.Url("/missing")));
  QVERIFY(tab.panes.source->toPlainText().contains(Text(platform::ids::kMsgCantOpenFile)));
  QVERIFY(tab.panes.source->toPlainText().contains(QStringLiteral("404")));
  QVERIFY(!tab.TestEnabled());

  // The waiting text at once; closing the program mid-fetch is harmless and ends the fetch soon.
  tab.server.Route("/slow", testing::HttpRoute{{}, 0, 0, true});
  tab.panes.address->AddressBox()->setEditText(FromBytes(tab.server.Url("/slow")));
  QVERIFY(tab.panes.address->ConfirmAddress());
  QVERIFY(tab.panes.source->toPlainText().contains(Text(platform::ids::kMsgFetching)));
  QTest::qWait(100);
  tab.frame->CloseFrame(false);
  tab.frame.reset();
  QVERIFY(engine::FetchWorker::WaitForAll(std::chrono::seconds(5)));
  tab.doc.GetDispatcher()->RunPending();
}

void LinkTabTest::PanesLoadAndStore() {
  LinkTab tab;
  // A pattern being written survives a fetch's reload; it is stored without CR when the selection moves.
  tab.panes.pattern->moveCursor(QTextCursor::End);
  QTest::keyClicks(tab.panes.pattern, QStringLiteral("<i>{?}"));
  tab.tree->NotifyTabs(TabNotify::PageFetch, {});
  QCOMPARE(tab.panes.pattern->toPlainText(), QStringLiteral("<b>{?}</b><i>{?}"));
  tab.Show(tab.whole);
  QCOMPARE(tab.price->GetPattern(), std::string("<b>{?}</b><i>{?}"));
  QVERIFY(tab.doc.IsModified());

  // The note follows the selection the same way.
  auto* note = test::View<WDNoteView>(*tab.frame, view_ids::kNote);
  QVERIFY(tab.tree->DoCommand(tab.whole, platform::cmd::kShowNote, false));
  QTest::keyClicks(note, QStringLiteral("Any change"));
  tab.Show(tab.price);
  QCOMPARE(tab.whole->GetDescription(), std::string("Any change"));
  QVERIFY(note->toPlainText().isEmpty());

  // The history's value pane shows the newest sample, then the sample chosen on the time-line.
  for (const char* text : {"1", "2", "3"}) tab.price->GetHistory().AddRecord(model::WDHistoryRecord(text, 1000));
  tab.frame->show();
  tab.Show(tab.whole);
  tab.Show(tab.price);
  QVERIFY(tab.tree->DoCommand(tab.price, platform::cmd::kShowHistory, false));
  auto* history = test::View<WDBeaconView>(*tab.frame, view_ids::kHistoryText);
  auto* timeLine = test::View<QTreeView>(*tab.frame, view_ids::kTextTimeLine);
  QCOMPARE(history->toPlainText(), QStringLiteral("3"));
  timeLine->setCurrentIndex(timeLine->model()->index(2, 0));
  QCOMPARE(history->toPlainText(), QStringLiteral("1"));

  // "Make pattern" writes a pattern for the selected value and tests it at once.
  tab.Show(tab.price);
  tab.panes.source->SetRawText("<p>Price: <b>7</b></p>");
  tab.panes.source->SelectPageBytes(13, 1);
  QVERIFY(tab.panes.source->MakePattern());
  QVERIFY(!tab.panes.pattern->toPlainText().isEmpty());
  QCOMPARE(tab.panes.value->toPlainText(), QStringLiteral("7"));
}

}  // namespace quorvex::gui

QTEST_MAIN(quorvex::gui::LinkTabTest)
#include "link_tab_test.moc"
