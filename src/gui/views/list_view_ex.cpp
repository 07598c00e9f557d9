#include "gui/views/list_view_ex.h"

#include <QHeaderView>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStyleOptionHeader>
#include <algorithm>
#include <cmath>

namespace quorvex::gui {
namespace {

// Relative luminance (sRGB), for choosing the more legible of two shades.
double Luminance(const QColor& colour) {
  auto channel = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
  return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) + 0.0722 * channel(colour.blueF());
}

double Contrast(const QColor& a, const QColor& b) {
  const double la = Luminance(a);
  const double lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor MoreLegible(const QColor& deep, const QColor& pale, const QColor& background) {
  return Contrast(deep, background) >= Contrast(pale, background) ? deep : pale;
}

}  // namespace

QColor TintColor(RowTint tint, const QPalette& palette, QPalette::ColorGroup group) {
  const QColor base = palette.color(group, QPalette::Base);
  switch (tint) {
    case RowTint::Normal:
      return palette.color(group, QPalette::Text);
    case RowTint::Highlighted:
      return palette.color(group, QPalette::HighlightedText);
    case RowTint::Grey: {
      const QColor text = palette.color(group, QPalette::Text);
      const QColor placeholder = palette.color(group, QPalette::PlaceholderText);
      if (placeholder != text && Contrast(placeholder, base) < Contrast(text, base)) return placeholder;
      // A palette without a dimmer text colour: halfway between text and background.
      return QColor((text.red() + base.red()) / 2, (text.green() + base.green()) / 2, (text.blue() + base.blue()) / 2);
    }
    case RowTint::Rise:
      return MoreLegible(QColor(0x0a, 0x4b, 0xc8), QColor(0x86, 0xb6, 0xff), base);
    case RowTint::Fall:
      return MoreLegible(QColor(0xb4, 0x0c, 0x14), QColor(0xff, 0x8a, 0x8a), base);
    case RowTint::Alarm:
      return MoreLegible(QColor(0x8c, 0x00, 0x08), QColor(0xff, 0xb0, 0xb0), palette.color(group, QPalette::Highlight));
  }
  return palette.color(group, QPalette::Text);
}

QString FitText(const QString& text, const QFontMetrics& metrics, int room) {
  if (metrics.horizontalAdvance(text) <= room) return text;
  const QString dots = QStringLiteral("...");
  // The longest head that fits with the dots: what dropping characters one by one from the end
  // finds first, found by halving since widths grow with length.
  qsizetype lo = 0;
  qsizetype hi = text.size() - 1;
  while (lo < hi) {
    const qsizetype mid = (lo + hi + 1) / 2;
    if (metrics.horizontalAdvance(text.left(mid) + dots) <= room) {
      lo = mid;
    } else {
      hi = mid - 1;
    }
  }
  if (lo > 0 && text.at(lo - 1).isHighSurrogate()) --lo;
  return text.left(lo) + dots;
}

void ListRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QStyleOptionViewItem opt = option;
  initStyleOption(&opt, index);
  const bool selected = (opt.state & QStyle::State_Selected) != 0;
  const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
                                     : (opt.state & QStyle::State_Active) ? QPalette::Active
                                                                          : QPalette::Inactive;
  painter->save();
  if (selected) painter->fillRect(opt.rect, opt.palette.brush(group, QPalette::Highlight));

  QRect label = opt.rect;
  int inset = kColumnInset;
  if (index.column() == 0) {
    inset = kFirstColumnInset;
    if (!opt.icon.isNull()) {
      const QSize size = opt.decorationSize;
      const QRect iconRect(QPoint(label.left() + kFirstColumnInset, label.top() + (label.height() - size.height()) / 2),
                           size);
      opt.icon.paint(painter, iconRect, Qt::AlignCenter, selected ? QIcon::Selected : QIcon::Normal);
      label.setLeft(iconRect.right() + 1);
    }
  }
  label.adjust(inset, 0, -inset, 0);

  QColor colour;
  const QVariant tint = index.data(selected ? kHighlightTintRole : kTintRole);
  if (tint.isValid()) {
    // The view's palette as given: initStyleOption put the model's colour into its text.
    colour = TintColor(static_cast<RowTint>(tint.toInt()), option.palette, group);
  } else if (const QVariant given = index.data(selected ? kHighlightTextRole : Qt::ForegroundRole);
             given.canConvert<QColor>()) {
    colour = given.value<QColor>();
  }
  if (!colour.isValid()) colour = opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);

  painter->setFont(opt.font);
  painter->setPen(colour);
  const Qt::Alignment horizontal = opt.displayAlignment & Qt::AlignHorizontal_Mask;
  painter->drawText(label, static_cast<int>(horizontal | Qt::AlignVCenter | Qt::TextSingleLine),
                    FitText(opt.text, QFontMetrics(opt.font), label.width()));
  painter->restore();
}

