#include "gui/views/graph_view.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPolygonF>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

#include "gui/shell/font_dialog.h"
#include "gui/shell/gui_text.h"
#include "gui/views/sample_chooser.h"
#include "model/history.h"
#include "model/value.h"
#include "platform/clock.h"
#include "settings/app_context.h"
#include "settings/settings.h"
#include "text/time_format.h"
#include "text/value_text.h"

namespace quorvex::gui {

namespace {

constexpr char kMonthFormat[] = "%B  %Y";
constexpr int kInitialScrollSize = 10;
constexpr int kHoursPerDay = 24;
constexpr int kGridLabelDigits = 2;
// A value grid never draws more lines than this, whatever the numbers.
constexpr int kMaxGridLines = 2048;

const QColor kInk(Qt::black);
const QColor kMonthStart(255, 0, 0);
const QColor kCurve(0, 0, 128);
const QColor kMarker(255, 0, 0);

// Hairlines (axes, grid, day lines) stay one device pixel at any screen scale, so they stay crisp.
QPen Hairline(const QColor& color, Qt::PenStyle style = Qt::SolidLine) {
  QPen pen(color, 1, style);
  pen.setCosmetic(true);
  return pen;
}

// The curve and the marker are two logical pixels wide, so that they keep their weight on a scaled screen.
QPen WidePen(const QColor& color) {
  return QPen(color, 2, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin);
}

}  // namespace

WDGraphView::WDGraphView(ItemSource selected, QWidget* parent)
    : QAbstractScrollArea(parent), m_selected(std::move(selected)) {
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);  // the scroll height is always below the view's
  setFrameShape(QFrame::NoFrame);
  horizontalScrollBar()->setSingleStep(kHoursPerDay);
  m_nScrollWidth = kInitialScrollSize;
  m_tsWindow = viewport()->width() * graph::kSecondsPerPixel;
  ApplyScrollRange();
}

model::WDValue* WDGraphView::SelectedValue() const {
  return dynamic_cast<model::WDValue*>(m_selected ? m_selected() : nullptr);
}

int64_t WDGraphView::Origin(const model::WDValue& value) const {
  return graph::TimeOrigin(value.GetHistory(), platform::Now(), viewport()->width());
}

bool WDGraphView::OnNotify(TabNotify code, const NotifyParam& param) {
  // A centring still waiting for the tab to be shown is replaced by a new one (or by none).
  if (code == TabNotify::Changed || code == TabNotify::Reload || code == TabNotify::SelectionApplied) {
    m_pendingCentre.reset();
  }
  switch (code) {
    case TabNotify::Changed: {
      RecalcScrollSizes();
      ComputeScale();
      int64_t t = platform::Now();
      if (const auto* chooser = dynamic_cast<const SampleChooser*>(param.sender)) {
        if (const model::WDHistoryRecord* record = chooser->GetSelectedRecord()) t = record->GetTime();
      }
      CenterAfterLayout(t);
      break;
    }
    case TabNotify::PageFetch:
      RecalcScrollSizes();
      ComputeScale();
      break;
    case TabNotify::Reload:
    case TabNotify::SelectionApplied:
      RecalcScrollSizes();
      ComputeScale();
      if (m_scale.fMaximum != 0) CenterAfterLayout(platform::Now());
      m_tsWindow = viewport()->width() * graph::kSecondsPerPixel;
      break;
    default:
      return false;
  }
  viewport()->update();
  return true;
}

double WDGraphView::ComputeScale() {
  model::WDValue* value = SelectedValue();
  if (!value) return 0;
  m_rcGraph = viewport()->rect().adjusted(0, 0, 0, -graph::kScaleBand);
  m_nMarkX = 0;
  const model::WDHistory& history = value->GetHistory();
  const int64_t now = platform::Now();
  m_scale = graph::ComputeValueScale(history.GetMaximum(m_tsWindow, now), history.GetMinimum(m_tsWindow, now),
                                     m_rcGraph.height());
  return m_scale.fScale;
}

void WDGraphView::RecalcScrollSizes() {
  model::WDValue* value = SelectedValue();
  m_nScrollWidth = value ? graph::ScrollWidth(value->GetHistory()) : kInitialScrollSize;
  ApplyScrollRange();
}

void WDGraphView::ApplyScrollRange() {
  QScrollBar* bar = horizontalScrollBar();
  const int width = viewport()->width();
  bar->setPageStep(std::max(width, 1));
  bar->setRange(0, std::max(m_nScrollWidth - width, 0));
}

void WDGraphView::CenterOn(int64_t t) {
  model::WDValue* value = SelectedValue();
  if (!value) return;
  const int64_t x = graph::TimeToX(Origin(*value), t);
  const int64_t left = x - viewport()->width() / 2;
  horizontalScrollBar()->setValue(static_cast<int>(std::clamp<int64_t>(left, 0, horizontalScrollBar()->maximum())));
  m_nMarkX = static_cast<int>(std::clamp<int64_t>(x, -(1 << 30), 1 << 30));
}

void WDGraphView::CenterAfterLayout(int64_t t) {
  CenterOn(t);
  // A view on a hidden tab learns its size only when the tab is shown, and that resize would put the
  // marker back to 0: the centring is done again until the first paint.
  m_pendingCentre = t;
}

QColor WDGraphView::BandColor() const {
  return palette().color(QPalette::Window);
}

