#include "gui/tabframe/splitter_wnd.h"

#include <QMouseEvent>
#include <QResizeEvent>
#include <QVariant>
#include <algorithm>
#include <numeric>

namespace quorvex::gui {

namespace {

// A handle that takes the mouse only while its splitter is resizable.
class SplitterHandle : public QSplitterHandle {
 public:
  SplitterHandle(Qt::Orientation orientation, WDSplitterWnd* parent) : QSplitterHandle(orientation, parent) {
    Apply(parent->IsResizable());
  }

  void Apply(bool resizable) {
    // Transparent, the handle's grab margin (it overlaps the panes at width 0) would otherwise
    // swallow clicks meant for the panes.
    setAttribute(Qt::WA_TransparentForMouseEvents, !resizable);
    if (resizable) {
      setCursor(orientation() == Qt::Horizontal ? Qt::SplitHCursor : Qt::SplitVCursor);
    } else {
      unsetCursor();
    }
  }

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    if (Resizable()) {
      QSplitterHandle::mousePressEvent(event);
    } else {
      event->ignore();
    }
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    if (Resizable()) {
      QSplitterHandle::mouseMoveEvent(event);
    } else {
      event->ignore();
    }
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (Resizable()) {
      QSplitterHandle::mouseReleaseEvent(event);
    } else {
      event->ignore();
    }
  }

 private:
  bool Resizable() const { return static_cast<const WDSplitterWnd*>(splitter())->IsResizable(); }
};

}  // namespace

void MarkLEControl(QWidget* widget) {
  widget->setProperty(kLEControlProperty, true);
}

bool IsLEControl(const QWidget* widget) {
  return widget && widget->property(kLEControlProperty).toBool();
}

WDSplitterWnd::WDSplitterWnd(Qt::Orientation orientation, bool resizable, QWidget* parent)
    : QSplitter(orientation, parent), m_bResizable(resizable), m_nDefaultHandleWidth(handleWidth()) {
  setChildrenCollapsible(false);
  setOpaqueResize(true);
  if (!resizable) setHandleWidth(0);
}

void WDSplitterWnd::SetResizable(bool resizable) {
  if (resizable == m_bResizable) return;
  m_bResizable = resizable;
  setHandleWidth(resizable ? m_nDefaultHandleWidth : 0);
  for (int i = 0; i < count(); ++i) {
    if (auto* h = dynamic_cast<SplitterHandle*>(handle(i))) h->Apply(resizable);
  }
  if (m_bSized) ApplyFixedSizes();
}

void WDSplitterWnd::SetFixedPane(int index, int size) {
  if (index < 0 || index >= count()) return;
  m_nFixedIndex = index;
  m_nFixedSize = std::max(0, size);
  // Stretch factors make a resizable splitter hand its growth to the other panes only.
  for (int i = 0; i < count(); ++i) setStretchFactor(i, i == index ? 0 : 1);
  m_bLaidOut = false;
  if (m_bSized) ApplyFixedSizes();
}

int WDSplitterWnd::PaneSize(int index) const {
  if (index < 0 || index >= count()) return 0;
  if (!m_bLaidOut && index == m_nFixedIndex) return m_nFixedSize;
  return sizes().at(index);
}

QSplitterHandle* WDSplitterWnd::createHandle() {
  return new SplitterHandle(orientation(), this);
}

void WDSplitterWnd::resizeEvent(QResizeEvent* event) {
  QSplitter::resizeEvent(event);
  // Only a resize event tells the real size: a hidden splitter's sizes are not laid out yet.
  m_bSized = true;
  ApplyFixedSizes();
}

void WDSplitterWnd::ApplyFixedSizes() {
  QList<int> panes = sizes();
  const int total = std::accumulate(panes.begin(), panes.end(), 0);
  if (total <= 0) return;

  if (!m_bResizable && orientation() == Qt::Vertical && count() == 2 && IsLEControl(widget(1)) &&
      total > kLEControlHeight) {
    setSizes({total - kLEControlHeight, kLEControlHeight});
    return;
  }
  if (m_nFixedIndex < 0 || (m_bResizable && m_bLaidOut)) return;

  const int fixed = std::min(m_nFixedSize, total);
  const int others = count() - 1;
  const int rest = total - fixed;
  int remainder = others > 0 ? rest % others : 0;
  for (int i = 0; i < count(); ++i) {
    if (i == m_nFixedIndex) {
      panes[i] = fixed;
    } else {
      panes[i] = rest / others + remainder;
      remainder = 0;
    }
  }
  setSizes(panes);
  // A first size too small for the fixed pane is not the real one yet: a resizable splitter waits
  // for a larger one before leaving the division to the user.
  m_bLaidOut = total > fixed;
}

}  // namespace quorvex::gui
