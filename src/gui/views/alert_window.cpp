#include "gui/views/alert_window.h"

#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWindow>

#include "gui/shell/gui_text.h"
#include "platform/command_ids.h"
#include "platform/user_prompt.h"
#include "settings/language_file.h"
#include "text/value_text.h"

namespace quorvex::gui {
namespace {

constexpr int kDescriptionWrap = 22;
constexpr int kTextWrap = 25;
constexpr int kPadding = 10;
constexpr int kRadius = 8;
constexpr int kTailHeight = 16;
constexpr int kShadow = 8;

// Wrapped at width, carriage returns dropped, leading line feeds skipped, at most kMaxLines lines.
QStringList WrappedLines(std::string text, int width) {
  std::string wrapped = text::CleanText(text, false, width);
  std::erase(wrapped, '\r');
  const size_t start = wrapped.find_first_not_of('\n');
  if (start == std::string::npos) return {};
  QStringList lines = FromBytes(wrapped.substr(start)).split(QLatin1Char('\n'));
  if (lines.size() > AlertLayout::kMaxLines) lines = lines.mid(0, AlertLayout::kMaxLines);
  return lines;
}

// Balloons with soft edges and a shadow need a compositor; Wayland always has one. Elsewhere the
// shape is cut out of an opaque window, which every X server shows correctly.
bool CanBeTranslucent() {
  return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

}  // namespace

AlertLayout AlertLayout::From(const platform::AlertWindowContent& content) {
  AlertLayout layout;
  const QString name = FromBytes(content.name);
  layout.title = name.size() > kTitleChars ? name.left(kTitleChars - 3) + QStringLiteral("...") : name;
  layout.description = WrappedLines(content.description, kDescriptionWrap);
  std::string message = content.text;
  std::erase(message, '\t');
  layout.message = WrappedLines(message, kTextWrap);
  layout.lastText = WrappedLines(content.lastText, kTextWrap);
  layout.lastTextHeight =
      static_cast<int>(std::min<qsizetype>(layout.lastText.size(), kMaxLastLines)) * kLineHeight + 22;
  layout.change = FromBytes(content.change);
  return layout;
}

AlertBalloon::AlertBalloon(const platform::AlertWindowContent& content)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus),
      m_layout(AlertLayout::From(content)),
      m_bTranslucent(CanBeTranslucent()) {
  setObjectName(QStringLiteral("AlertWindow"));
  setAttribute(Qt::WA_ShowWithoutActivating);
  setWindowTitle(m_layout.title);
  if (m_bTranslucent) setAttribute(Qt::WA_TranslucentBackground);
  const int margin = m_bTranslucent ? kShadow : 0;
  setFixedSize(kWidth + 2 * margin, ContentHeight() + kTailHeight + 2 * margin);
  if (!m_bTranslucent) setMask(QRegion(Outline().toFillPolygon().toPolygon()));
}

int AlertBalloon::ContentHeight() const {
  const int line = fontMetrics().lineSpacing();
  int height = kDragHeight + kPadding;
  height += static_cast<int>(m_layout.description.size() + m_layout.message.size()) * line;
  if (!m_layout.message.isEmpty()) height += kPadding / 2;
  const int lastLines = static_cast<int>(std::min<qsizetype>(m_layout.lastText.size(), AlertLayout::kMaxLastLines));
  height += kPadding + lastLines * std::max(line, AlertLayout::kLineHeight) + 22 - AlertLayout::kLineHeight;
  if (!m_layout.change.isEmpty()) height += line + kPadding / 2;
  return height + kPadding;
}

QPainterPath AlertBalloon::Outline() const {
  const int margin = m_bTranslucent ? kShadow : 0;
  const QRectF body(margin + 0.5, margin + 0.5, kWidth - 1, ContentHeight() - 1);
  QPainterPath path;
  path.addRoundedRect(body, kRadius, kRadius);
  // The pointer, towards the notification area in the bottom-right corner.
  QPainterPath tail;
  tail.moveTo(body.right() - 48, body.bottom() - 1);
  tail.lineTo(body.right() - 22, body.bottom() - 1);
  tail.lineTo(body.right() - 10, body.bottom() + kTailHeight - 1);
  tail.closeSubpath();
  return path.united(tail);
}

void AlertBalloon::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QPalette& pal = palette();
  const QPainterPath outline = Outline();
  if (m_bTranslucent) {
    for (int i = kShadow; i > 0; --i) {
      QColor shade(0, 0, 0, 6 + 2 * (kShadow - i));
      painter.setPen(QPen(shade, 2.0 * i));
      painter.drawPath(outline.translated(0, 2));
    }
  } else {
    // Under the cut-out shape: the edge pixels blend with the balloon, not with black.
    painter.fillRect(rect(), pal.color(QPalette::ToolTipBase));
  }
  painter.setPen(QPen(pal.color(QPalette::Highlight), 1.5));
  painter.setBrush(pal.color(QPalette::ToolTipBase));
  painter.drawPath(outline);

