#include "gui/views/changes_view.h"

#include <strings.h>

#include <QAbstractTextDocumentLayout>
#include <QCheckBox>
#include <QEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "engine/qvx_doc.h"
#include "gui/shell/gui_text.h"
#include "gui/shell/main_frame.h"
#include "model/value.h"
#include "platform/string_ids.h"
#include "settings/app_context.h"
#include "text/display.h"
#include "text/time_format.h"

namespace quorvex::gui {
namespace ids = platform::ids;

namespace {

constexpr int kListWidth = 170;
constexpr int kViewWidth = 700;
constexpr QSize kWindowSize{900, 560};
// A replaced line sharing less than this part of its text with its partner is marked whole: tinting
// nearly every word would only add noise.
constexpr double kMinSharedForWords = 0.3;
constexpr double kHeaderScale = 0.85;

QString TimeText(int64_t time) {
  return FromBytes(text::FormatLocalTime(time, text::DateTimeFormat()));
}

// Pieces of one line are decoded the way the whole line would be, so that a Windows-1251 word is
// never taken for UTF-8 on its own.
QString Decode(std::string_view bytes, bool utf8) {
  if (utf8) return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
  return QString::fromStdString(text::Windows1251ToUtf8(bytes));
}

QColor Mix(const QColor& a, const QColor& b, double part) {
  return QColor::fromRgbF(static_cast<float>(a.redF() * (1 - part) + b.redF() * part),
                          static_cast<float>(a.greenF() * (1 - part) + b.greenF() * part),
                          static_cast<float>(a.blueF() * (1 - part) + b.blueF() * part));
}

// Writes the comparison into view's document; returns the block number of each run's header.
class DiffRenderer {
 public:
  DiffRenderer(QTextEdit& view, const DiffColours& colours)
      : m_cursor(view.document()), m_colours(colours), m_mono(QFontDatabase::systemFont(QFontDatabase::FixedFont)) {
    m_mono.setPointSizeF(view.font().pointSizeF());
  }

  std::vector<int> Render(const std::vector<text::DiffHunk>& hunks) {
    std::vector<int> headers;
    for (const text::DiffHunk& hunk : hunks) {
      headers.push_back(Header(hunk, headers.empty()));
      const std::vector<text::DiffLine>& lines = hunk.lines;
      for (size_t i = 0; i < lines.size();) {
        if (lines[i].kind == text::DiffKind::Same) {
          Line(lines[i].kind, lines[i].text, nullptr);
          ++i;
          continue;
        }
        // A change: its removed lines, then its added ones; the n-th of each are paired word by word.
        size_t removedEnd = i;
        while (removedEnd < lines.size() && lines[removedEnd].kind == text::DiffKind::Removed) ++removedEnd;
        size_t addedEnd = removedEnd;
        while (addedEnd < lines.size() && lines[addedEnd].kind == text::DiffKind::Added) ++addedEnd;
        const size_t pairs = std::min(removedEnd - i, addedEnd - removedEnd);
        std::vector<std::vector<text::DiffPiece>> words(pairs);
        for (size_t n = 0; n < pairs; ++n) words[n] = WordsWorthShowing(lines[i + n].text, lines[removedEnd + n].text);
        for (size_t n = i; n < addedEnd; ++n) {
          const size_t pair = n < removedEnd ? n - i : n - removedEnd;
          Line(lines[n].kind, lines[n].text, pair < pairs && !words[pair].empty() ? &words[pair] : nullptr);
        }
        i = addedEnd == i ? i + 1 : addedEnd;
      }
    }
    return headers;
  }

 private:
  static std::vector<text::DiffPiece> WordsWorthShowing(const std::string& older, const std::string& newer) {
    std::vector<text::DiffPiece> pieces = text::DiffWords(older, newer);
    size_t same = 0;
    for (const text::DiffPiece& piece : pieces) {
      if (piece.kind == text::DiffKind::Same) same += piece.text.size();
    }
    if (static_cast<double>(same) < kMinSharedForWords * static_cast<double>(std::max(older.size(), newer.size()))) {
      pieces.clear();
    }
    return pieces;
  }

  void NewBlock(const QTextBlockFormat& format) {
    if (m_first) {
      m_cursor.setBlockFormat(format);
      m_first = false;
    } else {
      m_cursor.insertBlock(format);
    }
  }

