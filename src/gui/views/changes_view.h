#pragma once
// The Changes window: what changed on a beacon's page, from the page's snapshots (engine/snapshot_store.h).
//
// Left, the page's snapshots newest first (time in the program's date/time format, and size); right,
// the chosen snapshot compared with the one before it: removed lines red and struck through, added
// lines green, the words that differ within a replaced line tinted, each run of changes under a
// subtle "@@ -old +new @@" header. "Text only" (on at first) compares as text::DiffForm::TextOnly,
// else Raw. Previous/Next change step through the runs of changes of all snapshots in time order:
// Next goes down the shown comparison, then on to the next newer snapshot's first run; Previous up,
// then to the next older snapshot's last run. Without two snapshots the right side says why.
//
// The window keeps the page address, never the beacon: the catalog may change or reload while it is
// open. Reading and comparing run on the UI thread (a few milliseconds for pages of tens of KB); the
// store's writer is never waited for. UI thread only.
#include <QColor>
#include <QWidget>
#include <string>
#include <vector>

#include "engine/snapshot_store.h"
#include "text/text_diff.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPalette;
class QPushButton;
class QTextEdit;

namespace quorvex::model {
class WDValue;
}

namespace quorvex::gui {

class CMainFrame;

// The colours of a comparison, legible on the palette's base colour (light or dark).
struct DiffColours {
  QColor removedText, removedLine, removedWord;
  QColor addedText, addedLine, addedWord;
  QColor header;
};
DiffColours DiffColoursFor(const QPalette& palette);

class ChangesWindow : public QWidget {
  Q_OBJECT

 public:
  // store must outlive the window. title is the beacon's name.
  ChangesWindow(const engine::SnapshotStore& store, std::string url, const QString& title, QWidget* parent = nullptr);

  const std::string& Url() const { return m_strUrl; }
  // Lists the snapshots anew, keeping the chosen one when it is still there (else the newest).
  void Reload();
  // Shows snapshot row (0 the newest) against the one before it, at its first run of changes.
  void ChooseSnapshot(int row);
  // The Next and Previous change buttons; false when there is no such change.
  bool NextChange();
  bool PreviousChange();

  // The parts, for tests.
  QListWidget* SnapshotList() const { return m_pList; }
  QTextEdit* DiffView() const { return m_pView; }
  QCheckBox* TextOnlyBox() const { return m_pTextOnly; }
  QPushButton* PreviousButton() const { return m_pPrevious; }
  QPushButton* NextButton() const { return m_pNext; }
  // The run of changes scrolled to, and how many the shown comparison has.
  int CurrentHunk() const { return m_nHunk; }
  int HunkCount() const { return static_cast<int>(m_hunkBlocks.size()); }

 protected:
  bool event(QEvent* event) override;

 private:
  // Shows the chosen row's comparison (or why there is none) and scrolls to run hunk.
  void ShowComparison(int hunk);
  void ShowMessage(const QString& message);
  void ScrollToHunk(int hunk);
  void UpdateButtons();

  const engine::SnapshotStore& m_store;
  const std::string m_strUrl;
  std::vector<engine::SnapshotInfo> m_snapshots;  // newest first
  QListWidget* m_pList;
  QLabel* m_pHeading;
  QTextEdit* m_pView;
  QCheckBox* m_pTextOnly;
  QPushButton* m_pPrevious;
  QPushButton* m_pNext;
  std::vector<int> m_hunkBlocks;  // the block number of each run's header in the view
  int m_nHunk = 0;
};

// Opens (or raises) the Changes window of beacon's page, a window of its own owned by frame.
ChangesWindow* ShowChanges(CMainFrame& frame, const model::WDValue& beacon);

}  // namespace quorvex::gui
