// The panes of a beacon's tabs on real widgets. The link tab: the test button's rules, the test as a
// check runs it, character sets, find, and fetches into the page-source pane against a loopback server. The
// property panes: the history strip and the screen pane, the control pane's alert event rows, loading,
// enabling rules, immediate changes and store.
#include "engine/fetch_pass.h"
#include "engine/fetch_worker.h"
#include "gui/shell/font_dialog.h"
#include "gui/textview/beacon_view.h"
#include "gui/textview/find_dialog.h"
#include "gui/textview/html_highlighter.h"
#include "gui/textview/note_view.h"
#include "gui/textview/pattern_edit.h"
#include "gui/textview/source_view.h"
#include "gui/views/control_tab.h"
#include "gui/views/hist_control.h"
#include "gui/views/link_address.h"
#include "gui/views/link_control.h"
#include "gui/views/link_tab.h"
#include "gui/views/screen_tab.h"
#include "gui_test_support.h"
#include "model/val_page.h"
#include "platform/string_table.h"
#include "support/http_test_server.h"
#include "text/code_page.h"
#include "text/pattern_matcher.h"
#include "text/time_format.h"

namespace quorvex::gui {
namespace {

namespace ids = platform::ids;
namespace vid = view_ids;

}  // namespace

class PanesTest : public QObject {
  Q_OBJECT

 private slots:
  void LinkPanesFetchAndTest();
  void PropertyPanesLoadAndStore();
};

void PanesTest::LinkPanesFetchAndTest() {
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
  // A waiting message is no page.
  panes.source->ShowMessage(Text(platform::ids::kMsgFetching));
  QVERIFY(!testEnabled());

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
  QVERIFY(!panes.pattern->toPlainText().isEmpty());
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

void PanesTest::PropertyPanesLoadAndStore() {
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
  // No events: the alerts box is off and disabled.
  QVERIFY(!control->AlertsBox()->isEnabled() && !control->AlertsBox()->isChecked());

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

QTEST_MAIN(quorvex::gui::PanesTest)
#include "panes_test.moc"
