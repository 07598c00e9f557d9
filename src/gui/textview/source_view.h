#pragma once
// The page-source pane of the link tab (object 15): the text of the beacon's page, fetched by the
// address strip, coloured as HTML.
//
// The pane keeps the raw text it last received (bytes, as fetched: LF line ends) beside what it shows,
// so that another character set re-shows the same text converted (ConvertCodePage) without a new
// fetch. It is read-only: the test and the pattern maker work on the page as a check would see it.
//
// Fetching: the pane makes the fetch job itself and starts its worker directly (not through the fetch
// manager). The job's target is an object the pane owns and the job holds only weakly, so a pane that
// is closed (or a program that ends) while the fetch runs never receives it; the running fetch is
// given up then, so its worker ends soon. UI thread only.
#include <QPointer>
#include <cstdint>
#include <memory>
#include <string>

#include "gui/textview/text_view.h"
#include "gui/views/view_notify.h"

class QToolButton;

namespace quorvex::engine {
class WDFetchJob;
enum class Notification : int32_t;
}  // namespace quorvex::engine

namespace quorvex::gui {

class HtmlHighlighter;
class SourceFetchTarget;

class WDSourceView : public WDTextView, public NotifyReceiver {
  Q_OBJECT

 public:
  // frame must outlive the view. Child objectName: "makePattern" (the button).
  explicit WDSourceView(CMainFrame& frame, QWidget* parent = nullptr);
  ~WDSourceView() override;

  // Keeps text (page bytes) as the raw text and shows it under the current character set.
  void SetRawText(std::string text);
  // Shows the raw text again, converted from charset (0..3, text::CharsetWin..CharsetMac).
  void SetCharset(int32_t charset);
  int32_t Charset() const { return m_nCharset; }
  const std::string& RawText() const { return m_strRaw; }
  // The shown page as bytes: the raw text converted under the character set.
  std::string PageBytes() const;
  // True while a page is shown (not a waiting or failure message, not nothing).
  bool HoldsPage() const { return m_bHoldsPage; }
  // The address of the page shown or being fetched.
  const std::string& PageUrl() const { return m_strUrl; }

  // Shows a message in place of a page (five line feeds, five tabs, the text); no raw text.
  void ShowMessage(const QString& message);

  // The fetch of an address confirmed in the address strip: shows the waiting text, clears the stop
  // flag, starts the worker and takes the focus. A fetch still running is given up. False (nothing
  // fetched) when the address cannot be split, or no worker could start.
  bool StartFetch(const std::string& url);
  bool IsFetching() const;

  // Selects length bytes of the page from offset (offsets into PageBytes()).
  void SelectPageBytes(size_t offset, size_t length);
  // The selection as an offset and length into PageBytes(); false without a selection or a page.
  bool SelectedPageBytes(size_t& offset, size_t& length) const;

  // The "Make pattern" action: a pattern for the selected value into the pattern pane. False when no
  // pattern could be made (then the user is told).
  bool MakePattern();

  HtmlHighlighter* Highlighter() const { return m_pHighlighter; }
  QToolButton* MakePatternButton() const { return m_pMakePattern; }

  // A new current beacon whose address differs from the page shown empties the pane (and gives up its
  // fetch): the page of another address would mislead the test.
  bool OnNotify(TabNotify code, const NotifyParam& param) override;

 signals:
  // A fetch of this pane ended; ok when a page is shown now.
  void FetchFinished(bool ok);
  // Another page or message is shown (HoldsPage may have changed).
  void PageChanged();

 protected:
  void AddContextEntries(QMenu& menu) override;
  void changeEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  friend class SourceFetchTarget;
  void OnFetch(engine::Notification code, const std::shared_ptr<engine::WDFetchJob>& job);
  void DropFetch();
  // Document position of a byte offset into the page.
  int PositionOf(size_t offset) const;
  size_t OffsetOf(int position) const;
  void PlaceButton();
  void UpdateButton();

  std::string m_strRaw;
  std::string m_strUrl;
  int32_t m_nCharset = 0;
  bool m_bHoldsPage = false;
  bool m_bShownUtf8 = true;  // how the shown bytes were decoded (text/display.h)
  HtmlHighlighter* m_pHighlighter;
  QToolButton* m_pMakePattern;
  std::shared_ptr<SourceFetchTarget> m_target;
  std::shared_ptr<engine::WDFetchJob> m_job;
};

}  // namespace quorvex::gui
