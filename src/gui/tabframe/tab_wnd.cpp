#include "gui/tabframe/tab_wnd.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

namespace quorvex::gui {

TTabWnd::TTabWnd(QWidget* parent)
    : QWidget(parent), m_pBar(new QTabBar(this)), m_pCaption(new QLabel(this)), m_pPages(new QStackedWidget(this)) {
  m_pBar->setObjectName(QStringLiteral("tabBar"));
  m_pBar->setDrawBase(false);
  m_pBar->setExpanding(false);
  m_pCaption->setObjectName(QStringLiteral("tabCaption"));
  m_pCaption->setTextFormat(Qt::PlainText);
  QFont bold = m_pCaption->font();
  bold.setBold(true);
  m_pCaption->setFont(bold);
  m_pCaption->hide();
  m_pPages->setObjectName(QStringLiteral("tabPages"));

  auto* strip = new QHBoxLayout;
  strip->setContentsMargins(0, 0, 4, 0);
  strip->addWidget(m_pBar);
  strip->addStretch(1);
  strip->addWidget(m_pCaption);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addLayout(strip);
  layout->addWidget(m_pPages, 1);

  connect(m_pBar, &QTabBar::currentChanged, this, [this](int index) {
    if (index >= 0) m_pPages->setCurrentIndex(index);
    emit ActiveTabChanged(index);
  });
}

int TTabWnd::AddTab(QWidget* page, const QString& label) {
  const int index = m_pPages->addWidget(page);
  // The page goes in first so that the bar's currentChanged for a first tab finds it.
  m_pBar->insertTab(index, label);
  return index;
}

int TTabWnd::TabCount() const {
  return m_pBar->count();
}

QWidget* TTabWnd::TabPage(int index) const {
  return m_pPages->widget(index);
}

int TTabWnd::TabOf(const QWidget* view) const {
  for (int i = 0; i < m_pPages->count(); ++i) {
    const QWidget* page = m_pPages->widget(i);
    if (view && (page == view || page->isAncestorOf(view))) return i;
  }
  return -1;
}

void TTabWnd::SetTabLabel(int index, const QString& label) {
  m_pBar->setTabText(index, label);
}

QString TTabWnd::TabLabel(int index) const {
  return m_pBar->tabText(index);
}

void TTabWnd::SetTabIcon(int index, const QIcon& icon) {
  m_pBar->setTabIcon(index, icon);
}

void TTabWnd::EnableTab(int index, bool enable) {
  m_pBar->setTabEnabled(index, enable);
}

bool TTabWnd::IsTabEnabled(int index) const {
  return m_pBar->isTabEnabled(index);
}

bool TTabWnd::SetActiveTab(int index) {
  if (index < 0 || index >= m_pBar->count() || !m_pBar->isTabEnabled(index)) return false;
  m_pBar->setCurrentIndex(index);
  return true;
}

int TTabWnd::ActiveTab() const {
  return m_pBar->currentIndex();
}

void TTabWnd::SetBarVisible(bool visible) {
  m_pBar->setVisible(visible);
}

bool TTabWnd::IsBarVisible() const {
  return m_pBar->isVisibleTo(this);
}

void TTabWnd::SetCaption(const QString& caption) {
  m_pCaption->setText(caption);
  m_pCaption->setVisible(!caption.isEmpty());
}

QString TTabWnd::Caption() const {
  return m_pCaption->text();
}

bool IsOnActiveTab(const QWidget* view) {
  for (const QWidget* w = view; w; w = w->parentWidget()) {
    if (const auto* tabs = qobject_cast<const TTabWnd*>(w)) {
      const int tab = tabs->TabOf(view);
      return tab >= 0 && tab == tabs->ActiveTab();
    }
  }
  return true;
}

}  // namespace quorvex::gui