  int Header(const text::DiffHunk& hunk, bool first) {
    QTextBlockFormat block;
    if (!first) block.setTopMargin(m_mono.pointSizeF());
    block.setBottomMargin(2);
    NewBlock(block);
    QTextCharFormat format;
    QFont font = m_mono;
    font.setPointSizeF(m_mono.pointSizeF() * kHeaderScale);
    format.setFont(font);
    format.setForeground(m_colours.header);
    m_cursor.insertText(QStringLiteral("@@ -%1,%2 +%3,%4 @@")
                            .arg(hunk.oldStart)
                            .arg(hunk.oldCount)
                            .arg(hunk.newStart)
                            .arg(hunk.newCount),
                        format);
    return m_cursor.blockNumber();
  }

  void Line(text::DiffKind kind, const std::string& bytes, const std::vector<text::DiffPiece>* words) {
    QTextBlockFormat block;
    QTextCharFormat format;
    QColor word;
    QString sign = QStringLiteral("  ");
    if (kind == text::DiffKind::Removed) {
      block.setBackground(m_colours.removedLine);
      format.setForeground(m_colours.removedText);
      format.setFontStrikeOut(true);
      word = m_colours.removedWord;
      sign = QStringLiteral("- ");
    } else if (kind == text::DiffKind::Added) {
      block.setBackground(m_colours.addedLine);
      format.setForeground(m_colours.addedText);
      word = m_colours.addedWord;
      sign = QStringLiteral("+ ");
    }
    NewBlock(block);
    QTextCharFormat signFormat = format;
    signFormat.setFont(m_mono);
    signFormat.setFontStrikeOut(false);
    m_cursor.insertText(sign, signFormat);
    const bool utf8 = text::IsValidUtf8(bytes);
    if (!words) {
      m_cursor.insertText(Decode(bytes, utf8), format);
      return;
    }
    QTextCharFormat marked = format;
    marked.setBackground(word);
    // This line's pieces; blanks between two changed words are tinted with them, so that a changed
    // phrase reads as one.
    std::vector<const text::DiffPiece*> shown;
    for (const text::DiffPiece& piece : *words) {
      if (piece.kind == text::DiffKind::Same || piece.kind == kind) shown.push_back(&piece);
    }
    for (size_t i = 0; i < shown.size(); ++i) {
      bool changed = shown[i]->kind == kind;
      if (!changed && i > 0 && i + 1 < shown.size() && shown[i - 1]->kind == kind && shown[i + 1]->kind == kind) {
        changed = shown[i]->text.find_first_not_of(" \t") == std::string::npos;
      }
      m_cursor.insertText(Decode(shown[i]->text, utf8), changed ? marked : format);
    }
  }