QFont WDGraphView::LabelFont() const {
  QFont result = font();
  if (const settings::WDSettings* s = settings::GetSettings()) {
    const settings::LogFont& record = s->Font(kGraphFontSlot);
    if (record.IsUsable()) result = FontOf(record);
  }
  result.setPixelSize(kGraphFontPixels);
  result.setItalic(false);
  return result;
}

void WDGraphView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  // The window of hours follows the width, so that the scale always fits what a full view shows.
  m_tsWindow = viewport()->width() * graph::kSecondsPerPixel;
  ApplyScrollRange();
  ComputeScale();
  if (m_pendingCentre) CenterOn(*m_pendingCentre);
}

void WDGraphView::showEvent(QShowEvent* event) {
  QAbstractScrollArea::showEvent(event);
  if (m_pendingCentre) CenterOn(*m_pendingCentre);
}

void WDGraphView::scrollContentsBy(int /*dx*/, int /*dy*/) {
  viewport()->update();
}

void WDGraphView::paintEvent(QPaintEvent* /*event*/) {
  m_pendingCentre.reset();
  QPainter painter(viewport());
  m_rcClient = viewport()->rect();
  m_rcGraph = m_rcClient.adjusted(0, 0, 0, -graph::kPaintBand);
  painter.fillRect(m_rcClient, BandColor());
  painter.fillRect(m_rcGraph, QColor::fromRgb(kGraphPaperRgb));
  m_paintedDays = {};

  model::WDValue* value = SelectedValue();
  if (!value) return;
  const model::WDHistory& history = value->GetHistory();
  const int64_t now = platform::Now();
  const int width = m_rcClient.width();
  const int scrollX = horizontalScrollBar()->value();
  const int64_t origin = graph::TimeOrigin(history, now, width);
  int64_t rightEnd = now;
  if (history.IsKeepAll() && history.GetCount() > 0) {
    rightEnd = origin + (scrollX + m_rcClient.right() + 1) * graph::kSecondsPerPixel;
  } else {
    m_rcGraph = m_rcClient;
  }
  const int64_t leftEnd = origin + int64_t{scrollX} * graph::kSecondsPerPixel;
  const int top = m_rcGraph.top();
  const int bottom = m_rcGraph.bottom();
  const int left = m_rcGraph.left();
  const int right = m_rcGraph.right();
  auto screenX = [scrollX](int64_t x) { return static_cast<int>(std::clamp<int64_t>(x - scrollX, -1e6, 1e6)); };
  const QColor bandInk = palette().color(QPalette::WindowText);
  painter.setFont(LabelFont());
  const QFontMetrics metrics = painter.fontMetrics();

  // The zero line.
  painter.setPen(Hairline(kInk));
  const int zeroY = graph::ValueToY(bottom, m_scale, 0);
  painter.drawLine(left, zeroY, right, zeroY);

  // Day lines, with day numbers and the month in the band below.
  const QPen dayPen = Hairline(kInk, Qt::DotLine);
  const QPen monthPen = Hairline(kMonthStart, Qt::DotLine);
  m_paintedDays = graph::ComputeDayLines(rightEnd, origin, scrollX + left, m_tsWindow);
  for (const graph::DayLine& line : m_paintedDays.lines) {
    const int x = screenX(line.x);
    painter.setPen(line.monthStart ? monthPen : dayPen);
    painter.drawLine(x, bottom + graph::kTickBelow, x, top);
    if (line.labelled) {
      const QString day = QString::number(line.day);
      painter.setPen(bandInk);
      painter.drawText(x - metrics.horizontalAdvance(day) / 2, bottom + graph::kDayNumberBelow, day);
    }
  }
  if (m_paintedDays.month) {
    painter.setPen(bandInk);
    painter.drawText(screenX(m_paintedDays.month->x), bottom + graph::kMonthLabelBelow,
                     FromBytes(text::FormatLocalTime(m_paintedDays.month->time, kMonthFormat)));
  }

  // The value grid: from 0 upwards, then downwards, while inside the graph area.
  const double step = graph::GridStep(m_scale.fRange, m_scale.fScale);
  const QPen gridPen = Hairline(kInk, Qt::DotLine);
  for (int direction : {1, -1}) {
    for (int i = direction > 0 ? 0 : 1; i < kMaxGridLines; ++i) {
      const double v = direction * i * step;
      const int y = graph::ValueToY(bottom, m_scale, v);
      if (y < top || y > bottom) break;
      painter.setPen(gridPen);
      painter.drawLine(left, y, right, y);
      // A label cut off by the top would be misread: the line alone is drawn there.
      if (y - graph::kValueLabelRaise - metrics.ascent() < top) continue;
      painter.setPen(kInk);
      painter.drawText(left + graph::kValueLabelLeft, y - graph::kValueLabelRaise,
                       QString::fromStdString(text::FormatNumber(v, kGridLabelDigits)));
    }
  }

  // The curve, newest to oldest.
  if (const auto span = graph::CurveRecords(history, leftEnd, rightEnd)) {
    QPolygonF points;
    for (int i = span->newest; i >= span->oldest; --i) {
      const model::WDHistoryRecord* record = history.GetAt(i);
      points << QPointF(screenX(graph::TimeToX(origin, record->GetTime())),
                        graph::ValueToY(bottom, m_scale, record->GetNumber()));
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(WidePen(kCurve));
    painter.drawPolyline(points);
    painter.restore();
  }

  // The marker.
  painter.setPen(WidePen(kMarker));
  painter.drawLine(screenX(m_nMarkX), top, screenX(m_nMarkX), bottom);
}

}  // namespace quorvex::gui
