#include "gui/views/control_tab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <climits>
#include <memory>

#include "engine/qvx_doc.h"
#include "gui/shell/gui_text.h"
#include "gui/shell/main_frame.h"
#include "gui/tabframe/tab_wnd.h"
#include "gui/views/event_editor.h"
#include "gui/views/tree_view.h"
#include "model/alert.h"
#include "model/fresh_freq.h"
#include "model/history.h"
#include "model/val_page.h"
#include "model/value.h"
#include "platform/string_ids.h"
#include "platform/string_table.h"
#include "platform/user_prompt.h"

namespace quorvex::gui {

namespace ids = platform::ids;

namespace {

// The type list's index of a kind: the list starts at the text kind.
constexpr int kFirstListedKind = model::kKindText;
constexpr int kNumberIndex = model::kKindNumber - kFirstListedKind;

QLabel* BuddyLabel(uint16_t textId, QWidget* buddy) {
  auto* label = new QLabel(Text(textId));
  label->setBuddy(buddy);
  return label;
}

}  // namespace

WDControlTab::WDControlTab(CMainFrame& frame, QWidget* parent)
    : PropertyPane(frame, parent),
      m_pType(new QComboBox),
      m_pUnit(new QLineEdit),
      m_pKeepHistory(new QCheckBox(Text(ids::kKeepHistory))),
      m_pMonitoring(new QCheckBox(Text(ids::kMonitoringOn))),
      m_pAtStart(new QCheckBox(Text(ids::kAtStartOnly))),
      m_pCount(new QLineEdit),
      m_pPeriodUnit(new QComboBox),
      m_pAlerts(new QCheckBox(Text(ids::kAlertsOn))),
      m_pEvents(new QListWidget),
      m_pAdd(new QPushButton(Text(ids::kAddEvent))),
      m_pDelete(new QPushButton(Text(ids::kDeleteEvent))) {
  for (uint16_t id : {ids::kKindText, ids::kKindNumber, ids::kKindChecksum}) m_pType->addItem(Text(id));
  for (uint16_t id : {ids::kUnitMinutes, ids::kUnitHours, ids::kUnitDays, ids::kUnitWeeks, ids::kUnitMonths}) {
    m_pPeriodUnit->addItem(Text(id));
  }
  m_pCount->setMaximumWidth(m_pCount->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 8 + 12);
  m_pUnit->setMaximumWidth(m_pUnit->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 12 + 12);
  m_pEvents->setSelectionMode(QAbstractItemView::SingleSelection);
  m_pEvents->installEventFilter(this);

  auto* value = new QGridLayout;
  value->addWidget(BuddyLabel(ids::kValueTypeLabel, m_pType), 0, 0);
  value->addWidget(m_pType, 0, 1, Qt::AlignLeft);
  value->addWidget(BuddyLabel(ids::kUnitLabel, m_pUnit), 1, 0);
  value->addWidget(m_pUnit, 1, 1, Qt::AlignLeft);
  value->addWidget(m_pKeepHistory, 2, 0, 1, 2);
  value->setColumnStretch(2, 1);

  auto* schedule = new QGroupBox(Text(ids::kScheduleGroup));
  auto* scheduleLayout = new QVBoxLayout(schedule);
  scheduleLayout->addWidget(m_pMonitoring);
  scheduleLayout->addWidget(m_pAtStart);
  auto* period = new QHBoxLayout;
  period->addWidget(BuddyLabel(ids::kRefreshEvery, m_pCount));
  period->addWidget(m_pCount);
  period->addWidget(m_pPeriodUnit);
  period->addStretch(1);
  scheduleLayout->addLayout(period);

  auto* events = new QGroupBox(Text(ids::kEventsGroup));
  auto* eventsLayout = new QGridLayout(events);
  eventsLayout->addWidget(m_pAlerts, 0, 0, 1, 2);
  eventsLayout->addWidget(m_pEvents, 1, 0);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(m_pAdd);
  buttons->addWidget(m_pDelete);
  buttons->addStretch(1);
  eventsLayout->addLayout(buttons, 1, 1);
  eventsLayout->setRowStretch(1, 1);

  // The controls scroll rather than hold the main window at their full height.
  auto* content = new QWidget;
  auto* layout = new QVBoxLayout(content);
  layout->addLayout(value);
  layout->addWidget(schedule);
  layout->addWidget(events, 1);
  auto* scroll = new QScrollArea;
  scroll->setWidget(content);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setFocusPolicy(Qt::NoFocus);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(scroll);

  QWidget* order[] = {m_pType,       m_pUnit,   m_pKeepHistory, m_pMonitoring, m_pAtStart, m_pCount,
                      m_pPeriodUnit, m_pAlerts, m_pEvents,      m_pAdd,        m_pDelete};
  for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

  connect(m_pMonitoring, &QCheckBox::clicked, this, &WDControlTab::OnMonitoringClicked);
  connect(m_pAtStart, &QCheckBox::clicked, this, &WDControlTab::OnAtStartClicked);
  connect(m_pKeepHistory, &QCheckBox::clicked, this, &WDControlTab::OnKeepHistoryClicked);
  connect(m_pAlerts, &QCheckBox::clicked, this, &WDControlTab::OnAlertsClicked);
  connect(m_pType, &QComboBox::currentIndexChanged, this,
          [this](int index) { m_pUnit->setEnabled(index == kNumberIndex); });
  connect(m_pEvents, &QListWidget::itemSelectionChanged, this, &WDControlTab::FollowSelection);
  connect(m_pEvents, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { EditEventAt(m_pEvents->row(item)); });
  connect(m_pAdd, &QPushButton::clicked, this, &WDControlTab::AddEvent);
  connect(m_pDelete, &QPushButton::clicked, this, &WDControlTab::DeleteEvent);
  m_pDelete->setEnabled(false);
}

bool WDControlTab::UpdatePane(bool save, const NotifyParam&) {
  return save ? Store() : Load();
}

QString WDControlTab::EventRow(const model::WDEventMessager& event) {
  static constexpr const char* kSymbols[] = {"= ", "# ", "> ", "< ", ">=", "<="};
  const model::WDEventCondition& condition = event.m_condition;
  QString row = Text(ids::kValueColumn) + QLatin1Char(' ');
  if (condition.m_nOperator >= 0 && condition.m_nOperator < static_cast<int>(std::size(kSymbols))) {
    row += QLatin1String(kSymbols[condition.m_nOperator]);
  }
  row += condition.m_strOperand.empty() ? Text(ids::kAnyChange) : FromBytes(condition.m_strOperand);
  QString message = FromBytes(event.m_actMessage.m_strText);
  // A row is one line; the message's own line breaks read as blanks.
  message.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(QLatin1Char('\n'), QLatin1Char(' '));
  row += QLatin1String("  : <") + (message.isEmpty() ? Text(ids::kNoMessageText) : message) + QLatin1String(" >");
  return row;
}

bool WDControlTab::Load() {
  model::WDValue* beacon = CurrentBeacon();
  if (!beacon) return false;
  const model::WDFreshFreq fallback;  // a beacon without a page shows the default schedule
  const model::WDFreshFreq& freq = beacon->GetPage() ? beacon->GetPage()->m_freq : fallback;
  {
    const QSignalBlocker block(m_pType);
    m_pType->setCurrentIndex(beacon->GetKind() - kFirstListedKind);
  }
  m_pUnit->setEnabled(m_pType->currentIndex() == kNumberIndex);
  m_pUnit->setText(FromBytes(beacon->GetUnit()));
  m_pKeepHistory->setChecked(beacon->GetHistory().IsKeepAll());
  m_pMonitoring->setChecked(beacon->IsEnabled());
  m_pCount->setText(QString::number(freq.m_nCount));
  m_pAtStart->setChecked(freq.m_bAtStartOnly != 0);
  m_pPeriodUnit->setCurrentIndex(freq.m_nUnit >= 0 && freq.m_nUnit < m_pPeriodUnit->count() ? freq.m_nUnit : -1);

  const QSignalBlocker block(m_pEvents);
  m_pEvents->clear();
  const model::WDAlert& alert = beacon->GetAlert();
  for (size_t i = 0; i < alert.GetEventCount(); ++i) m_pEvents->addItem(EventRow(alert.GetEvent(i)));
  const bool hasEvents = alert.GetEventCount() > 0;
  m_pAlerts->setChecked(hasEvents && alert.IsEnabled());
  m_pAlerts->setEnabled(hasEvents);
  m_pDelete->setEnabled(false);

  const bool monitoring = m_pMonitoring->isChecked();
  m_pCount->setEnabled(monitoring && !m_pAtStart->isChecked());
  m_pPeriodUnit->setEnabled(m_pCount->isEnabled());
  m_pAtStart->setEnabled(monitoring);
  return true;
}

bool WDControlTab::Store() {
  model::WDValue* beacon = CurrentBeacon();
  if (!beacon) return false;
  bool ok = false;
  const uint count = m_pCount->text().trimmed().toUInt(&ok);
  if (!ok || count > static_cast<uint>(INT_MAX)) {
    platform::Prompt().ShowMessage(platform::GetString(ids::kMsgPositiveInteger), platform::PromptIcon::Exclamation);
    if (IsOnActiveTab(this) && m_pCount->isEnabled()) {
      m_pCount->setFocus();
      m_pCount->selectAll();
    }
    return false;
  }
  bool changed = false;
  bool stateChanged = false;
  model::WDHistory& history = beacon->GetHistory();
  const int32_t keepAll = m_pKeepHistory->isChecked() ? 1 : 0;
  changed |= history.GetKeepAll() != keepAll;
  history.SetKeepAll(keepAll);

  if (m_pType->currentIndex() >= 0) {
    const auto kind = static_cast<uint16_t>(m_pType->currentIndex() + kFirstListedKind);
    changed |= beacon->GetKind() != kind;
    beacon->SetKind(kind);
  }
  if (WDTreeView* tree = Tree()) tree->ShowItem(beacon);
  const std::string unit = beacon->GetUnit();
  beacon->SetUnit(ToBytes(m_pUnit->text()));
  changed |= beacon->GetUnit() != unit;

  stateChanged |= beacon->IsEnabled() != m_pMonitoring->isChecked();
  beacon->SetEnabled(m_pMonitoring->isChecked());
  model::WDAlert& alert = beacon->GetAlert();
  stateChanged |= alert.IsEnabled() != m_pAlerts->isChecked();
  alert.SetEnabled(m_pAlerts->isChecked());

  if (model::WDValPage* page = beacon->GetPage()) {
    model::WDFreshFreq& freq = page->m_freq;
    const int32_t unitIndex = m_pPeriodUnit->currentIndex() >= 0 ? m_pPeriodUnit->currentIndex() : freq.m_nUnit;
    const int32_t atStart = m_pAtStart->isChecked() ? 1 : 0;
    stateChanged |=
        freq.m_nUnit != unitIndex || freq.m_nCount != static_cast<int32_t>(count) || freq.m_bAtStartOnly != atStart;
    freq.m_nUnit = unitIndex;
    freq.m_nCount = static_cast<int32_t>(count);
    freq.m_bAtStartOnly = atStart;
  }
  if (changed || stateChanged) Frame().Document().SetModifiedFlag(true);
  if (WDTreeView* tree = Tree()) tree->UpdateIcons(beacon->GetURL());
  if (stateChanged) Frame().UpdateAgentState();
  return true;
}

void WDControlTab::OnMonitoringClicked() {
  const bool on = m_pMonitoring->isChecked();
  m_pCount->setEnabled(on);
  m_pPeriodUnit->setEnabled(on);
  m_pAtStart->setEnabled(on);
  if (model::WDValue* beacon = CurrentBeacon()) {
    beacon->SetEnabled(on);
    BeaconChanged(*beacon, true);
  }
}

void WDControlTab::OnAtStartClicked() {
  m_pCount->setEnabled(!m_pAtStart->isChecked());
  m_pPeriodUnit->setEnabled(!m_pAtStart->isChecked());
}

void WDControlTab::OnKeepHistoryClicked() {
  model::WDValue* beacon = CurrentBeacon();
  if (!beacon) return;
  beacon->GetHistory().SetKeepAll(m_pKeepHistory->isChecked() ? 1 : 0);
  if (m_pType->currentIndex() >= 0) beacon->SetKind(static_cast<uint16_t>(m_pType->currentIndex() + kFirstListedKind));
  if (WDTreeView* tree = Tree()) tree->ShowItem(beacon);
  BeaconChanged(*beacon, false);
}

void WDControlTab::OnAlertsClicked() {
  if (model::WDValue* beacon = CurrentBeacon()) {
    beacon->GetAlert().SetEnabled(m_pAlerts->isChecked());
    BeaconChanged(*beacon, true);
  }
}

void WDControlTab::FollowSelection() {
  m_pDelete->setEnabled(!m_pEvents->selectedItems().isEmpty());
}

void WDControlTab::AddEvent() {
  model::WDValue* beacon = CurrentBeacon();
  if (!beacon) return;
  auto event = std::make_unique<model::WDEventMessager>();
  event->m_condition.m_pValue = beacon;
  if (!gui::EditEvent(*event, *beacon, this)) return;
  model::WDAlert& alert = beacon->GetAlert();
  m_pEvents->addItem(EventRow(alert.AddEvent(std::move(event))));
  // A new event is meant to alarm: alerts go on with it.
  alert.SetEnabled(true);
  m_pAlerts->setEnabled(true);
  m_pAlerts->setChecked(true);
  FollowSelection();
  BeaconChanged(*beacon, true);
}

void WDControlTab::EditEventAt(int row) {
  model::WDValue* beacon = CurrentBeacon();
  if (!beacon || row < 0 || static_cast<size_t>(row) >= beacon->GetAlert().GetEventCount()) return;
  model::WDEventMessager& event = beacon->GetAlert().GetEvent(static_cast<size_t>(row));
  if (!gui::EditEvent(event, *beacon, this)) return;
  m_pEvents->item(row)->setText(EventRow(event));
  m_pEvents->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
  BeaconChanged(*beacon, true);
}

void WDControlTab::DeleteEvent() {
  model::WDValue* beacon = CurrentBeacon();
  const QList<QListWidgetItem*> selected = m_pEvents->selectedItems();
  if (!beacon || selected.isEmpty()) return;
  const int row = m_pEvents->row(selected.front());
  if (!platform::Prompt().AskYesNo(platform::GetString(ids::kAskDeleteEvent), platform::PromptIcon::Stop)) return;
  model::WDAlert& alert = beacon->GetAlert();
  if (!alert.RemoveEvent(static_cast<size_t>(row))) return;
  delete m_pEvents->takeItem(row);
  m_pAlerts->setEnabled(alert.GetEventCount() > 0);
  FollowSelection();
  BeaconChanged(*beacon, true);
}

bool WDControlTab::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_pEvents && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && m_pEvents->currentRow() >= 0) {
      EditEventAt(m_pEvents->currentRow());
      return true;
    }
    if (key == Qt::Key_Delete && m_pDelete->isEnabled()) {
      DeleteEvent();
      return true;
    }
  }
  return PropertyPane::eventFilter(watched, event);
}

}  // namespace quorvex::gui
