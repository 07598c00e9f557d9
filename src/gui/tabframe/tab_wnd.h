#pragma once
// The tab window of the main window's right-hand side: a strip of tabs (the window's "tool bar",
// which the user may hide) over the page of the active tab, with an optional caption (the name of
// the item the pages show) at the end of the strip.
//
// Tabs can be disabled: a disabled tab cannot be chosen, neither with the mouse nor through
// SetActiveTab. Disabling the active tab makes the next enabled tab active, so a caller that
// changes the enabled set and then wants a given tab activates a tab that stays enabled first.
#include <QIcon>
#include <QWidget>

class QLabel;
class QStackedWidget;
class QTabBar;

namespace quorvex::gui {

class TTabWnd : public QWidget {
  Q_OBJECT

 public:
  // Child objectNames: "tabBar", "tabCaption", "tabPages".
  explicit TTabWnd(QWidget* parent = nullptr);

  // Appends a tab showing page (the tab window takes ownership); returns its index. The first tab
  // added becomes active.
  int AddTab(QWidget* page, const QString& label);
  int TabCount() const;
  QWidget* TabPage(int index) const;
  // The tab whose page is view or contains it; -1 for none.
  int TabOf(const QWidget* view) const;

  void SetTabLabel(int index, const QString& label);
  QString TabLabel(int index) const;
  void SetTabIcon(int index, const QIcon& icon);

  void EnableTab(int index, bool enable);
  bool IsTabEnabled(int index) const;

  // Shows the tab; false (and nothing changes) for a disabled tab or a bad index.
  bool SetActiveTab(int index);
  int ActiveTab() const;  // -1 without tabs

  // The tab strip; hiding it gives its room to the pages.
  void SetBarVisible(bool visible);
  bool IsBarVisible() const;

  // The caption shown at the end of the strip; an empty text shows none.
  void SetCaption(const QString& caption);
  QString Caption() const;

  QTabBar* Bar() const { return m_pBar; }

 signals:
  void ActiveTabChanged(int index);

 private:
  QTabBar* m_pBar;
  QLabel* m_pCaption;
  QStackedWidget* m_pPages;
};

// True when view lies on the active tab of the nearest tab window around it (or on no tab window
// at all): the panes use it for the notifications they act on only while shown.
bool IsOnActiveTab(const QWidget* view);

}  // namespace quorvex::gui
