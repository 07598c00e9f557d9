// The history graph: its scale, grid and day lines, and what it paints.
#include "gui/views/graph_view.h"

#include <QImage>
#include <QScrollBar>
#include <QtTest>
#include <algorithm>
#include <ctime>

#include "gui/views/graph_geometry.h"
#include "gui/views/sample_chooser.h"
#include "model/group.h"
#include "model/value.h"
#include "platform/clock.h"

using namespace quorvex;
using namespace quorvex::gui;

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

// Shows the view at that size and tells it of the selection.
void Show(WDGraphView& view, int width, int height) {
  view.resize(width, height);
  view.show();
  if (!QTest::qWaitForWindowExposed(&view)) qFatal("the graph was never shown");
  view.OnNotify(TabNotify::SelectionApplied, {});
}

class Chooser : public QObject, public SampleChooser {
 public:
  const model::WDHistoryRecord* GetSelectedRecord() const override { return record; }
  const model::WDHistoryRecord* record = nullptr;
};

}  // namespace

class GraphViewTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    qputenv("TZ", "UTC");
    tzset();
    platform::SetFixedNow(kNow);
  }
  void cleanupTestCase() { platform::SetFixedNow(-1); }
  void ScaleAndGridStep();
  void ThirtyDaysInTenDaysWidth();
  void FolderLeavesOnlyTheBackground();
  void ChosenSampleGetsTheMarker();
};

void GraphViewTest::ScaleAndGridStep() {
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

  // Only negative samples, through the view: the range is |min| and the zero line lies above them.
  model::WDValue value;
  Fill(value, {"-5", "-2", "-4"}, kHour);
  WDGraphView view([&value] { return &value; });
  Show(view, 300, 200);
  const graph::ValueScale& scale = view.GetValueScale();
  QCOMPARE(scale.fRange, 5.0);
  QCOMPARE(view.GetGraphRect().height(), 150);
  const int zero = graph::ValueToY(169, scale, 0);
  QVERIFY(zero > 0);
  QVERIFY(zero < graph::ValueToY(169, scale, -2));
  QVERIFY(graph::ValueToY(169, scale, -5) <= 169);
}

void GraphViewTest::ThirtyDaysInTenDaysWidth() {
  model::WDValue value;
  Fill(value, {"10", "12", "11", "15", "14", "13", "18", "16", "17", "20", "19"}, 3 * kDay);
  WDGraphView view([&value] { return &value; });
  Show(view, 240, 200);
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
}

void GraphViewTest::FolderLeavesOnlyTheBackground() {
  model::WDGroup folder;
  WDGraphView view([&folder] { return &folder; });
  Show(view, 200, 120);
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

void GraphViewTest::ChosenSampleGetsTheMarker() {
  model::WDValue value;
  Fill(value, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}, 2 * kDay);
  // Told while hidden, as on a tab not shown: the centring holds once the view has its size.
  WDGraphView view([&value] { return &value; });
  view.OnNotify(TabNotify::SelectionApplied, {});
  view.resize(240, 150);
  view.show();
  QVERIFY(QTest::qWaitForWindowExposed(&view));
  QCOMPARE(view.GetMarkX(), 18 * 24);  // now, at the newest sample
  QCOMPARE(view.horizontalScrollBar()->value(), 18 * 24 - 240);

  Chooser chooser;
  chooser.record = value.GetHistory().GetAt(3);
  QVERIFY(view.OnNotify(TabNotify::Changed, {nullptr, {}, 0, &chooser}));
  QCOMPARE(view.GetMarkX(), 6 * 24);
  QCOMPARE(view.horizontalScrollBar()->value(), 6 * 24 - 120);
  QVERIFY(!view.OnNotify(TabNotify::Store, {}));
}

QTEST_MAIN(GraphViewTest)
#include "graph_view_test.moc"