CListViewEx::CListViewEx(QWidget* parent) : QTreeView(parent) {
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setAllColumnsShowFocus(true);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setIconSize(QSize(16, 16));
  setItemDelegate(new ListRowDelegate(this));
  header()->setStretchLastSection(false);
  header()->setSectionsMovable(false);
}

bool CListViewEx::OnListNotify(TabNotify code, const NotifyParam& param) {
  switch (code) {
    case TabNotify::Changed:
    case TabNotify::PageFetch:
    case TabNotify::Reload:
    case TabNotify::SelectionApplied:
      Refresh(false, param);
      return true;
    case TabNotify::BeaconInserted:
    case TabNotify::ItemDeleting:
    case TabNotify::Store:
    case TabNotify::SelectionChanging:
      return true;
    default:
      return false;
  }
}

void CListViewEx::SetColumnLayout(const std::vector<int>& widths) {
  for (size_t column = 0; column < widths.size(); ++column) setColumnWidth(static_cast<int>(column), widths[column]);
}

void CListViewEx::Print(QPrinter* printer) {
  QAbstractItemModel* list = model();
  QPainter painter(printer);
  if (!list || !painter.isActive()) return;

  // Screen pixels become printer dots at the screen's size, unless the list is wider than the page.
  const int total = std::max(1, header()->length());
  double scale = static_cast<double>(printer->resolution()) / std::max(1, logicalDpiX());
  scale = std::min(scale, static_cast<double>(printer->width()) / total);
  painter.scale(scale, scale);
  const int pageHeight = static_cast<int>(printer->height() / scale);

  // A font of fixed pixel size scales with the painter like the rest of the drawing.
  QFont printFont = font();
  printFont.setPixelSize(QFontInfo(font()).pixelSize());
  painter.setFont(printFont);
  // Paper is white whatever the screen's theme.
  const QPalette paper = style()->standardPalette();
  const int headerHeight = header()->sizeHint().height();
  const int rowH = std::max(sizeHintForRow(0), QFontMetrics(printFont).height() + 4);

  auto drawHeader = [&](int y) {
    for (int visual = 0; visual < header()->count(); ++visual) {
      const int section = header()->logicalIndex(visual);
      if (header()->isSectionHidden(section)) continue;
      QStyleOptionHeader opt;
      opt.initFrom(header());
      opt.palette = paper;
      opt.state = QStyle::State_Enabled | QStyle::State_Raised | QStyle::State_Horizontal;
      opt.rect = QRect(header()->sectionPosition(section), y, header()->sectionSize(section), headerHeight);
      opt.section = section;
      opt.text = list->headerData(section, Qt::Horizontal).toString();
      opt.textAlignment = Qt::Alignment(list->headerData(section, Qt::Horizontal, Qt::TextAlignmentRole).toInt());
      opt.fontMetrics = QFontMetrics(printFont);
      opt.position = QStyleOptionHeader::Middle;
      // The header leaves an empty clip region behind on a painter that had none.
      painter.save();
      style()->drawControl(QStyle::CE_Header, &opt, &painter, header());
      painter.restore();
    }
    return y + headerHeight;
  };

  int y = drawHeader(0);
  const QModelIndex root = rootIndex();
  for (int row = 0; row < list->rowCount(root); ++row) {
    if (y + rowH > pageHeight) {
      printer->newPage();
      y = drawHeader(0);
    }
    for (int column = 0; column < list->columnCount(root); ++column) {
      if (header()->isSectionHidden(column)) continue;
      QStyleOptionViewItem opt;
      initViewItemOption(&opt);
      opt.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_MouseOver);
      opt.font = printFont;
      opt.palette = paper;
      opt.fontMetrics = QFontMetrics(printFont);
      opt.rect = QRect(header()->sectionPosition(column), y, header()->sectionSize(column), rowH);
      const QModelIndex index = list->index(row, column, root);
      itemDelegateForIndex(index)->paint(&painter, opt, index);
    }
    y += rowH;
  }
}

bool CListViewEx::PrintWithDialog() {
  QPrinter printer(QPrinter::HighResolution);
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() != QDialog::Accepted) return false;
  Print(&printer);
  return true;
}

void CListViewEx::PrintPreview() {
  QPrinter printer(QPrinter::HighResolution);
  QPrintPreviewDialog preview(&printer, this);
  connect(&preview, &QPrintPreviewDialog::paintRequested, this, &CListViewEx::Print);
  preview.exec();
}

}  // namespace quorvex::gui
