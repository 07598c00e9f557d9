#include "gui/views/screen_tab.h"

#include <QBoxLayout>
#include <QLabel>
#include <cmath>

#include "gui/shell/font_dialog.h"
#include "gui/shell/gui_text.h"
#include "gui/shell/main_frame.h"
#include "model/history.h"
#include "model/value.h"
#include "settings/app_context.h"
#include "settings/settings.h"
#include "text/time_format.h"
#include "text/value_text.h"

namespace quorvex::gui {

namespace {

// A value longer than this is cut: the pane shows one line, the value tab the whole text.
constexpr int kMaxValueLength = 300;

QLabel* OneLineLabel() {
  auto* label = new QLabel;
  label->setTextFormat(Qt::PlainText);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  // Long texts are clipped at the pane's edge instead of widening the window.
  label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  label->setMinimumWidth(1);
  return label;
}

}  // namespace

WDScreenTab::WDScreenTab(CMainFrame& frame, QWidget* parent)
    : PropertyPane(frame, parent),
      m_pName(OneLineLabel()),
      m_pValue(OneLineLabel()),
      m_pChange(OneLineLabel()),
      m_pTime(OneLineLabel()) {
  // The change follows the value; a long value gives way before it.
  m_pValue->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
  m_pChange->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
  auto* valueRow = new QHBoxLayout;
  valueRow->setSpacing(12);
  valueRow->addWidget(m_pValue);
  valueRow->addWidget(m_pChange);
  valueRow->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 4, 8, 4);
  layout->setSpacing(2);
  layout->addWidget(m_pName);
  layout->addLayout(valueRow);
  layout->addWidget(m_pTime);
  layout->addStretch(1);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
}

bool WDScreenTab::UpdatePane(bool save, const NotifyParam&) {
  if (save) return true;
  const settings::WDSettings& s = Frame().App().Settings();
  QLabel* const labels[] = {m_pName, m_pValue, m_pChange, m_pTime};
  for (int n = 1; n <= 4; ++n) labels[n - 1]->setFont(FontOf(s.Font(n)));
  model::WDValue* beacon = CurrentBeacon();
  if (!beacon) {
    for (QLabel* label : labels) label->clear();
    return false;
  }
  m_pName->setText(FromBytes(beacon->GetName()));
  const model::WDHistory& history = beacon->GetHistory();
  const bool number = beacon->GetKind() == model::kKindNumber;
  QString value = FromBytes(text::Shorten(beacon->GetLastText(true, 0), kMaxValueLength)).simplified();
  if (number && !value.isEmpty()) value += QLatin1Char(' ') + FromBytes(beacon->GetUnit()).trimmed();
  m_pValue->setText(value);

  QString change;
  if (number && history.GetCount() >= 2) {
    const double delta = beacon->GetLastDelta();
    change = QLatin1String(delta > 0 ? "+" : delta < 0 ? "-" : "") + FromBytes(text::FormatNumber(std::fabs(delta), 2));
    // Rises in blue, falls in red, in shades that read on the pane's background.
    const bool dark = palette().color(QPalette::Base).lightness() < 128;
    const char* colour = delta > 0   ? (dark ? "#7db8ff" : "#1f5fcf")
                         : delta < 0 ? (dark ? "#ff8a80" : "#c62828")
                                     : nullptr;
    QPalette labelPalette = palette();
    if (colour) {
      // The labels draw with Text over the pane's Base background.
      labelPalette.setColor(QPalette::Text, QColor(QLatin1String(colour)));
      labelPalette.setColor(QPalette::WindowText, QColor(QLatin1String(colour)));
    }
    m_pChange->setPalette(labelPalette);
  }
  m_pChange->setText(change);

  QString time;
  if (const model::WDHistoryRecord* last = history.GetLast()) {
    time = FromBytes(text::FormatLocalTime(last->GetTime(), text::DateTimeFormat())) + QLatin1String("   ");
  }
  m_pTime->setText(time + FromBytes(beacon->GetStatusText()));
  return true;
}

}  // namespace quorvex::gui
