// The folder list and the time-lines (their models, rows, colours, commands and the notifications they
// follow) and the history graph (its scale, grid and day lines, and what it paints).
#include <algorithm>
#include <ctime>

#include "gui/views/bcn_list_model.h"
#include "gui/views/bcn_list_view.h"
#include "gui/views/graph_geometry.h"
#include "gui/views/graph_view.h"
#include "gui/views/sample_chooser.h"
#include "gui/views/time_line_view.h"
#include "gui_test_support.h"
#include "model/val_page.h"
#include "platform/clock.h"
#include "text/time_format.h"

using namespace quorvex;
using namespace quorvex::gui;
namespace vid = quorvex::gui::view_ids;

namespace {

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

}  // namespace

class ListViewsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    qputenv("TZ", "UTC");
    tzset();
    platform::SetFixedNow(kNow);
  }
  void cleanupTestCase() { platform::SetFixedNow(-1); }
  void FolderListAndTimeLine();
  void GraphScaleDaysMarkerAndFolder();
};

void ListViewsTest::FolderListAndTimeLine() {
  // Texts too long for their column end in dots; the column titles need their commas.
  const QFontMetrics metrics(QApplication::font());
  const QString address = QStringLiteral("http://www.example.com/a/very/long/path/to/a/page/that/goes/on.html");
  QCOMPARE(FitText(address, metrics, metrics.horizontalAdvance(address)), address);
  const int room = metrics.horizontalAdvance(address) / 2;
  const QString fitted = FitText(address, metrics, room);
  QVERIFY(fitted.endsWith(QStringLiteral("...")));
  const QString head = fitted.chopped(3);
  QVERIFY(address.startsWith(head));
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
  test::View<WDTimeLineView>(frame, vid::kTextTimeLine);
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
  NotifyParam fetched;
  fetched.address = same->GetURL();
  frame.Views().Notify(TabNotify::PageFetch, fetched);
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
  using namespace platform::cmd;
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
  NotifyParam item;
  item.item = fall;
  frame.Views().Notify(TabNotify::ItemDeleting, item);
  QCOMPARE(rows.FindRow(fall), -1);
  QCOMPARE(rows.rowCount(), 3);
  item.item = rise;
  frame.Views().Notify(TabNotify::BeaconInserted, item);
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

void ListViewsTest::GraphScaleDaysMarkerAndFolder() {
  // Nothing to span: the range of 3.
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
}

QTEST_MAIN(ListViewsTest)
#include "list_views_test.moc"
