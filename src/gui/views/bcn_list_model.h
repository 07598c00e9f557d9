#pragma once
// The rows of the folder list: one beacon each, with the texts of model::MakeBeaconRow, its state
// icon and the colours of ListRowDelegate (list_view_ex.h).
//
// Row colours: a beacon whose page is being fetched is grey (red text when selected); one with
// monitoring on is drawn normally; one with monitoring off is grey. The change column of a number
// that rose is blue, of one that fell red, unless the page is being fetched.
//
// The model keeps each row's texts from its last update, so drawing never touches the catalog; it
// keeps the beacon pointer only to update the row and to hand it to commands. The owner must drop a
// beacon's row (DeleteRow) before the beacon goes, and reset the rows when the catalog is reloaded.
// UI thread only.
#include <QAbstractTableModel>
#include <QIcon>
#include <QList>
#include <QSortFilterProxyModel>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "gui/views/list_view_ex.h"
#include "model/beacon_row.h"

namespace quorvex::model {
class WDItem;
class WDValue;
}  // namespace quorvex::model

namespace quorvex::gui {

// The folder list's column titles from the language text (57608): each title is followed by a comma,
// text after the last comma is ignored, at most kBcnColumnCount titles.
QStringList ParseColumnTitles(const QString& text);

enum BcnColumn { kBcnName, kBcnValue, kBcnChange, kBcnDate, kBcnAddress, kBcnColumnCount };
// Widths (pixels) of the columns, in order.
inline constexpr int kBcnColumnWidths[kBcnColumnCount] = {175, 100, 70, 70, 470};

class BcnListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // Whether the page of an address is being fetched now.
  using FetchProbe = std::function<bool(const std::string& address)>;

  // isFetching may be empty (nothing is fetched then).
  explicit BcnListModel(FetchProbe isFetching, QObject* parent = nullptr);

  // The columns: one per title, at most kBcnColumnCount.
  void SetTitles(const QStringList& titles);

  // Replaces every row by one per beacon, in order.
  void SetBeacons(const std::vector<model::WDValue*>& beacons);
  // Appends a row for beacon; returns its row, or -1 for a null beacon.
  int InsertRow(model::WDValue* beacon);
  // Drops the row of item; false when it has none.
  bool DeleteRow(const model::WDItem* item);
  // Takes the beacon's texts again (row -1: find it). False when the beacon has no row.
  bool UpdateRow(model::WDValue* beacon, int row = -1);
  // Updates the rows whose address equals address exactly; returns how many.
  int UpdateRowsForAddress(const std::string& address);

  // The row of item, or -1.
  int FindRow(const model::WDItem* item) const;
  model::WDValue* BeaconAt(int row) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  struct Row {
    model::WDValue* beacon = nullptr;
    QString texts[kBcnColumnCount];
    int state = 0;
    uint16_t kind = 0;
    int64_t time = 0;
    double change = 0;  // signed, for sorting
    bool textChange = false;
    std::string address;
    RowTint text = RowTint::Normal;
    RowTint highlight = RowTint::Highlighted;
    RowTint changeTint = RowTint::Normal;
  };
  void Fill(Row& row) const;

  FetchProbe m_isFetching;
  QStringList m_titles;
  std::vector<Row> m_rows;
  QList<QIcon> m_icons;
};

// Sorts the folder list by kSortRole: numbers by value and before texts, texts by locale.
class BcnSortProxy : public QSortFilterProxyModel {
  Q_OBJECT

 public:
  explicit BcnSortProxy(QObject* parent = nullptr);

 protected:
  bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
};

}  // namespace quorvex::gui
