#pragma once
// The time-line of a history tab (objects 8 and 11): the samples of the tree's current beacon,
// newest first, as time (the whole date-and-time format of language text 32812) and value.
//
// The rows are rebuilt only when another beacon is shown or the shown beacon's history changed
// (a sample added or the newest one's time moved); a notification that leaves both alone keeps the
// rows and the chosen row. Choosing a row tells the panes beside the time-lines (objects 10 and 13)
// with 1226, sender = this view; they ask GetSelectedRecord for the sample. UI thread only.
#include <QAbstractTableModel>
#include <cstdint>
#include <vector>

#include "gui/views/list_view_ex.h"
#include "gui/views/sample_chooser.h"
#include "gui/views/view_notify.h"

namespace quorvex::model {
class WDHistory;
class WDHistoryRecord;
class WDValue;
}  // namespace quorvex::model

namespace quorvex::gui {

class CMainFrame;

// Column widths of the time-line (pixels): the time column grows to fit its texts, the value
// column takes the rest of the pane.
inline constexpr int kTimeLineTimeWidth = 85;
inline constexpr int kTimeLineValueWidth = 60;

// The rows of a time-line: copies of the texts, and each row's record index in the history.
class TimeLineModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  using QAbstractTableModel::QAbstractTableModel;

  // Rows for the history's records, newest first; nullptr empties the list.
  void SetHistory(const model::WDHistory* history);
  // The history index of row's record, or -1.
  int RecordIndex(int row) const;
  // The row showing the record at history index, or -1.
  int RowOfRecord(int index) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  struct Row {
    QString time;
    QString value;
    int index = 0;
  };
  std::vector<Row> m_rows;
};

class WDTimeLineView : public CListViewEx, public NotifyReceiver, public SampleChooser {
  Q_OBJECT

 public:
  // frame must outlive the view.
  explicit WDTimeLineView(CMainFrame& frame, QWidget* parent = nullptr);

  // 1225 of the shown beacon empties the list; the rest as CListViewEx::OnListNotify.
  bool OnNotify(TabNotify code, const NotifyParam& param) override;
  // Shows the samples of the tree's current item when it is a beacon (else nothing). True unless
  // noRebuild.
  bool Refresh(bool noRebuild, const NotifyParam& param) override;

  // The sample of the chosen row, or nullptr. Valid until the beacon's history changes.
  const model::WDHistoryRecord* GetSelectedRecord() const override;
  // The chosen row (-1 for none).
  int SelectedRow() const { return m_nSelectedRow; }
  // How often the rows were built, for tests.
  int RebuildCount() const { return m_nRebuilds; }
  TimeLineModel* Model() const { return m_pModel; }

 protected:
  void changeEvent(QEvent* event) override;

 private:
  // The shown beacon as an identity (never read through: it may be gone) and the history's state
  // when the rows were made.
  struct Shown {
    const void* beacon = nullptr;
    int count = 0;
    int64_t newest = 0;
    bool operator==(const Shown&) const = default;
  };
  model::WDValue* CurrentBeacon() const;
  void OnSelectionChanged();
  // The time column as wide as a time needs, kTimeLineTimeWidth at least.
  void FitColumns();

  CMainFrame& m_frame;
  TimeLineModel* m_pModel;
  Shown m_shown;
  int m_nSelectedRow = -1;  // -2 while the rows are rebuilt
  int m_nRebuilds = 0;
};

}  // namespace quorvex::gui