  QTextCursor m_cursor;
  const DiffColours& m_colours;
  QFont m_mono;
  bool m_first = true;
};

}  // namespace

DiffColours DiffColoursFor(const QPalette& palette) {
  const QColor base = palette.color(QPalette::Base);
  const QColor header = Mix(palette.color(QPalette::Text), base, 0.45);
  if (base.lightness() < 128) {
    return {QColor(0xff, 0x8a, 0x80),
            QColor(0x45, 0x1d, 0x1d),
            QColor(0x85, 0x2b, 0x2b),
            QColor(0x7e, 0xe0, 0x8a),
            QColor(0x15, 0x3b, 0x20),
            QColor(0x23, 0x6b, 0x35),
            header};
  }
  return {QColor(0xb3, 0x26, 0x1e),
          QColor(0xfd, 0xec, 0xea),
          QColor(0xf5, 0xb8, 0xb2),
          QColor(0x1b, 0x7a, 0x2f),
          QColor(0xe6, 0xf6, 0xe9),
          QColor(0xa6, 0xe0, 0xb0),
          header};
}

ChangesWindow::ChangesWindow(const engine::SnapshotStore& store, std::string url, const QString& title, QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_store(store),
      m_strUrl(std::move(url)),
      m_pList(new QListWidget),
      m_pHeading(new QLabel),
      m_pView(new QTextEdit),
      m_pTextOnly(new QCheckBox(Text(ids::kChangesTextOnly))),
      m_pPrevious(new QPushButton(Text(ids::kChangesPrevious))),
      m_pNext(new QPushButton(Text(ids::kChangesNext))) {
  setObjectName(QStringLiteral("ChangesWindow"));
  setWindowTitle(Text(ids::kChangesTitle, {ToBytes(title)}));
  resize(kWindowSize);

  auto* left = new QWidget;
  auto* leftLayout = new QVBoxLayout(left);
  leftLayout->setContentsMargins(0, 0, 0, 0);
  auto* listLabel = new QLabel(Text(ids::kChangesSnapshots));
  listLabel->setBuddy(m_pList);
  leftLayout->addWidget(listLabel);
  leftLayout->addWidget(m_pList);
  m_pList->setAlternatingRowColors(true);

  auto* right = new QWidget;
  auto* rightLayout = new QVBoxLayout(right);
  rightLayout->setContentsMargins(0, 0, 0, 0);
  auto* bar = new QHBoxLayout;
  m_pHeading->setTextInteractionFlags(Qt::TextSelectableByMouse);
  bar->addWidget(m_pHeading, 1);
  bar->addWidget(m_pTextOnly);
  bar->addWidget(m_pPrevious);
  bar->addWidget(m_pNext);
  rightLayout->addLayout(bar);
  rightLayout->addWidget(m_pView);
  m_pView->setReadOnly(true);
  m_pView->setUndoRedoEnabled(false);
  m_pView->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  m_pTextOnly->setChecked(true);

  auto* splitter = new QSplitter;
  splitter->addWidget(left);
  splitter->addWidget(right);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({kListWidth, kViewWidth});
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(splitter);

  connect(m_pList, &QListWidget::currentRowChanged, this, [this] { ShowComparison(0); });
  connect(m_pTextOnly, &QCheckBox::toggled, this, [this] { ShowComparison(0); });
  connect(m_pNext, &QPushButton::clicked, this, &ChangesWindow::NextChange);
  connect(m_pPrevious, &QPushButton::clicked, this, &ChangesWindow::PreviousChange);
  auto* close = new QShortcut(QKeySequence::Cancel, this);
  connect(close, &QShortcut::activated, this, &QWidget::close);
  Reload();
}

void ChangesWindow::Reload() {
  std::vector<engine::SnapshotInfo> list = m_store.List(m_strUrl);
  const auto sameName = [](const engine::SnapshotInfo& a, const engine::SnapshotInfo& b) { return a.name == b.name; };
  if (!m_snapshots.empty() && std::equal(list.begin(), list.end(), m_snapshots.begin(), m_snapshots.end(), sameName)) {
    return;
  }
  const int row = m_pList->currentRow();
  const std::string chosen = row >= 0 && static_cast<size_t>(row) < m_snapshots.size() ? m_snapshots[row].name : "";
  m_snapshots = std::move(list);
  int newRow = 0;
  {
    const QSignalBlocker quiet(m_pList);
    m_pList->clear();
    const QLocale locale;
    for (size_t i = 0; i < m_snapshots.size(); ++i) {
      const engine::SnapshotInfo& info = m_snapshots[i];
      const QString size = locale.toString(static_cast<qulonglong>(info.textBytes));
      m_pList->addItem(TimeText(info.time) + QLatin1Char('\n') + Text(ids::kChangesSize, {ToBytes(size)}));
      if (info.name == chosen) newRow = static_cast<int>(i);
    }
    if (!m_snapshots.empty()) m_pList->setCurrentRow(newRow);
  }
  ShowComparison(0);
}

void ChangesWindow::ChooseSnapshot(int row) {
  m_pList->setCurrentRow(row);
}

void ChangesWindow::ShowMessage(const QString& message) {
  m_pView->setPlainText(message);
}

void ChangesWindow::ShowComparison(int hunk) {
  m_hunkBlocks.clear();
  m_nHunk = 0;
  m_pView->clear();
  m_pHeading->clear();
  const int row = m_pList->currentRow();
  const size_t count = m_snapshots.size();
  if (count == 0) {
    const settings::WDSettings* s = settings::GetSettings();
    ShowMessage(Text(s && s->m_nSnapshots <= 0 ? ids::kChangesSnapshotsOff : ids::kChangesNoSnapshots));
  } else if (row < 0 || static_cast<size_t>(row) + 1 >= count) {
    ShowMessage(Text(ids::kChangesOldest));
  } else {
    const engine::SnapshotInfo& older = m_snapshots[static_cast<size_t>(row) + 1];
    const engine::SnapshotInfo& newer = m_snapshots[static_cast<size_t>(row)];
    m_pHeading->setText(Text(ids::kChangesBetween, {ToBytes(TimeText(older.time)), ToBytes(TimeText(newer.time))}));
    const auto olderText = m_store.Read(m_strUrl, older);
    const auto newerText = olderText ? m_store.Read(m_strUrl, newer) : std::nullopt;
    if (!olderText || !newerText) {
      ShowMessage(Text(ids::kChangesUnreadable));
    } else {
      const bool textOnly = m_pTextOnly->isChecked();
      const auto hunks =
          text::DiffTexts(*olderText, *newerText, textOnly ? text::DiffForm::TextOnly : text::DiffForm::Raw);
      if (hunks.empty()) {
        // Stored snapshots always differ: what text only hides is the markup.
        ShowMessage(Text(textOnly ? ids::kChangesMarkupOnly : ids::kChangesNoDifference));
      } else {
        m_hunkBlocks = DiffRenderer(*m_pView, DiffColoursFor(palette())).Render(hunks);
        m_nHunk = hunk < 0 ? HunkCount() - 1 : std::min(hunk, HunkCount() - 1);
      }
    }
  }
  ScrollToHunk(m_nHunk);
  UpdateButtons();
}

void ChangesWindow::ScrollToHunk(int hunk) {
  if (hunk < 0 || hunk >= HunkCount()) {
    m_pView->verticalScrollBar()->setValue(0);
    return;
  }
  QTextDocument* document = m_pView->document();
  // The run that Previous and Next count from stands out by its header.
  const DiffColours colours = DiffColoursFor(palette());
  for (size_t i = 0; i < m_hunkBlocks.size(); ++i) {
    QTextCursor header(document->findBlockByNumber(m_hunkBlocks[i]));
    header.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    QTextCharFormat format;
    const bool current = static_cast<int>(i) == hunk;
    format.setForeground(current ? palette().color(QPalette::Highlight) : colours.header);
    format.setFontWeight(current ? QFont::Bold : QFont::Normal);
    header.mergeCharFormat(format);
  }
  const QTextBlock block = document->findBlockByNumber(m_hunkBlocks[static_cast<size_t>(hunk)]);
  const QRectF place = document->documentLayout()->blockBoundingRect(block);
  m_pView->verticalScrollBar()->setValue(static_cast<int>(place.top()));
}

bool ChangesWindow::NextChange() {
  const int row = m_pList->currentRow();
  if (m_nHunk + 1 < HunkCount()) {
    ScrollToHunk(++m_nHunk);
    UpdateButtons();
    return true;
  }
  if (row <= 0) return false;
  m_pList->setCurrentRow(row - 1);
  return true;
}

bool ChangesWindow::PreviousChange() {
  const int row = m_pList->currentRow();
  if (m_nHunk > 0) {
    ScrollToHunk(--m_nHunk);
    UpdateButtons();
    return true;
  }
  if (row < 0 || static_cast<size_t>(row) + 2 >= m_snapshots.size()) return false;
  {
    const QSignalBlocker quiet(m_pList);
    m_pList->setCurrentRow(row + 1);
  }
  ShowComparison(-1);
  return true;
}

void ChangesWindow::UpdateButtons() {
  const int row = m_pList->currentRow();
  m_pNext->setEnabled(m_nHunk + 1 < HunkCount() || row > 0);
  m_pPrevious->setEnabled(m_nHunk > 0 || (row >= 0 && static_cast<size_t>(row) + 2 < m_snapshots.size()));
}

bool ChangesWindow::event(QEvent* event) {
  // A check may have kept a new snapshot while the window was in the background.
  if (event->type() == QEvent::WindowActivate) Reload();
  if (event->type() == QEvent::Show) ScrollToHunk(m_nHunk);
  const bool handled = QWidget::event(event);
  // The colours follow a change between light and dark.
  if (event->type() == QEvent::PaletteChange) ShowComparison(m_nHunk);
  return handled;
}

ChangesWindow* ShowChanges(CMainFrame& frame, const model::WDValue& beacon) {
  const std::string url = beacon.GetURL();
  ChangesWindow* window = nullptr;
  for (ChangesWindow* open : frame.findChildren<ChangesWindow*>(Qt::FindDirectChildrenOnly)) {
    if (strcasecmp(open->Url().c_str(), url.c_str()) == 0) window = open;
  }
  if (window) {
    window->Reload();
  } else {
    window = new ChangesWindow(frame.Document().Snapshots(), url, FromBytes(beacon.GetName()), &frame);
    window->setAttribute(Qt::WA_DeleteOnClose);
  }
  window->show();
  window->raise();
  window->activateWindow();
  return window;
}

}  // namespace quorvex::gui
