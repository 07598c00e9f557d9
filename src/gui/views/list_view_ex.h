#pragma once
// The report-style list of the folder list and the time-lines: a flat QTreeView with full-row
// selection, one selected row at most, and rows drawn by ListRowDelegate with per-cell text colours
// from the model.
//
// Models for these lists provide, besides the display text and Qt::TextAlignmentRole:
//   Qt::ForegroundRole   QColor: the cell's text colour when its row is not selected
//   kHighlightTextRole   QColor: the text colour of every cell of a selected row
//   Qt::DecorationRole   QIcon, column 0 only
// Colours come from RowTint through TintColor, so that they stay legible on light and dark palettes.
// A model that also gives the tints (kTintRole, kHighlightTintRole) has them drawn in the view's own
// palette, which may differ from the application's that the colour roles use.
// UI thread only.
#include <QColor>
#include <QFontMetrics>
#include <QPalette>
#include <QStyledItemDelegate>
#include <QTreeView>

#include "gui/views/view_notify.h"

class QPrinter;

namespace quorvex::gui {

inline constexpr int kHighlightTextRole = Qt::UserRole + 1;
// A value to sort by (number, time or text), where the display text would sort badly.
inline constexpr int kSortRole = Qt::UserRole + 2;
// The RowTint (an int) of a cell's text, and of a selected row's text.
inline constexpr int kTintRole = Qt::UserRole + 3;
inline constexpr int kHighlightTintRole = Qt::UserRole + 4;

// What a text colour means; TintColor turns it into a colour of the palette.
enum class RowTint {
  Normal,       // the palette's text
  Highlighted,  // the palette's highlighted text (a selected row)
  Grey,         // greyed out (placeholder text): a row being fetched or with monitoring off
  Rise,         // a number that went up (blue)
  Fall,         // a number that went down (red)
  Alarm,        // a selected row being fetched (red, on the highlight)
};
QColor TintColor(RowTint tint, const QPalette& palette, QPalette::ColorGroup group = QPalette::Active);

// text when it fits into room pixels; otherwise text with characters dropped from its end until
// text + "..." fits, followed by "..." (just "..." when not even one character fits).
QString FitText(const QString& text, const QFontMetrics& metrics, int room);

// Space between a cell's text and the cell's edges: column 0's label area (right of its icon), and
// the other columns.
inline constexpr int kFirstColumnInset = 2;
inline constexpr int kColumnInset = 6;

class ListRowDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

class CListViewEx : public QTreeView {
  Q_OBJECT

 public:
  explicit CListViewEx(QWidget* parent = nullptr);

  // Rebuilds or updates the rows for the tree's current item. noRebuild skips the rebuild. Returns
  // whether the list now shows something new.
  virtual bool Refresh(bool noRebuild, const NotifyParam& param) = 0;

  // Prints the header and the rows as drawn on screen, scaled down to the page width when wider,
  // page after page. PrintPreview shows the preview dialog over this view.
  void Print(QPrinter* printer);
  void PrintPreview();
  // The print dialog, then Print; false when the user cancelled.
  bool PrintWithDialog();

 protected:
  // The list part of the notification protocol: 1226, 1227, 1230 and 1232 refresh; 1224, 1225,
  // 1231 and 1233 are taken without effect; false for the others.
  bool OnListNotify(TabNotify code, const NotifyParam& param);
  // Sets up header texts' alignment and widths of the columns; the model must be set.
  void SetColumnLayout(const std::vector<int>& widths);

  // Columns have been made.
  bool m_bInitialised = false;
};

}  // namespace quorvex::gui
