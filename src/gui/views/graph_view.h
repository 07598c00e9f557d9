#pragma once
// The history graph of the beacon tabs (view ids 5 and 13): the samples of the value selected in the
// catalog tree as a line over a time axis of one pixel per hour, scrolled sideways. Under a value
// grid, dotted day lines (red on the first of a month) carry day numbers and the month and year; a
// red marker stands at a chosen time. The view owns no data: it reads the selected value's history
// each time it paints. A folder, or no selection, leaves only the background.
//
// Colours: the graph area is a fixed light "paper" with black axes, grid and value labels and a navy
// curve, whatever the theme, since it is a chart; the band under it (day numbers, month) takes the
// palette's window and window-text colours, so that it matches the window and stays legible in a
// dark theme. Labels use the settings' text font (font 3) at 12 pixels. All sizes are logical
// pixels; axes, grid and day lines are hairlines of one device pixel, the curve is antialiased. UI thread only.
#include <QAbstractScrollArea>
#include <QFont>
#include <cstdint>
#include <functional>
#include <optional>

#include "gui/views/graph_geometry.h"
#include "gui/views/view_notify.h"

namespace quorvex::model {
class WDItem;
class WDValue;
}  // namespace quorvex::model

namespace quorvex::gui {

// The paper of the graph area (red 250, green 250, blue 255).
inline constexpr unsigned kGraphPaperRgb = 0xFAFAFF;
// The settings font the labels are written in, and their pixel height.
inline constexpr int kGraphFontSlot = 3;
inline constexpr int kGraphFontPixels = 12;

class WDGraphView : public QAbstractScrollArea, public NotifyReceiver {
  Q_OBJECT

 public:
  // Gives the item selected in the catalog tree (nullptr for none); asked whenever the view needs
  // it, never kept.
  using ItemSource = std::function<model::WDItem*()>;

  explicit WDGraphView(ItemSource selected, QWidget* parent = nullptr);

  // 1226: rescale, then centre on the sample chosen in the sender (a SampleChooser) or on now, with
  // the marker there; 1227: rescale; 1230, 1232: rescale, centre on now when the maximum is not 0.
  // Others are ignored (false).
  bool OnNotify(TabNotify code, const NotifyParam& param) override;

  // Fits the value scale to the samples of the last window of hours ending now, and puts the marker
  // back to 0. Returns the scale (value units per pixel), 0 without a selected value.
  double ComputeScale();
  // Sets the scroll width from the selected value's history (whole hours from its first to its
  // newest sample).
  void RecalcScrollSizes();
  // Scrolls so that time t is in the middle and puts the marker there.
  void CenterOn(int64_t t);

  // The state of the last scale, marker and paint, for tests.
  const graph::ValueScale& GetValueScale() const { return m_scale; }
  int GetMarkX() const { return m_nMarkX; }
  int64_t GetWindowSeconds() const { return m_tsWindow; }
  QRect GetGraphRect() const { return m_rcGraph; }
  const graph::DayLines& GetPaintedDayLines() const { return m_paintedDays; }
  // The colour of the band under the graph (the palette's window colour).
  QColor BandColor() const;
  // The labels' font.
  QFont LabelFont() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void showEvent(QShowEvent* event) override;

 private:
  model::WDValue* SelectedValue() const;
  void ApplyScrollRange();
  void CenterAfterLayout(int64_t t);
  int64_t Origin(const model::WDValue& value) const;

  ItemSource m_selected;
  int m_nMarkX = 0;  // in hours from the time origin
  QRect m_rcGraph;
  QRect m_rcClient;
  graph::ValueScale m_scale;  // m_fMaximum, m_fRange, m_fScale and m_nZeroOffset
  int64_t m_tsWindow = 0;     // seconds: as many hours as the view is wide
  int m_nScrollWidth = 10;
  graph::DayLines m_paintedDays;
  std::optional<int64_t> m_pendingCentre;  // a centring to repeat until the view is painted
};

}  // namespace quorvex::gui