  const int margin = m_bTranslucent ? kShadow : 0;
  const int left = margin + kPadding;
  const int width = kWidth - 2 * kPadding;
  const int line = fontMetrics().lineSpacing();
  const QColor text = pal.color(QPalette::ToolTipText);

  QFont bold = font();
  bold.setBold(true);
  painter.setFont(bold);
  painter.setPen(text);
  painter.drawText(QRect(left, margin, width, kDragHeight), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                   m_layout.title);
  painter.setPen(QPen(pal.color(QPalette::Highlight), 1));
  painter.drawLine(left, margin + kDragHeight, left + width, margin + kDragHeight);

  painter.setFont(font());
  painter.setPen(text);
  int y = margin + kDragHeight + kPadding / 2;
  for (const QString& row : m_layout.description) {
    painter.drawText(QRect(left, y, width, line), Qt::AlignLeft | Qt::TextSingleLine, row);
    y += line;
  }
  if (!m_layout.message.isEmpty()) y += kPadding / 2;
  for (const QString& row : m_layout.message) {
    painter.drawText(QRect(left, y, width, line), Qt::AlignLeft | Qt::TextSingleLine, row);
    y += line;
  }
  y += kPadding / 2;
  // The newest value on a panel of its own.
  const int lastLines = static_cast<int>(std::min<qsizetype>(m_layout.lastText.size(), AlertLayout::kMaxLastLines));
  const int panel = lastLines * std::max(line, AlertLayout::kLineHeight) + 22 - AlertLayout::kLineHeight;
  QColor panelColour = pal.color(QPalette::Base);
  painter.setPen(Qt::NoPen);
  painter.setBrush(panelColour);
  painter.drawRoundedRect(QRect(left - 4, y, width + 8, panel), 4, 4);
  painter.setPen(pal.color(QPalette::Text));
  int row = y + 4;
  for (int i = 0; i < lastLines; ++i) {
    painter.drawText(QRect(left, row, width, line), Qt::AlignLeft | Qt::TextSingleLine, m_layout.lastText[i]);
    row += std::max(line, AlertLayout::kLineHeight);
  }
  y += panel + kPadding / 2;
  if (!m_layout.change.isEmpty()) {
    // An added line: green, readable on light and dark balloons alike.
    const bool dark = pal.color(QPalette::ToolTipBase).lightness() < 128;
    painter.setPen(dark ? QColor(0x8f, 0xdb, 0x8f) : QColor(0x1e, 0x7b, 0x34));
    const QString shown = fontMetrics().elidedText(QStringLiteral("+ ") + m_layout.change, Qt::ElideRight, width);
    painter.drawText(QRect(left, y, width, line), Qt::AlignLeft | Qt::TextSingleLine, shown);
  }
}

void AlertBalloon::mousePressEvent(QMouseEvent* event) {
  m_bDragged = false;
  const int margin = m_bTranslucent ? kShadow : 0;
  if (event->button() == Qt::LeftButton && event->position().y() < margin + kDragHeight && windowHandle()) {
    // Moved by the window system, as by a caption.
    m_bDragged = windowHandle()->startSystemMove();
  }
}

void AlertBalloon::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    if (!m_pMenu || m_pMenu->isEmpty()) {
      platform::Prompt().ShowMessage(settings::ResourceText(settings::kResBadLanguageFile),
                                     platform::PromptIcon::Exclamation);
      return;
    }
    if (m_onMenuShow) m_onMenuShow(*m_pMenu);
    QAction* chosen = m_pMenu->exec(event->globalPosition().toPoint());
    if (chosen && m_onCommand) m_onCommand(static_cast<uint16_t>(chosen->data().toUInt()));
    return;
  }
  if (event->button() == Qt::LeftButton && !m_bDragged && m_onCommand) m_onCommand(platform::cmd::kCloseAlert);
  m_bDragged = false;
}

}  // namespace quorvex::gui
