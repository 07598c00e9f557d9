#include "gui/textview/source_view.h"

#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTextBlock>
#include <QToolButton>

#include "engine/fetch_job.h"
#include "engine/fetch_worker.h"
#include "engine/page_fetcher.h"
#include "engine/qvx_doc.h"
#include "gui/shell/gui_text.h"
#include "gui/shell/main_frame.h"
#include "gui/textview/html_highlighter.h"
#include "gui/textview/make_pattern.h"
#include "gui/textview/pattern_edit.h"
#include "gui/views/link_tab.h"
#include "gui/views/pattern_trial.h"
#include "model/value.h"
#include "platform/string_ids.h"
#include "platform/string_table.h"
#include "platform/user_prompt.h"
#include "text/code_page.h"
#include "text/display.h"
#include "text/url.h"

namespace quorvex::gui {

using namespace platform::ids;

// The pane's side of its fetches: owned by the pane, held weakly by the jobs.
class SourceFetchTarget : public engine::FetchTarget {
 public:
  explicit SourceFetchTarget(WDSourceView* view) : m_view(view) {}
  void OnFetchNotification(engine::Notification code, const std::shared_ptr<engine::WDFetchJob>& job) override {
    if (m_view) m_view->OnFetch(code, job);
  }

 private:
  QPointer<WDSourceView> m_view;
};

namespace {

// Where a message stands in the pane: some lines down and in, as on an empty page. Messages wrap at the
// pane's width (a failure's reason can be long); pages never wrap.
const QString kMessageTop = QStringLiteral("\n\n\n\n\n");
const QString kMessageIndent = QStringLiteral("\t\t");

std::string WithoutCr(std::string text) {
  std::erase(text, '\r');
  return text;
}

}  // namespace

WDSourceView::WDSourceView(CMainFrame& frame, QWidget* parent)
    : WDTextView(frame, parent),
      m_pHighlighter(new HtmlHighlighter(document(), palette())),
      m_pMakePattern(new QToolButton(this)),
      m_target(std::make_shared<SourceFetchTarget>(this)) {
  setReadOnly(true);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  QFont fixed(QStringLiteral("monospace"));
  fixed.setStyleHint(QFont::TypeWriter);
  setFont(fixed);
  setTabStopDistance(4 * fontMetrics().horizontalAdvance(QLatin1Char(' ')));
  m_pMakePattern->setObjectName(QStringLiteral("makePattern"));
  m_pMakePattern->setText(PromptPart(kMakePattern));
  m_pMakePattern->setToolTip(TipPart(kMakePattern));
  m_pMakePattern->setCursor(Qt::ArrowCursor);
  m_pMakePattern->setFont(QApplication::font(m_pMakePattern));
  m_pMakePattern->setAutoRaise(false);
  m_pMakePattern->hide();
  connect(m_pMakePattern, &QToolButton::clicked, this, &WDSourceView::MakePattern);
  connect(this, &QPlainTextEdit::selectionChanged, this, &WDSourceView::UpdateButton);
}

WDSourceView::~WDSourceView() {
  DropFetch();
}

void WDSourceView::SetRawText(std::string text) {
  m_strRaw = std::move(text);
  m_bHoldsPage = true;
  SetCharset(m_nCharset);
}

void WDSourceView::SetCharset(int32_t charset) {
  m_nCharset = charset;
  if (!m_bHoldsPage) return;
  const std::string shown = PageBytes();
  m_bShownUtf8 = text::IsValidUtf8(shown);
  const int scroll = verticalScrollBar()->value();
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setPlainText(FromBytes(shown));
  verticalScrollBar()->setValue(scroll);
  UpdateButton();
  emit PageChanged();
}

std::string WDSourceView::PageBytes() const {
  if (!m_bHoldsPage) return {};
  std::string bytes = WithoutCr(m_strRaw);
  text::ConvertCodePage(bytes, m_nCharset);
  return bytes;
}

void WDSourceView::ShowMessage(const QString& message) {
  m_strRaw.clear();
  m_bHoldsPage = false;
  QString shown;
  if (!message.isEmpty()) {
    shown = kMessageTop;
    for (const QString& line : message.split(QLatin1Char('\n'))) shown += kMessageIndent + line + QLatin1Char('\n');
  }
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  setPlainText(shown);
  UpdateButton();
  emit PageChanged();
}

bool WDSourceView::StartFetch(const std::string& url) {
  std::string path;
  text::ParsedUrl parsed;
  if (!engine::LocalFilePath(url, path) && !text::ParseUrl(url, parsed)) return false;
  DropFetch();
  m_strUrl = url;
  ShowMessage(Text(kMsgFetching));
  engine::SetStopFlag(false);
  auto job = std::make_shared<engine::WDFetchJob>(url, m_target);
  if (!engine::StartWorker(job, Frame().Document().GetDispatcher())) {
    ShowMessage(Text(kMsgCantOpenFile));
    return false;
  }
  m_job = std::move(job);
  setFocus();
  return true;
}

bool WDSourceView::IsFetching() const {
  return m_job && !m_job->IsFinished();
}

void WDSourceView::DropFetch() {
  // A fetch nobody waits for any more ends at its next read instead of running to its end.
  if (IsFetching()) m_job->GiveUp(engine::FetchResultStopped);
  m_job.reset();
}

void WDSourceView::OnFetch(engine::Notification code, const std::shared_ptr<engine::WDFetchJob>& job) {
  if (code != engine::Notification::FetchFinished || !job || job != m_job) return;
  m_job.reset();
  if (job->Result() != engine::FetchResultOk || !job->HasText()) {
    QString message = Text(kMsgCantOpenFile);
    const std::string reason = job->ErrorText();
    if (!reason.empty()) message += QStringLiteral("\n\n") + FromBytes(reason);
    ShowMessage(message);
    emit FetchFinished(false);
    return;
  }
  SetRawText(job->TakeText());
  emit FetchFinished(true);
}

int WDSourceView::PositionOf(size_t offset) const {
  if (!m_bShownUtf8) return static_cast<int>(offset);
  // The text shown is the page decoded as UTF-8: count the UTF-16 units of the bytes before offset.
  const std::string bytes = PageBytes();
  offset = std::min(offset, bytes.size());
  return static_cast<int>(QString::fromUtf8(bytes.data(), static_cast<qsizetype>(offset)).size());
}

size_t WDSourceView::OffsetOf(int position) const {
  if (!m_bShownUtf8) return static_cast<size_t>(position);
  return static_cast<size_t>(toPlainText().left(position).toUtf8().size());
}

void WDSourceView::SelectPageBytes(size_t offset, size_t length) {
  if (!m_bHoldsPage) return;
  const int start = PositionOf(offset);
  const int end = PositionOf(offset + length);
  QTextCursor cursor(document());
  const int last = document()->characterCount() - 1;
  cursor.setPosition(std::min(start, last));
  cursor.setPosition(std::min(end, last), QTextCursor::KeepAnchor);
  setTextCursor(cursor);
  ensureCursorVisible();
}

bool WDSourceView::SelectedPageBytes(size_t& offset, size_t& length) const {
  const QTextCursor cursor = textCursor();
  if (!m_bHoldsPage || !cursor.hasSelection()) return false;
  offset = OffsetOf(cursor.selectionStart());
  length = OffsetOf(cursor.selectionEnd()) - offset;
  return length > 0;
}

bool WDSourceView::MakePattern() {
  size_t offset = 0, length = 0;
  WDPatternEdit* pane = FindLinkPanes(Frame()).pattern;
  if (!pane || !pane->isEnabled() || !SelectedPageBytes(offset, length)) return false;
  const std::string page = CheckedPageText(PageBytes(), CurrentPageLimit());
  const std::string pattern = MakePatternFor(page, offset, length);
  if (pattern.empty()) {
    platform::Prompt().ShowMessage(platform::GetString(kMakePatternFailed), platform::PromptIcon::Information);
    return false;
  }
  pane->SetPatternText(pattern);
  UpdateTestButton(Frame());
  // The user sees at once what the new pattern finds.
  if (CanTestPattern(Frame())) RunPatternTest(Frame());
  return true;
}

bool WDSourceView::OnNotify(TabNotify code, const NotifyParam& /*param*/) {
  if (code != TabNotify::SelectionApplied && code != TabNotify::Reload) return false;
  const model::WDValue* beacon = CurrentBeacon(Frame());
  if (beacon && beacon->GetURL() == m_strUrl) return false;
  DropFetch();
  m_strUrl.clear();
  ShowMessage(QString());
  return true;
}

void WDSourceView::AddContextEntries(QMenu& menu) {
  menu.addSeparator();
  QAction* make = menu.addAction(PromptPart(kMakePattern), this, &WDSourceView::MakePattern);
  make->setToolTip(TipPart(kMakePattern));
  make->setEnabled(m_pMakePattern->isEnabled() && textCursor().hasSelection() && m_bHoldsPage);
}

void WDSourceView::changeEvent(QEvent* event) {
  WDTextView::changeEvent(event);
  if (event->type() == QEvent::PaletteChange) m_pHighlighter->SetPalette(palette());
}

void WDSourceView::resizeEvent(QResizeEvent* event) {
  WDTextView::resizeEvent(event);
  PlaceButton();
}

void WDSourceView::PlaceButton() {
  m_pMakePattern->adjustSize();
  // The bottom-right corner covers the least of a page, whose first lines matter most.
  const int margin = 6;
  const QRect area = viewport()->geometry();
  m_pMakePattern->move(area.right() - m_pMakePattern->width() - margin,
                       area.bottom() - m_pMakePattern->height() - margin);
  m_pMakePattern->raise();
}

void WDSourceView::UpdateButton() {
  // Offered beside a selection of the page, while the beacon has a pattern to make.
  WDPatternEdit* pane = FindLinkPanes(Frame()).pattern;
  const bool offer = m_bHoldsPage && textCursor().hasSelection() && pane && pane->isEnabled();
  if (offer) PlaceButton();
  m_pMakePattern->setVisible(offer);
  m_pMakePattern->setEnabled(offer);
}

}  // namespace quorvex::gui
