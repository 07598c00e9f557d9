#pragma once
// The splitter of the main window's layout.
//
// A resizable splitter behaves like any QSplitter: the user drags its handles. A splitter that is
// not resizable has handles of zero width that let the mouse through to the panes, so its division
// stays where the layout put it.
//
// A pane may be given a fixed size (a row's height in a vertical splitter, a column's width in a
// horizontal one). In a splitter that is not resizable the pane keeps exactly that size (or the
// whole room when there is less) and the other panes share the rest at every resize. In a
// resizable splitter the size is the starting size; afterwards the pane keeps whatever size the
// user gave it and the other panes take up the growth and shrinking of the splitter.
//
// One more rule, for the test bar of the link tab: a splitter that is not resizable, has two rows
// and whose lower pane is marked as a test bar (MarkLEControl) keeps that lower row 40 pixels high,
// the upper row getting the rest, whenever the splitter is at least 41 pixels high. The mark is on
// the widget, so whichever widget is placed there (placeholder or real view) obeys the rule.
#include <QSplitter>
#include <vector>

namespace quorvex::gui {

// Dynamic property (bool) marking a widget as the link tab's test bar.
inline constexpr char kLEControlProperty[] = "quorvexLEControl";
inline constexpr int kLEControlHeight = 40;

void MarkLEControl(QWidget* widget);
bool IsLEControl(const QWidget* widget);

class WDSplitterWnd : public QSplitter {
  Q_OBJECT

 public:
  // Qt::Vertical stacks rows, Qt::Horizontal places columns.
  WDSplitterWnd(Qt::Orientation orientation, bool resizable, QWidget* parent = nullptr);

  bool IsResizable() const { return m_bResizable; }
  void SetResizable(bool resizable);

  // Pane index keeps size pixels as described above. Call after the pane was added.
  void SetFixedPane(int index, int size);

  // The pane's size; before the splitter was first laid out, the size it will get if it is fixed.
  int PaneSize(int index) const;

 protected:
  QSplitterHandle* createHandle() override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void ApplyFixedSizes();

  bool m_bResizable;
  int m_nDefaultHandleWidth;
  int m_nFixedIndex = -1;
  int m_nFixedSize = 0;
  bool m_bSized = false;    // a resize event has given the real size
  bool m_bLaidOut = false;  // the fixed size has been applied
};

}  // namespace quorvex::gui
